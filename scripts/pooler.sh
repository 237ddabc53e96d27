#!/bin/bash
# A PgBouncer in session pooling mode in front of a cluster that
# scripts/pgcluster.sh runs, for the tests and the benchmark.
#
#   pooler.sh start DIR CLUSTER-DIR   start one in front of the cluster of
#                                     CLUSTER-DIR, listening on a unix socket
#                                     and on 127.0.0.1 at a free port, and
#                                     write DIR/env (PGHOST=..., PGPORT=...,
#                                     PGPASSFILE=DIR/pgpass)
#   pooler.sh stop DIR                stop it; nothing to do when none runs
#
# It serves the database morvik2 to the roles morvik2, nobody and postgres,
# and is as private as the cluster: trust on its socket, which only its OS
# user (and root) can reach, and on 127.0.0.1 the password in DIR/pgpass,
# readable by the starting user only. pgbouncer refuses to run as root, so
# under root it runs as the OS user postgres. Its files (configuration, log,
# socket) live in a private directory under /tmp, which DIR/pooler names:
# that user may not be able to enter DIR, and a socket path must be short.

set -eu

die() {
    echo "pooler.sh: $*" >&2
    exit 1
}

usage() {
    echo "usage: pooler.sh start DIR CLUSTER-DIR | stop DIR" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
dir=$2

pgbouncer=$(command -v pgbouncer || echo /usr/sbin/pgbouncer)
[ -x "$pgbouncer" ] || die "pgbouncer is missing; install the pgbouncer package (scripts/install-deps.sh)"

if [ "$(id -u)" -eq 0 ]; then
    id postgres >/dev/null 2>&1 || die "running as root needs the OS user postgres, which does not exist"
    owner=postgres
    as_owner() { (cd / && runuser -u postgres -- "$@"); }
else
    owner=$(id -un)
    as_owner() { "$@"; }
fi

stop() {
    rm -f "$dir/env" "$dir/pgpass"
    [ -f "$dir/pooler" ] || return 0
    local base pid
    base=$(cat "$dir/pooler")
    pid=$(cat "$base/pgbouncer.pid" 2>/dev/null || true)
    if [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null; then
        for _ in $(seq 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    rm -rf "$base"
    rm -f "$dir/pooler" "$dir/pgbouncer.log"
}

# Whether a client gets through the pooler to the server.
answers() {
    psql -X -q -A -t -h "$base" -p "$port" -U morvik2 -d morvik2 -c 'SELECT 1' >/dev/null 2>&1
}

start() {
    [ $# -eq 3 ] || usage
    local cluster=$3 server_host server_port
    server_host=$(sed -n 's/^PGHOST=//p' "$cluster/env" 2>/dev/null)
    server_port=$(sed -n 's/^PGPORT=//p' "$cluster/env" 2>/dev/null)
    [ -n "$server_host" ] && [ -n "$server_port" ] || die "no cluster runs in $cluster (no $cluster/env)"

    mkdir -p "$dir"
    stop
    # The socket lives here: mktemp made it 0700, so only its owner enters.
    base=$(mktemp -d /tmp/morvik-pooler.XXXXXX)
    echo "$base" >"$dir/pooler"
    ln -sfn "$base/pgbouncer.log" "$dir/pgbouncer.log"
    cat >"$base/hba.conf" <<'EOF'
local all all trust
host all all 127.0.0.1/32 scram-sha-256
EOF

    for _ in 1 2 3 4 5 6 7 8 9 10; do
        port=$("$(dirname "$0")/free-port.sh")
        password=$("$(dirname "$0")/new-passfile.sh" "$dir/pgpass" "$port")
        (umask 077 && printf '"%s" "%s"\n' morvik2 "$password" nobody "$password" postgres "$password" \
            >"$base/users.txt")
        chown -R "$owner" "$base"
        cat >"$base/pgbouncer.ini" <<EOF
[databases]
morvik2 = host=$server_host port=$server_port dbname=morvik2

[pgbouncer]
pool_mode = session
listen_addr = 127.0.0.1
listen_port = $port
unix_socket_dir = $base
auth_type = hba
auth_hba_file = $base/hba.conf
auth_file = $base/users.txt
logfile = $base/pgbouncer.log
pidfile = $base/pgbouncer.pid
EOF
        rm -f "$base/pgbouncer.log"
        if as_owner "$pgbouncer" -d "$base/pgbouncer.ini" >/dev/null 2>&1; then
            for _ in $(seq 50); do
                if answers; then
                    printf 'PGHOST=%s\nPGPORT=%s\nPGPASSFILE=%s\n' "$base" "$port" "$dir/pgpass" >"$dir/env"
                    echo "pooler.sh: pgbouncer running, socket $base, 127.0.0.1:$port (password in $dir/pgpass)"
                    return
                fi
                sleep 0.1
            done
        fi
        grep -q 'Address already in use' "$base/pgbouncer.log" 2>/dev/null || break
    done
    tail -n 20 "$base/pgbouncer.log" >&2 2>/dev/null || true
    stop
    die "pgbouncer did not start"
}

case "$command" in
    start) start "$@" ;;
    stop) [ $# -eq 2 ] || usage; stop ;;
    *) usage ;;
esac
