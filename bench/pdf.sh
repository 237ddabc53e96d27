#!/usr/bin/env bash
# Times the e-ticket of the 12 + 8 ticket: "morvik ticket export ID --format
# pdf", and the web viewer's com=pdf, against its GIF view (com=view) of the
# same ticket in the same run. The viewer runs as the web server would run
# it, as a CGI program with QUERY_STRING set.
# Prints the median of each in milliseconds and the ratio of com=pdf to
# com=view.
#
#   bench/pdf.sh [RUNS]     (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
runs=${1:-20}
build=$top/build/bench
root=$build/root
pg=$build/pg

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$root" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target morvik sorvane velmora-bench-tickets outside_scripts >/dev/null

trap 'scripts/pgcluster.sh stop "$pg" >/dev/null' EXIT
scripts/pgcluster.sh start "$pg" >/dev/null
set -a
. "$pg/env"
set +a
"$build/bench/velmora-bench-tickets"

cfg=$root/usr/local/morvik/cfg
mkdir -p "$cfg" "$root/var/www/htdocs/tickets"
printf '[database]\nhost addr=localhost\n' >"$cfg/database.f"

ticket=B12-8
export_pdf() { "$build/ticket/morvik" ticket export "$ticket" --format pdf >/dev/null; }
web() { QUERY_STRING="com=$1&id=$ticket&plant=1" "$build/ticket/sorvane" >/dev/null 2>&1; }
. bench/timing.sh

times=$build/pdf-times
rm -rf "$times"
mkdir -p "$times"
# Interleaved, so a slow moment of the machine falls on all three alike.
for ((i = 0; i < runs; i++)); do
    elapsed export_pdf >>"$times/export"
    elapsed web pdf >>"$times/pdf"
    elapsed web view >>"$times/view"
done

export_us=$(median <"$times/export")
pdf_us=$(median <"$times/pdf")
view_us=$(median <"$times/view")
echo "medians over $runs runs, ticket $ticket (12 materials, 8 extra products)"
echo "morvik ticket export --format pdf: $(ms "$export_us") ms"
echo "sorvane com=pdf: $(ms "$pdf_us") ms"
echo "sorvane com=view (GIF): $(ms "$view_us") ms"
echo "pdf/view: $(awk -v a="$pdf_us" -v b="$view_us" 'BEGIN { printf "%.2f", a / b }')"
