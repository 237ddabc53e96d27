#!/bin/sh
# make-lighttpd-conf.sh fills every placeholder literally and refuses what
# lighttpd's syntax cannot carry; the installed example is valid.
# Usage: make_conf_test.sh WEBDIR [EXAMPLE]
set -u
gen=$1/make-lighttpd-conf.sh
example=${2:-}
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-webconf.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
trap 'exit 1' HUP INT TERM
fail() { printf "FAIL: %s\n" "$*" >&2; failures=$((failures + 1)); }
check() { what=$1; shift; if "$@"; then printf "ok: %s\n" "$what"; else fail "$what"; fi; }
contains() { grep -F -q -e "$2" -- "$1"; }

# Split into words where it is used.
base="--port 8080 --bind 127.0.0.1 --sorvane /opt/s --statedir /st"
sh "$gen" --root "/r @PORT@ x" $base --env A=1 --env B=x@ENV@y >"$work/conf"
check "fills in (status $?)" test -s "$work/conf"
check "a placeholder name inside a value stays as it is" contains "$work/conf" 'server.document-root = "/r @PORT@ x/var/www/htdocs"'
check "the image directory is under the root" contains "$work/conf" '"/tickets/" => "/r @PORT@ x/var/www/htdocs/tickets/"'
check "the saved ticket is under the root" contains "$work/conf" '"/tickets/ticket" => "/r @PORT@ x/srv/www/htdocs/tickets/ticket"'
check "the CGI path is set" contains "$work/conf" '"/cgi-bin/sorvane" => "/opt/s"'
check "the port is set" contains "$work/conf" 'server.port = 8080'
check "the environment block lists the variables" contains "$work/conf" 'setenv.add-environment = ( "A" => "1", "B" => "x@ENV@y" )'
check "no user switch unless asked" sh -c '! grep -q server.username "$1"' sh "$work/conf"

sh "$gen" --root "" $base >"$work/plain"
check "no placeholder is left" sh -c '! grep -q "@[A-Z]*@" "$1"' sh "$work/plain"
check "an empty root gives the plain paths" contains "$work/plain" 'server.document-root = "/var/www/htdocs"'
check "no environment block without --env" sh -c '! grep -q setenv.add-environment "$1"' sh "$work/plain"

refuses() { # what args...
    what=$1; shift
    sh "$gen" "$@" >"$work/out" 2>"$work/err"
    rc=$?
    check "refuses $what (status $rc)" test "$rc" -ne 0 -a ! -s "$work/out" -a -s "$work/err"
}
refuses "a missing --root" $base
refuses "a missing --bind" --root "" --port 80 --sorvane /s --statedir /st
refuses "a port that is not a number" --root "" $base --port 80x
refuses "port 0" --root "" $base --port 0
refuses "port 65536" --root "" $base --port 65536
refuses "a quote in a value" --root '/a"b' $base
refuses "a backslash in a value" --root '/a\b' $base
refuses "a newline in a value" --root "$(printf '/a\nb')" $base
refuses "a bad variable name" --root "" $base --env 1X=2
refuses "--env without =" --root "" $base --env PATH
refuses "an unknown option" --root "" $base --frobnicate 1
refuses "an option without value" --root "" $base --user

if [ -n "$example" ]; then
    check "the example listens on port 80" contains "$example" 'server.port = 80'
    check "the example uses the plain paths" contains "$example" '"/tickets/" => "/var/www/htdocs/tickets/"'
    check "the example runs the installed sorvane" contains "$example" '"/cgi-bin/sorvane" => "/usr/local/morvik/bin/sorvane"'
    check "the example gives the CGI a PATH only" sh -c 'grep -q "setenv.add-environment = ( \"PATH\" => " "$1" && ! grep -q PGHOST "$1"' sh "$example"
    check "lighttpd accepts the example" lighttpd -tt -f "$example"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all checks passed"
