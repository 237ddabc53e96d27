#!/bin/sh
# install-into-root.sh ROOT: puts the ticket template, the GIF converter and
# the converter's input file at their fixed paths under ROOT. Tests call it
# to restore the real scripts after stand-ins took their place.
set -e
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: install-into-root.sh ROOT" >&2
    exit 2
fi
root=$1
src=$(cd "$(dirname -- "$0")" && pwd)

# Copy, then rename: a script another process is running keeps its old file.
put() { # source target mode
    mkdir -p -- "$(dirname -- "$2")"
    cp -- "$1" "$2.tmp$$"
    chmod "$3" "$2.tmp$$"
    mv -f -- "$2.tmp$$" "$2"
}
put "$src/morvik2_ps_ticket.sh" "$root/usr/local/bin/morvik2_ps_ticket.sh" 755
put "$src/ticket2gif.sh" "$root/usr/local/bin/ticket2gif.sh" 755
put "$src/input_file" "$root/usr/local/share/input_file" 644
