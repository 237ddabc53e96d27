#!/usr/bin/env bash
# Runs the demo (scripts/demo.sh: private database with the sample tickets),
# then serves sorvane through lighttpd on 127.0.0.1 and prints the URLs of a
# sample ticket. Prints go to a capturing lpr whose jobs land in demo-data/jobs.
#
#   scripts/web-demo.sh [PORT]      stop with: scripts/web-demo.sh stop
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build/demo
root=$build/root
data=$top/demo-data
web=$data/web

if [ "${1:-}" = stop ]; then
    [ -f "$web/lighttpd.pid" ] && kill "$(cat "$web/lighttpd.pid")" 2>/dev/null || true
    rm -f "$web/lighttpd.pid"
    scripts/pgcluster.sh stop "$data/pg"
    exit 0
fi

scripts/demo.sh >/dev/null
cmake --build "$build" -j"$(nproc)" --target sorvane >/dev/null
set -a
. "$data/pg/env"
set +a

ticket/scripts/install-into-root.sh "$root"
mkdir -p "$root/usr/local/morvik/bin" "$root/var/www/htdocs/tickets" "$root/srv/www/htdocs/tickets" \
    "$web/bin" "$data/jobs"
cp "$build/ticket/velmora" "$root/usr/local/morvik/bin/velmora"
ln -sfn "$top/tests/support/fake-lpr" "$web/bin/lpr"

[ -f "$web/lighttpd.pid" ] && kill "$(cat "$web/lighttpd.pid")" 2>/dev/null || true
port=${1:-}
while [ -z "$port" ]; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && port=""
done
web/make-lighttpd-conf.sh --root "$root" --port "$port" --bind 127.0.0.1 --sorvane "$build/ticket/sorvane" \
    --statedir "$web" --env "PGHOST=$PGHOST" --env "PGPORT=$PGPORT" \
    --env "PATH=$web/bin:/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin" \
    --env "LPR_CAPTURE_DIR=$data/jobs" >"$web/lighttpd.conf"
lighttpd -D -f "$web/lighttpd.conf" 2>"$web/lighttpd.err" &
echo $! >"$web/lighttpd.pid"

base=http://127.0.0.1:$port/cgi-bin/sorvane
# The e-tickets' QR codes lead back to this server.
mkdir -p "$root/usr/local/morvik/cfg"
printf '[web]\nbase url=%s\n' "$base" >"$root/usr/local/morvik/cfg/web.f"
cat <<EOT

sorvane is served on 127.0.0.1:$port. A sample ticket:
  view:  $base?com=view&id=T1001&plant=1
  save:  $base?com=save&printer=ticket1&id=T1001&plant=1
  print: $base?com=print&printer=ticket1&id=T1001&plant=1   (jobs land in $data/jobs)
  pdf:   $base?com=pdf&id=T1001   (the e-ticket; its QR code opens its verify page)
Other ids: M2002, N3003, X4004, L5005.
Stop it all: scripts/web-demo.sh stop
EOT
