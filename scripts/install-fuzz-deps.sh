#!/usr/bin/env bash
# Installs the Debian packages the fuzz targets need besides those of
# install-deps.sh, when any of them is missing: clang, the compiler runtime
# that carries libFuzzer and the sanitizers for it, and llvm-symbolizer for
# readable crash reports.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" clang libclang-rt-dev llvm
