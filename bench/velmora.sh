#!/usr/bin/env bash
# Times "velmora view" of a ticket with 12 materials and 8 extra products
# against the floor: the same statements, each on its own new connection, run
# by a minimal libpq program. Prints the medians and, last, "ratio: X".
#
#   bench/velmora.sh [RUNS]     (default 40)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
runs=${1:-40}
build=$top/build/bench
root=$build/root
pg=$build/pg

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$root" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmora morvik-samples velmora-floor >/dev/null

trap 'scripts/pgcluster.sh stop "$pg" >/dev/null' EXIT
scripts/pgcluster.sh start "$pg" >/dev/null
set -a
. "$pg/env"
set +a
"$build/tests/support/morvik-samples" >/dev/null

cfg=$root/usr/local/morvik/cfg
mkdir -p "$cfg"
printf '[database]\nhost addr=localhost\n' >"$cfg/database.f"
: >"$cfg/printers.f"

velmora=("$build/ticket/velmora" view "" L5005 1 yes)

# Learn velmora's statements from the server's own statement log.
psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM SET log_statement = 'all'" -c "SELECT pg_reload_conf()" >/dev/null
sleep 1
mark=$(wc -l <"$pg/server.log")
"${velmora[@]}" >/dev/null 2>&1
sleep 1
tail -n +"$((mark + 1))" "$pg/server.log" | sed -n 's/.*LOG:  statement: //p' >"$build/statements.sql"
psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM RESET log_statement" -c "SELECT pg_reload_conf()" >/dev/null
count=$(wc -l <"$build/statements.sql")
[ "$count" -gt 0 ] || { echo "no statements were logged" >&2; exit 1; }
echo "statements per view: $count"

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$build/velmora.times"
: >"$build/floor.times"
for ((i = 0; i < runs; i++)); do
    t0=$(now); "${velmora[@]}" >/dev/null 2>&1; t1=$(now)
    "$build/bench/velmora-floor" "$build/statements.sql" >/dev/null; t2=$(now)
    echo $(((t1 - t0) / 1000)) >>"$build/velmora.times"
    echo $(((t2 - t1) / 1000)) >>"$build/floor.times"
done
v=$(median <"$build/velmora.times")
f=$(median <"$build/floor.times")
echo "velmora median: ${v} us over $runs runs"
echo "floor median:   ${f} us"
awk -v v="$v" -v f="$f" 'BEGIN { printf "ratio: %.3f\n", v / f }'
