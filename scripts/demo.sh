#!/usr/bin/env bash
# Builds velmora and morvik, starts a private PostgreSQL cluster under the
# checkout (demo-data/pg), stores the sample tickets with their snapshots, runs
# a day at the plant with morvik (printing each command) and shows its ticket
# with velmora. Safe to run again: the database is made anew.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build/demo
root=$build/root
data=$top/demo-data

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$root" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmora morvik morvik-samples >/dev/null

scripts/pgcluster.sh start "$data/pg"
set -a
. "$data/pg/env"
set +a

# The demo's configuration lives under the build's root prefix; "localhost"
# makes velmora connect without a host, so PGHOST/PGPORT lead it to the cluster.
cfg=$root/usr/local/morvik/cfg
mkdir -p "$cfg" "$root/srv/www/htdocs/tickets"
sed 's/^host addr=.*/host addr=localhost/' ticket/cfg/database.f >"$cfg/database.f"
cp ticket/cfg/printers.f "$cfg/printers.f"

"$build/tests/support/morvik-samples"

# A day at the plant: master data, a queued load, the finished ticket.
morvik() { "$build/ticket/morvik" "$@"; }
run() {
    printf '+ %s\n' "$*" >&2
    "$@"
}
echo
echo "=== a day at the plant with morvik ==="
run morvik product add SAND --type agg --description "Concrete sand" --unitmeasure lb
run morvik product add STONE --type agg --description "1in washed stone" --unitmeasure lb
run morvik product add CEM --type cmt --description "Type I/II cement" --unitmeasure lb
run morvik product add WATER --type water --description "Water" --unitmeasure gal
run morvik product add PUMP --type fee --description "Pump truck" --unitprice 150
run morvik customer add C100 --name "Hillside Builders" --street "12 Quarry Road" --city Ashford --state OR \
    --zipcode 97001 --printticket t
run morvik truck add T12 --driver "Bob Kessler" --maxloadsize 10
run morvik formula add F3000 --description "3000 PSI 1in stone" --price 95.5 \
    --material SAND=1300 --material STONE=1800 --material CEM=517 --material WATER=30
run morvik job add J500 --customer C100 --formula F3000 --deliverto "Lot 7 foundation" --street "44 Ridge Lane" \
    --city Ashford --state OR --zipcode 97001 --product PUMP=1@45 --taxable t --salestax 7
entry=$(run morvik batch queue --job J500 --customer C100 --truck T12 --size 8.5 --printprices t --printweights t)
echo "$entry"
run morvik batch list
run morvik batch show "$entry"
ticket=$(run morvik batch finish "$entry" --actual SAND=11120 --moisture SAND=5)
echo "$ticket"
run morvik ticket list --date "$(date +%F)"
# The sample tickets were stored before there was a history: seal them once,
# then every ticket verifies; keep the last hash verify prints elsewhere.
run morvik ticket seal
run morvik ticket history "$ticket"
run morvik ticket verify

echo
echo "=== velmora view \"\" $ticket 1 yes ==="
# velmora copies its log lines to standard error; they go to a file here.
"$build/ticket/velmora" view "" "$ticket" 1 yes 2>"$data/velmora.log"
cat <<EOT

Sample tickets: T1001 (imperial), M2002 (metric), N3003 (no formula), X4004 (special texts), L5005 (large),
and $ticket from the day above.
Try another:   PGHOST=$PGHOST PGPORT=$PGPORT $build/ticket/velmora view "" X4004 1 yes
Export it:     PGHOST=$PGHOST PGPORT=$PGPORT $build/ticket/morvik ticket export $ticket --format json
Log lines of the last run: $data/velmora.log
The database is yours alone: its socket directory $PGHOST admits only you (and the server's OS user),
and 127.0.0.1:$PGPORT asks for the password in $PGPASSFILE, which only you can read.
Reach it:      (set -a; . demo-data/pg/env; psql -d morvik2 -U morvik2)
Stop the database: scripts/pgcluster.sh stop demo-data/pg
EOT
