#!/usr/bin/env bash
# Installs the Debian packages the fuzz targets need besides those of
# install-deps.sh, when any of them is missing: clang, the compiler runtime
# that carries libFuzzer and the sanitizers for it, and llvm-symbolizer for
# readable crash reports.
set -euo pipefail

packages=(clang libclang-rt-dev llvm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
