#!/usr/bin/env bash
# Times "morvik ticket verify" over TICKETS tickets with 4 events each
# (stored, printed, saved, voided), and counts the statements a real finish
# and a real print send, and how many of them append to the history (from the
# server's log). One load goes through morvik and velmora; the rest are
# copies of its ticket with their events appended by bulk SQL through the
# same append function the programs use. Prints the counts, verify's summary
# line and its best wall time of 3 runs.
#
#   bench/verify.sh [TICKETS]     (default 75000)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
tickets=${1:-75000}
[[ $tickets =~ ^[0-9]+$ && $tickets -ge 1 ]] || { echo "usage: bench/verify.sh [TICKETS]" >&2; exit 2; }
build=$top/build/bench
pg=$build/verify/pg

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$build/root" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target morvik velmora >/dev/null
trap 'scripts/pgcluster.sh stop "$pg" >/dev/null' EXIT

cfg=$build/root/usr/local/morvik/cfg
mkdir -p "$cfg"
printf '[database]\nhost addr=localhost\n' >"$cfg/database.f"
# No copies: the print takes its invoice number and records its event, and
# no spooler is needed.
printf '[ticket1]\ncopies=0\n' >"$cfg/printers.f"
scripts/pgcluster.sh start "$pg" >/dev/null
set -a
. "$pg/env"
set +a
morvik=$build/ticket/morvik
velmora=$build/ticket/velmora
sql() { psql -X -q -At -v ON_ERROR_STOP=1 -U morvik2 -d morvik2 "$@"; }

m() { "$morvik" "$@" >/dev/null; }
m product add SAND --type agg --description "Concrete sand" --unitmeasure lb
m product add CEM --type cmt --description "Type I/II cement" --unitmeasure lb
m customer add C1 --name "Hillside Builders" --city Ashford --printticket t
m truck add T1 --driver "Bob Kessler" --maxloadsize 10
m formula add F1 --description "3000 PSI" --price 95.5 --material SAND=1300 --material CEM=517
m job add J1 --customer C1 --formula F1 --deliverto "Lot 7" --taxable t --salestax 7
entry=$("$morvik" batch queue --job J1 --customer C1 --truck T1 --size 8)

psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM SET log_statement = 'all'" -c "SELECT pg_reload_conf()" >/dev/null
sleep 1
# Runs a command and prints how many statements it sent, and how many of
# them were appends to the history.
count_statements() {
    local mark new
    mark=$(wc -l <"$pg/server.log")
    "$@" >/dev/null 2>&1
    new=$(tail -n +"$((mark + 1))" "$pg/server.log")
    echo "$(grep -c 'statement: ' <<<"$new" || true) statements, of them $(grep -c 'statement: .*ticketevent_append' \
        <<<"$new" || true) appending to the history"
}
echo "finish: $(count_statements "$morvik" batch finish "$entry")"
echo "print:  $(count_statements "$velmora" print ticket1 T1 1 no)"
psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM RESET log_statement" -c "SELECT pg_reload_conf()" >/dev/null

echo "building $tickets tickets with 4 events each..."
sql <<EOF
INSERT INTO ticket_t
SELECT (jsonb_populate_record(t, jsonb_build_object('entry_c', n, 'id_c', 'T' || n,
        'xmldata_c', replace(t.xmldata_c, '<id_c>T1</id_c>', '<id_c>T' || n || '</id_c>')))).*
FROM ticket_t t, generate_series(2, $tickets) n WHERE t.entry_c = 1;
DO \$\$
BEGIN
    PERFORM setval('ticket_s', $tickets);
    PERFORM ticketevent_append('saved', 1, 'bench', '127.0.0.1', '', 0, 0, '');
    PERFORM ticketevent_append('voided', 1, 'bench', '', '', 0, 0, 'bench');
    FOR n IN 2..$tickets LOOP
        PERFORM ticketevent_append('stored', n, 'bench', '', '', 0, 0, '');
        PERFORM ticketevent_append('printed', n, 'bench', '', 'ticket1', n, 2, '');
        PERFORM ticketevent_append('saved', n, 'bench', '127.0.0.1', '', 0, 0, '');
        PERFORM ticketevent_append('voided', n, 'bench', '', '', 0, 0, 'bench');
    END LOOP;
END
\$\$;
VACUUM ANALYZE ticket_t;
VACUUM ANALYZE ticketevent_t;
EOF

best=""
for run in 1 2 3; do
    start=$EPOCHREALTIME
    summary=$("$morvik" ticket verify) || { echo "verify found problems:" >&2; echo "$summary" >&2; exit 1; }
    end=$EPOCHREALTIME
    us=$((${end/./} - ${start/./}))
    [ -n "$best" ] && [ "$best" -le "$us" ] || best=$us
done
echo "$summary"
awk -v us="$best" 'BEGIN { printf "verify: %.2f s (best of 3)\n", us / 1000000 }'
