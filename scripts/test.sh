#!/usr/bin/env bash
# Builds everything and runs every test: unit, database and end to end.
# The test build prefixes the programs' fixed paths with a directory inside
# the build tree, and the database tests run against a private PostgreSQL
# cluster that CTest starts and stops.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
build=${BUILD_DIR:-$top/build/test}

scripts/install-deps.sh
cmake -S "$top" -B "$build" -DMORVIK_ROOT="$build/root" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure --timeout 600
