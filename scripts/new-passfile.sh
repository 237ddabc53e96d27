#!/usr/bin/env bash
# Makes a new random password for the server on PORT, writes it as FILE, a
# libpq password file (PGPASSFILE) that only the calling user can read, and
# prints it for the caller to give to the server.
#
#   new-passfile.sh FILE PORT
#
# The password is hex, so it needs no escaping in the password file, in an SQL
# literal or in PgBouncer's auth file.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: new-passfile.sh FILE PORT" >&2; exit 2; }
file=$1 port=$2
password=$(od -An -N24 -tx1 /dev/urandom | tr -d ' \n')
rm -f "$file"
(umask 077 && printf '*:%s:*:*:%s\n' "$port" "$password" >"$file")
echo "$password"
