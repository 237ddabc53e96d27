#!/usr/bin/env bash
# Prints a TCP port that nothing on 127.0.0.1 answers on. Another process may
# still take it before the caller binds it, so callers retry their start.
set -euo pipefail
while :; do
    port=$((20000 + RANDOM % 40000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        echo "$port"
        exit 0
    fi
done
