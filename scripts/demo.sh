#!/usr/bin/env bash
# Builds velmora, starts a private PostgreSQL cluster under the checkout
# (demo-data/pg), stores the sample tickets with their snapshots and shows one
# of them on the terminal. Safe to run again: the database is made anew.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build/demo
root=$build/root
data=$top/demo-data

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$root" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmora morvik-samples >/dev/null

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

echo
echo "=== velmora view \"\" T1001 1 yes ==="
# velmora copies its log lines to standard error; they go to a file here.
"$build/ticket/velmora" view "" T1001 1 yes 2>"$data/velmora.log"
cat <<EOT

Sample tickets: T1001 (imperial), M2002 (metric), N3003 (no formula), X4004 (special texts), L5005 (large).
Try another:   PGHOST=$PGHOST PGPORT=$PGPORT $build/ticket/velmora view "" X4004 1 yes
Log lines of the last run: $data/velmora.log
Stop the database: scripts/pgcluster.sh stop demo-data/pg
EOT
