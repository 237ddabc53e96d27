#!/usr/bin/env bash
# Times the life of a batch in the office: "morvik batch queue" of a job with
# a formula of 12 materials and 8 extra products, then "morvik batch finish"
# of that batch with a few weighed and moist materials, RUNS times.
# Prints each command's connections (counted in the server's log, per
# command; a range when they differ between runs) and its median wall time,
# then one line per goal (the most connections any run opened) and last the
# medians.
#
# The same commands are timed in the same run with the morvik of BEFORE (the
# last commit before units of work), built from a worktree the script adds
# under the build directory and removes again; --no-before leaves it out.
#
#   bench/life.sh [--no-before] [RUNS]     (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
before=5931772
with_before=true
if [ "${1:-}" = --no-before ]; then
    with_before=false
    shift
fi
runs=${1:-20}
build=$top/build/bench
life=$build/life
pg=$life/pg
old_src=$life/before-src
old_build=$life/before

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$build/root" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target morvik >/dev/null

remove_before_src() {
    if git worktree list --porcelain | grep -qx "worktree $old_src"; then
        git worktree remove --force "$old_src"
    fi
    rm -rf "$old_src"
}
cleanup() {
    $with_before && remove_before_src
    scripts/pgcluster.sh stop "$pg" >/dev/null
}
trap cleanup EXIT

versions=(now)
declare -A morvik
morvik[now]=$build/ticket/morvik
if $with_before; then
    versions+=(before)
    morvik[before]=$old_build/ticket/morvik
    remove_before_src
    git worktree add --detach -q "$old_src" "$before"
    cmake -S "$old_src" -B "$old_build" -DMORVIK_ROOT="$old_build/root" -DCMAKE_BUILD_TYPE=Release \
        -DMORVIK_TESTS=OFF >/dev/null
    cmake --build "$old_build" -j"$(nproc)" --target morvik >/dev/null
fi
for v in "${versions[@]}"; do
    cfg=$(dirname "$(dirname "${morvik[$v]}")")/root/usr/local/morvik/cfg
    mkdir -p "$cfg"
    printf '[database]\nhost addr=localhost\n' >"$cfg/database.f"
done

scripts/pgcluster.sh start "$pg" >/dev/null
set -a
. "$pg/env"
set +a

# The master data, made the way the office makes it.
m() { "${morvik[now]}" "$@" >/dev/null; }
materials=(AGG1:agg AGG2:agg AGG3:agg AGG4:agg CMT1:cmt CMT2:cmt CMT3:cmt ADM1:admix ADM2:admix ADM3:admix
           WATER1:water WATER2:water)
formula=()
for i in "${!materials[@]}"; do
    id=${materials[$i]%%:*}
    m product add "$id" --type "${materials[$i]#*:}" --description "Material $id" --unitmeasure lb
    formula+=(--material "$id=$((100 + 50 * i))")
done
extras=()
for i in 1 2 3 4 5 6 7 8; do
    m product add "FEE$i" --type fee --description "Fee $i" --unitprice "$((10 * i))"
    extras+=(--product "FEE$i=1@$((10 * i + 5))")
done
m customer add C1 --name "Hillside Builders" --city Ashford --printticket t
m truck add T1 --driver "Bob Kessler" --maxloadsize 10
m formula add F1 --description "3000 PSI" --price 95.5 "${formula[@]}"
m job add J1 --customer C1 --formula F1 --deliverto "Lot 7" --taxable t --salestax 7 "${extras[@]}"
psql -X -q -U morvik2 -d morvik2 -c "INSERT INTO batchcounter_t(plant_c) VALUES (1)" >/dev/null

psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM SET log_connections = on" -c "SELECT pg_reload_conf()" >/dev/null
sleep 1

times=$life/times
rm -rf "$times"
mkdir -p "$times"
# Runs a command with its standard output in $times/out, and appends its wall
# time in microseconds to FILE and the connections it opened to FILE.conn.
timed() {
    local file=$1 mark start end
    shift
    mark=$(wc -l <"$pg/server.log")
    start=$EPOCHREALTIME
    "$@" >"$times/out"
    end=$EPOCHREALTIME
    echo $((${end/./} - ${start/./})) >>"$file"
    # The server logs a connection before it answers the client, so the
    # command's lines are all there once it has returned.
    tail -n +"$((mark + 1))" "$pg/server.log" | grep -c 'connection authorized: user=morvik2' >>"$file.conn" || true
}

for ((i = 0; i < runs; i++)); do
    for v in "${versions[@]}"; do
        timed "$times/$v.queue" "${morvik[$v]}" batch queue --job J1 --customer C1 --truck T1 --size 8
        entry=$(cat "$times/out")
        [[ $entry =~ ^[0-9]+$ ]] || { echo "$v: batch queue printed no entry" >&2; exit 1; }
        timed "$times/$v.finish" "${morvik[$v]}" batch finish "$entry" --actual AGG1=840 --actual CMT2=1210 \
            --moisture AGG1=4.5 --moisture AGG2=3
        grep -qx 'T[0-9]*' "$times/out" || { echo "$v: batch finish $entry printed no ticket" >&2; exit 1; }
    done
done
psql -X -q -U postgres -d morvik2 -c "ALTER SYSTEM RESET log_connections" -c "SELECT pg_reload_conf()" >/dev/null

. bench/timing.sh
most() { sort -n | tail -n 1; }

declare -A median_us connections
echo "medians over $runs runs"
printf '  %-7s %-7s %11s %9s\n' morvik command connections median_ms
for v in "${versions[@]}"; do
    for c in queue finish; do
        median_us[$v.$c]=$(median <"$times/$v.$c")
        connections[$v.$c]=$(most <"$times/$v.$c.conn")
        fewest=$(sort -n "$times/$v.$c.conn" | head -n 1)
        range=${connections[$v.$c]}
        [ "$fewest" = "$range" ] || range="$fewest-$range"
        printf '  %-7s %-7s %11s %9s\n' "$v" "$c" "$range" "$(ms "${median_us[$v.$c]}")"
    done
done
echo "connections per queue: ${connections[now.queue]} (goal at most 2)"
echo "connections per finish: ${connections[now.finish]} (goal at most 2)"
for c in queue finish; do
    line="median $c: $(ms "${median_us[now.$c]}") ms"
    if $with_before; then
        line+=" (before units of work: $(ms "${median_us[before.$c]}") ms, now/before $(awk \
            -v a="${median_us[now.$c]}" -v b="${median_us[before.$c]}" 'BEGIN { printf "%.3f", a / b }'))"
    fi
    echo "$line"
done
