#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build/asan and runs the unit, database and end-to-end tests there, against
# a test cluster of that build's own. Every report, also one from a program a
# test starts (velmora, morvik, sorvane), is written under build/asan/reports
# and fails the run, whatever the test made of the program's exit status.
#
# Not run here: the tests that run valgrind, which cannot run a sanitized
# program; the script tests, which build nothing; and the web stack tests,
# whose sorvane is the one sorvane_test already runs, here behind lighttpd and
# a headless browser that would only add minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=$top/build/asan

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$build/root" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVIK_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"

reports=$build/reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"

status=0
(cd "$build" && ctest --output-on-failure --timeout 600 -E 'memcheck|Valgrind|^web_stack_|^scripts_') || status=$?
if [ -n "$(ls -A "$reports")" ]; then
    for report in "$reports"/*; do
        echo "== $report"
        cat "$report"
    done
    echo "sanitize.sh: the sanitizers reported errors (above)" >&2
    status=1
fi
exit "$status"
