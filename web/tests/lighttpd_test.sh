#!/bin/sh
# The generated lighttpd configuration, run by Debian's lighttpd on a free
# local port: sorvane's URL runs the CGI with the configured environment,
# and the image and the saved ticket come from their two directories.
# Usage: lighttpd_test.sh WEBDIR
set -u
webdir=$1
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-web.XXXXXX") || exit 1
pid=
stop() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        pid=
    fi
}
trap 'stop; rm -rf -- "$work"' EXIT
trap 'exit 1' HUP INT TERM

fail() { printf "FAIL: %s\n" "$*" >&2; failures=$((failures + 1)); }
check() { what=$1; shift; if "$@"; then printf "ok: %s\n" "$what"; else fail "$what"; fi; }
contains() { grep -F -q -e "$2" -- "$1"; }

for tool in lighttpd curl; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done

root="$work/root"
images="$root/var/www/htdocs/tickets"
saved="$root/srv/www/htdocs/tickets"
mkdir -p "$images" "$saved" "$work/state" "$root/usr/local/morvik/bin"
# A one-pixel GIF, the saved ticket (Latin-1), and decoys that must never
# be served in their place.
printf 'GIF89a\001\000\001\000\200\000\000\000\000\000\377\377\377!\371\004\001\000\000\000\000,\000\000\000\000\001\000\001\000\000\002\002D\001\000;' >"$images/sorvane_42.gif"
printf 'TICKET 10234\nCaf\351 M\374ller\n' >"$saved/ticket"
printf 'decoy\n' >"$images/ticket"
printf 'not for the web\n' >"$saved/ticket.bak"
# Stands in for sorvane: shows the environment the server gives a CGI.
sorvane="$root/usr/local/morvik/bin/sorvane"
printf '#!/bin/sh\nprintf "Content-type: text/plain\\r\\n\\r\\n"\nenv\n' >"$sorvane"
chmod 755 "$sorvane"

# get PATH-ON-SERVER NAME: body into $work/NAME, "status type" into $work/NAME.meta.
get() {
    curl -s -o "$work/$2" -w '%{http_code} %{content_type}' --max-time 20 "http://127.0.0.1:$port$1" >"$work/$2.meta"
}
meta() { cat "$work/$1.meta"; }

# A port another process holds makes lighttpd exit at once; then the next
# candidate is tried. The wait for it to answer is bounded.
port=
seed=$(od -An -N2 -tu2 /dev/urandom | tr -d ' ')
for try in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((20000 + (seed + try * 7919) % 40000))
    sh "$webdir/make-lighttpd-conf.sh" --root "$root" --port "$candidate" --bind 127.0.0.1 \
        --sorvane "$sorvane" --statedir "$work/state" \
        --env PATH=/usr/bin:/bin --env PGHOST="$work/pg socket" --env PGPORT=54329 >"$work/lighttpd.conf" ||
        { echo "FAIL: make-lighttpd-conf.sh failed" >&2; exit 1; }
    env -u PGHOST -u PGPORT MORVIK_SERVER_ONLY=1 lighttpd -D -f "$work/lighttpd.conf" >"$work/lighttpd.out" 2>&1 &
    pid=$!
    up=no
    for wait in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        # Our own image back, not just any server on that port.
        if curl -s -o "$work/probe" --max-time 5 "http://127.0.0.1:$candidate/tickets/sorvane_42.gif" &&
            cmp -s "$work/probe" "$images/sorvane_42.gif"; then up=yes; break; fi
        sleep 0.1
    done
    if [ "$up" = yes ]; then port=$candidate; break; fi
    stop
done
if [ -z "$port" ]; then
    echo "FAIL: lighttpd did not start" >&2
    cat "$work/lighttpd.out" "$work/state/error.log" >&2 2>/dev/null
    exit 1
fi
echo "lighttpd listening on 127.0.0.1:$port"

check "every placeholder is filled" sh -c '! grep -q "@[A-Z]*@" "$1"' sh "$work/lighttpd.conf"
check "lighttpd accepts the configuration" lighttpd -tt -f "$work/lighttpd.conf"

get /tickets/sorvane_42.gif gif
check "the image is served ($(meta gif))" test "$(meta gif)" = "200 image/gif"
check "the image arrives unchanged" cmp -s "$work/gif" "$images/sorvane_42.gif"

get /tickets/ticket ticket
check "the saved ticket is served as text ($(meta ticket))" contains "$work/ticket.meta" "200 text/plain"
check "the saved ticket comes from the save directory, bytes unchanged" cmp -s "$work/ticket" "$saved/ticket"

get /tickets/ticket.bak other
check "nothing else of the save directory is served ($(meta other))" sh -c '! cmp -s "$1" "$2"' sh "$work/other" "$saved/ticket.bak"

get '/cgi-bin/sorvane?com=view&id=42' cgi
check "sorvane runs as CGI ($(meta cgi))" contains "$work/cgi.meta" "200 text/plain"
check "the CGI gets the query string" contains "$work/cgi" "QUERY_STRING=com=view&id=42"
check "the CGI gets PGHOST" contains "$work/cgi" "PGHOST=$work/pg socket"
check "the CGI gets PGPORT" contains "$work/cgi" "PGPORT=54329"
check "the CGI gets PATH" contains "$work/cgi" "PATH=/usr/bin:/bin"
check "the server's own environment stays out of the CGI" sh -c '! grep -q MORVIK_SERVER_ONLY "$1"' sh "$work/cgi"

get /cgi-bin/sorvanex wrongcgi
check "no other CGI name runs ($(meta wrongcgi))" sh -c '! grep -q "^GATEWAY_INTERFACE=" "$1"' sh "$work/wrongcgi"

stop
check "lighttpd is stopped" sh -c '! curl -s -o /dev/null --max-time 5 "http://127.0.0.1:$1/"' sh "$port"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    cat "$work/state/error.log" >&2 2>/dev/null
    exit 1
fi
echo "all checks passed"
