#!/usr/bin/env bash
# Times "velmora view" of tickets with 0 + 0, 12 + 8 and 50 + 50 materials and
# extra products against the floor: one new connection running the very
# statements the view of that ticket ran (taken from the server's log in the
# same run) with nothing else around them.
# Prints each ticket's connections per view (counted in the server's log), its
# medians and their ratio, then one line per goal, and last "ratio: X" for the
# 12 + 8 ticket.
#
# With --pooler the same is timed once more through a PgBouncer the script
# starts on ports of its own (and stops again), and the ratio of the pooled
# view time to the direct one is printed too.
#
#   bench/velmora.sh [--pooler] [RUNS]     (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
pooled=false
if [ "${1:-}" = --pooler ]; then
    pooled=true
    shift
fi
runs=${1:-30}
build=$top/build/bench
root=$build/root
pg=$build/pg
pool=$build/pooler

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$root" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target velmora velmora-floor velmora-bench-tickets >/dev/null

trap 'scripts/pooler.sh stop "$pool" >/dev/null || true; scripts/pgcluster.sh stop "$pg" >/dev/null' EXIT
scripts/pgcluster.sh start "$pg" >/dev/null
set -a
. "$pg/env"
set +a
"$build/bench/velmora-bench-tickets"
if $pooled; then
    scripts/pooler.sh start "$pool" "$pg" >/dev/null
fi

cfg=$root/usr/local/morvik/cfg
mkdir -p "$cfg"
printf '[database]\nhost addr=localhost\n' >"$cfg/database.f"
: >"$cfg/printers.f"

tickets=(B0-0 B12-8 B50-50)
view() { "$build/ticket/velmora" view "" "$1" 1 yes >/dev/null 2>&1; }

times=$build/times
rm -rf "$times"
mkdir -p "$times"

# The statements of the log lines a view wrote, each ended by a NUL byte. The
# server puts a tab after each line break inside a message, so a line that
# starts no message continues the one before without that tab.
statements() {
    perl -ne '
        BEGIN { $in = 0; $sql = "" }
        sub done { if ($in) { chomp $sql; print $sql, "\0" } $in = 0; $sql = "" }
        if (/^\d{4}-\d\d-\d\d [^<]*<([^>]*)> [A-Z]+:  (.*)/s) {
            done();
            my ($user, $text) = ($1, $2);
            if ($user eq "morvik2" && $text =~ s/^statement: //) { $in = 1; $sql = $text }
        } elsif ($in) {
            s/^\t//;
            $sql .= $_;
        }
        END { done() }'
}

# The connections of each view and the statements it runs, both from the
# server's own log.
settings=(log_connections log_statement log_line_prefix)
psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM SET log_connections = on" \
    -c "ALTER SYSTEM SET log_statement = 'all'" -c "ALTER SYSTEM SET log_line_prefix = '%m [%p] <%u> '" \
    -c "SELECT pg_reload_conf()" >/dev/null
sleep 1
declare -A connections
for t in "${tickets[@]}"; do
    mark=$(wc -l <"$pg/server.log")
    view "$t"
    sleep 0.5
    tail -n +"$((mark + 1))" "$pg/server.log" >"$times/$t.log"
    connections[$t]=$(grep -c 'connection authorized: user=morvik2' "$times/$t.log" || true)
    [ "${connections[$t]}" -gt 0 ] || { echo "no connections were logged for $t" >&2; exit 1; }
    statements <"$times/$t.log" >"$times/$t.sql"
    [ -s "$times/$t.sql" ] || { echo "no statements were logged for $t" >&2; exit 1; }
done
for setting in "${settings[@]}"; do
    psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM RESET $setting" >/dev/null
done
psql -X -q -U postgres -d morvik2 -c "SELECT pg_reload_conf()" >/dev/null

# Microseconds one command takes.
. bench/timing.sh

routes=(direct)
if $pooled; then
    routes+=(pooled)
fi
for ((i = 0; i < runs; i++)); do
    for route in "${routes[@]}"; do
        set -a
        if [ "$route" = pooled ]; then . "$pool/env"; else . "$pg/env"; fi
        set +a
        for t in "${tickets[@]}"; do
            elapsed view "$t" >>"$times/$route.$t.view"
            elapsed "$build/bench/velmora-floor" "$times/$t.sql" >>"$times/$route.$t.floor"
        done
    done
done

declare -A view_us floor_us
for route in "${routes[@]}"; do
    echo "$route: medians over $runs runs"
    printf '  %-8s %11s %10s %10s %7s\n' ticket connections view_ms floor_ms ratio
    for t in "${tickets[@]}"; do
        view_us[$route.$t]=$(median <"$times/$route.$t.view")
        floor_us[$route.$t]=$(median <"$times/$route.$t.floor")
        awk -v t="$t" -v n="${connections[$t]}" -v v="${view_us[$route.$t]}" -v f="${floor_us[$route.$t]}" \
            'BEGIN { printf "  %-8s %11d %10.1f %10.1f %7.3f\n", t, n, v / 1000, f / 1000, v / f }'
    done
done
# a / b, with three decimals
quotient() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
ratio() { quotient "${view_us[direct.$1]}" "${floor_us[direct.$1]}"; }
if $pooled; then
    for t in "${tickets[@]}"; do
        echo "pooled/direct view time $t: $(quotient "${view_us[pooled.$t]}" "${view_us[direct.$t]}")"
    done
fi
most=0
for t in "${tickets[@]}"; do
    [ "${connections[$t]}" -le "$most" ] || most=${connections[$t]}
done
echo "connections per view: $most (goal 1)"
echo "ratio 12+8: $(ratio B12-8) (goal at most 1.3)"
echo "ratio(50+50)/ratio(0+0): $(quotient "$(ratio B50-50)" "$(ratio B0-0)") (goal at most 1.1)"
echo "ratio: $(ratio B12-8)"
