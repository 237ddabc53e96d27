#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (or the
# packages named as arguments), when any of them is missing.
set -euo pipefail

packages=(cmake g++ make pkg-config libpq-dev libpstreams-dev libgtest-dev
          postgresql-15 postgresql-client-15 pgbouncer valgrind cups cups-bsd
          ghostscript fonts-urw-base35 netpbm lighttpd curl chromium
          libqrencode-dev poppler-utils zbar-tools)
# Other packages in their place when named: install-fuzz-deps.sh names its own.
[ $# -eq 0 ] || packages=("$@")

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
