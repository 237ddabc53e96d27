#!/usr/bin/env bash
# The test cluster and the pooler in front of it let in only the user who
# started them. Another local OS user, who would otherwise be superuser and
# could run commands as the server's OS user, reaches neither over the unix
# socket nor over TCP, not even knowing where the password file is; the
# starting user connects both ways.
#
#   private_access_test.sh CLUSTER-DIR POOLER-DIR
#
# It needs root to act as another user; elsewhere it is skipped (status 77).
set -euo pipefail

cluster=$1 pooler=$2
stranger=nobody

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: only root can act as another OS user"
    exit 77
fi
id "$stranger" >/dev/null || { echo "no OS user $stranger to act as" >&2; exit 1; }

failures=0
ok() { echo "ok: $1"; }
failed() {
    echo "FAILED: $1" >&2
    echo "$2" | sed 's/^/    /' >&2
    failures=$((failures + 1))
}

# envvar FILE NAME: the value FILE gives NAME
envvar() { sed -n "s/^$2=//p" "$1"; }

# as_owner|as_stranger PASSFILE COMMAND...: runs COMMAND as the starting user
# or as the stranger, in an environment of nothing but PATH and PGPASSFILE,
# so only the connection string leads psql; -w keeps it from asking for a
# password on the terminal.
as_owner() { env -i PATH=/usr/bin:/bin PGCONNECT_TIMEOUT=10 PGPASSFILE="$1" "${@:2}"; }
as_stranger() {
    (cd / && runuser -u "$stranger" -- env -i PATH=/usr/bin:/bin PGCONNECT_TIMEOUT=10 PGPASSFILE="$1" "${@:2}")
}

# connects DESCRIPTION AS PASSFILE CONNINFO: the superuser gets in
connects() {
    local out
    if out=$("$2" "$3" psql -X -w -At -c 'SELECT current_user' "$4" 2>&1) && [ "$out" = postgres ]; then
        ok "$1"
    else
        failed "$1" "$out"
    fi
}

# refused DESCRIPTION REASON AS PASSFILE CONNINFO: the connection fails for
# REASON, which shows that the system or the server turned it away
refused() {
    local out
    if out=$("$3" "$4" psql -X -w -At -c 'SELECT current_user' "$5" 2>&1); then
        failed "$1 (it connected)" "$out"
    elif grep -q "$2" <<<"$out"; then
        ok "$1"
    else
        failed "$1 (not for '$2')" "$out"
    fi
}

for server in "$cluster" "$pooler"; do
    name=$(basename "$server")
    [ -f "$server/env" ] || { failed "$name runs" "no $server/env"; continue; }
    host=$(envvar "$server/env" PGHOST)
    port=$(envvar "$server/env" PGPORT)
    passfile=$(envvar "$server/env" PGPASSFILE)
    socket="host=$host port=$port dbname=morvik2 user=postgres"
    tcp="hostaddr=127.0.0.1 port=$port dbname=morvik2 user=postgres"

    connects "$name: the starting user connects on the socket" as_owner "$passfile" "$socket"
    connects "$name: the starting user connects over TCP with the password file" as_owner "$passfile" "$tcp"
    refused "$name: TCP without the password file is refused" "no password supplied" \
        as_owner /nonexistent "$tcp"
    refused "$name: another user cannot reach the socket" "Permission denied" \
        as_stranger "$passfile" "$socket"
    refused "$name: another user cannot read the password file, so TCP is refused" "no password supplied" \
        as_stranger "$passfile" "$tcp"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
