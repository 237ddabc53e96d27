#!/bin/bash
# Throwaway PostgreSQL cluster for the tests and the demo.
#
#   pgcluster.sh start DIR   create (if absent) and start a cluster in DIR,
#                            recreate the database morvik2 from db/schema.sql
#                            and write DIR/env (PGHOST=..., PGPORT=...,
#                            PGPASSFILE=DIR/pgpass)
#   pgcluster.sh stop DIR    stop it; nothing to do when none runs
#
# The cluster is private to the user who starts it. The server listens on a
# unix socket in DIR/sock, a directory only the server's OS user can enter
# (and root), with trust authentication; and on 127.0.0.1 at a free port,
# where every role needs the password that DIR/pgpass holds, readable by the
# starting user only. A new password is set at every start. initdb and
# postgres refuse to run as root, so under root the server runs as the OS
# user postgres. Set PGBIN to use server binaries from another directory.

set -eu

here=$(cd "$(dirname "$0")" && pwd -P)
schema="$here/../db/schema.sql"

die() {
    echo "pgcluster.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: pgcluster.sh start|stop DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
command=$1
dir=$2

find_bindir() {
    local candidate
    for candidate in "${PGBIN:-}" /usr/lib/postgresql/15/bin; do
        if [ -n "$candidate" ] && [ -x "$candidate/postgres" ]; then
            echo "$candidate"
            return
        fi
    done
    for candidate in $(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V -r); do
        if [ -x "$candidate/postgres" ]; then
            echo "$candidate"
            return
        fi
    done
}

bindir=$(find_bindir)
[ -n "$bindir" ] || die "no PostgreSQL server binaries found (looked in \$PGBIN and /usr/lib/postgresql/*/bin); install the postgresql package"
for tool in initdb pg_ctl postgres psql; do
    [ -x "$bindir/$tool" ] || die "$bindir/$tool is missing; install the postgresql package"
done

# Runs a server tool as the user that owns the cluster.
if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || die "running as root needs the OS user postgres, which does not exist"
    owner=postgres
    if command -v runuser >/dev/null 2>&1; then
        as_owner() { (cd / && runuser -u postgres -- "$@"); }
    else
        as_owner() {
            local quoted
            quoted=$(printf '%q ' "$@")
            (cd / && su postgres -s /bin/sh -c "$quoted")
        }
    fi
else
    owner=$(id -un)
    as_owner() { "$@"; }
fi

if [ "$command" = stop ] && [ ! -d "$dir" ]; then
    exit 0
fi
mkdir -p "$dir"
dir=$(cd "$dir" && pwd -P)
# DIR/env must stay both shell-sourceable and readable line by line without
# unquoting, so the path may hold no blanks or shell metacharacters.
case "$dir" in
    *[!A-Za-z0-9_./+-]*) die "directory '$dir' holds characters other than letters, digits and _ . / + -" ;;
esac

envfile="$dir/env"
passfile="$dir/pgpass"
# The cluster's files must be reachable by the user that owns them. Below a
# directory that user cannot enter (a checkout under /root, say) they live in
# a private directory under /tmp instead, which DIR/cluster names and which
# stop removes again; DIR/server.log then links to its log.
base=$dir
if [ "$owner" = postgres ] && ! as_owner test -x "$(dirname "$dir")"; then
    if [ -f "$dir/cluster" ] && [ -d "$(cat "$dir/cluster")" ]; then
        base=$(cat "$dir/cluster")
    elif [ "$command" = start ]; then
        base=$(mktemp -d /tmp/morvik-pg.XXXXXX)
        echo "$base" >"$dir/cluster"
        ln -sfn "$base/server.log" "$dir/server.log"
    else
        exit 0
    fi
fi
data="$base/data"
sock="$base/sock"
log="$base/server.log"

running() {
    [ -f "$data/PG_VERSION" ] && as_owner "$bindir/pg_ctl" status -D "$data" >/dev/null 2>&1
}

stop_server() {
    rm -f "$envfile" "$passfile"
    if running; then
        as_owner "$bindir/pg_ctl" stop -D "$data" -m fast -w -t 60 >/dev/null
    fi
}

init_cluster() {
    local major
    major=$("$bindir/postgres" -V | sed 's/[^0-9]*\([0-9]*\).*/\1/')
    # A cluster left by another server version cannot be started; start over.
    [ "$(cat "$data/PG_VERSION" 2>/dev/null)" = "$major" ] && return
    rm -rf "$data"
    as_owner "$bindir/initdb" -D "$data" -U postgres --auth=trust --encoding=UTF8 \
        --locale=C --no-sync >"$dir/initdb.log" 2>&1 ||
        die "initdb failed, see $dir/initdb.log"
    echo "include 'pgcluster.conf'" >>"$data/postgresql.conf"
}

start_server() {
    local port
    # Written at every start, so a cluster made before keeps no older rules.
    cat >"$data/pg_hba.conf" <<'EOF'
local all all trust
host all all 127.0.0.1/32 scram-sha-256
EOF
    chown "$owner" "$data/pg_hba.conf"
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        port=$("$here/free-port.sh")
        cat >"$data/pgcluster.conf" <<EOF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$sock'
fsync = off
synchronous_commit = off
full_page_writes = off
# Spares each connection loading PL/pgSQL for pgxml_xpath.
shared_preload_libraries = 'plpgsql'
EOF
        chown "$owner" "$data/pgcluster.conf"
        rm -f "$log"
        if as_owner "$bindir/pg_ctl" start -D "$data" -l "$log" -w -t 60 >/dev/null 2>&1; then
            echo "$port"
            return
        fi
        grep -q 'could not bind\|already in use' "$log" 2>/dev/null || break
    done
    tail -n 20 "$log" >&2 2>/dev/null || true
    die "the server did not start, see $log"
}

start() {
    # A unix socket path is limited to 107 bytes, including the file name.
    [ ${#sock} -le 90 ] || die "socket directory '$sock' is too long for a unix socket; use a shorter DIR"
    stop_server
    if [ "$owner" = postgres ]; then
        chown -R postgres "$base"
        as_owner test -w "$base" -a -x "$base" ||
            die "the OS user postgres cannot write to $base (check the permissions of its parent directories)"
    fi
    mkdir -p "$sock"
    chown "$owner" "$sock"
    # Whoever can enter it may connect as any role without a password.
    chmod 700 "$sock"
    init_cluster
    port=$(start_server)
    password=$("$here/new-passfile.sh" "$passfile" "$port")

    PGOPTIONS='-c client_min_messages=warning' "$bindir/psql" -X -q -v ON_ERROR_STOP=1 \
        -h "$sock" -p "$port" -U postgres -d postgres >/dev/null <<EOF
SELECT 'CREATE ROLE morvik2 LOGIN' WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'morvik2') \gexec
SELECT 'CREATE ROLE nobody LOGIN' WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'nobody') \gexec
ALTER ROLE postgres PASSWORD '$password';
ALTER ROLE morvik2 PASSWORD '$password';
ALTER ROLE nobody PASSWORD '$password';
DROP DATABASE IF EXISTS morvik2 WITH (FORCE);
CREATE DATABASE morvik2 OWNER morvik2 ENCODING 'LATIN1' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0;
EOF
    "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$sock" -p "$port" -U morvik2 -d morvik2 \
        -f "$schema" >"$dir/schema.log" 2>&1 ||
        { cat "$dir/schema.log" >&2; die "loading $schema failed"; }

    printf 'PGHOST=%s\nPGPORT=%s\nPGPASSFILE=%s\n' "$sock" "$port" "$passfile" >"$envfile"
    echo "pgcluster.sh: server running, socket $sock, 127.0.0.1:$port (password in $passfile)"
}

remove_private_base() {
    if [ "$base" != "$dir" ]; then
        rm -rf "$base"
        rm -f "$dir/cluster" "$dir/server.log"
    fi
}

case "$command" in
    start) start ;;
    stop) stop_server && remove_private_base ;;
    *) usage ;;
esac
