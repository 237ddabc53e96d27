#!/usr/bin/env bash
# bench/fuzz.sh SECONDS: builds the libFuzzer targets of fuzz/ with clang in
# build/fuzz and runs each for SECONDS, then prints one line per target:
#
#   NAME: EXECUTIONS executions, CRASHES crashes
#
# A crash stops its target; the input that made it is kept as
# build/fuzz/crashes/NAME/crash-... (or leak-, timeout-, oom-) and its report
# in build/fuzz/logs/NAME.log, and the script exits 1. The corpus each target
# grows stays in build/fuzz/corpus/NAME for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build/fuzz
seconds=${1:-}
case "$seconds" in
    '' | *[!0-9]* | 0) echo "usage: bench/fuzz.sh SECONDS" >&2; exit 2 ;;
esac

scripts/install-deps.sh
scripts/install-fuzz-deps.sh
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DMORVIK_FUZZ=ON -DMORVIK_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers -j"$(nproc)"

# Real files to start from where the project has them.
declare -A seeds=([config]=$top/ticket/cfg)

mkdir -p "$build/logs"
failed=0
for name in query config xml formatstring; do
    corpus=$build/corpus/$name
    crashes=$build/crashes/$name
    log=$build/logs/$name.log
    rm -rf "$crashes"
    mkdir -p "$corpus" "$crashes"
    inputs=("$corpus")
    [ -z "${seeds[$name]:-}" ] || inputs+=("${seeds[$name]}")
    # -timeout: an input that takes this long is a hang, and counts as a crash.
    "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "${inputs[@]}" >"$log" 2>&1 || true
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ -n "$executions" ] || executions=$(sed -n 's/^#\([0-9]*\)[[:space:]]*DONE.*/\1/p' "$log" | tail -n 1)
    found=$(find "$crashes" -type f | wc -l)
    echo "$name: ${executions:-0} executions, $found crashes"
    if [ "$found" -ne 0 ] || [ -z "$executions" ]; then
        find "$crashes" -type f -printf '  %p\n'
        echo "  report: $log"
        failed=1
    fi
done
exit "$failed"
