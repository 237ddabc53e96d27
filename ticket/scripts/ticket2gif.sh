#!/bin/sh
# ticket2gif.sh PATH: renders PATH.ps into PATH.gif, one letter page at
# 100 dpi (850x1100, twice the 425x550 box the viewer page shows it in).
#
# Standard output lands inside sorvane's HTML page, so nothing is written
# there; diagnostics go to standard error. Standard input is not read.
# The GIF appears at once or not at all (temp file, then rename), so a
# browser never gets half an image.

me=ticket2gif.sh
if [ $# -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $me PATH (renders PATH.ps into PATH.gif)" >&2
    exit 2
fi

base=$1
ps=$base.ps
gif=$base.gif
if [ ! -f "$ps" ] || [ ! -r "$ps" ]; then
    printf "%s\n" "$me: cannot read $ps" >&2
    exit 1
fi

# The temp files live beside the GIF, so the final rename stays within one
# file system.
dir=$(dirname -- "$base") || exit 1
raster=
tmpgif=
trap 'rm -f -- "$raster" "$tmpgif"' EXIT
trap 'exit 1' HUP INT TERM
raster=$(mktemp "$dir/.ticket2gif.XXXXXX") || exit 1
tmpgif=$(mktemp "$dir/.ticket2gif.XXXXXX") || exit 1

# Ghostscript gets no file names: it would take a leading "-" for an
# option, a "%" for its page number template, and drop bytes that are not
# UTF-8. Output to standard output also sends its messages to standard error.
if ! gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=pgmraw -r100 \
        -sPAPERSIZE=letter -dFIXEDMEDIA -dTextAlphaBits=4 -dGraphicsAlphaBits=4 \
        -dFirstPage=1 -dLastPage=1 -sOutputFile=- - <"$ps" >"$raster"; then
    printf "%s\n" "$me: Ghostscript could not render $ps" >&2
    exit 1
fi
if [ ! -s "$raster" ]; then
    printf "%s\n" "$me: $ps holds no page" >&2
    exit 1
fi
if ! pamtogif -quiet "$raster" </dev/null >"$tmpgif"; then
    printf "%s\n" "$me: could not convert the rendered page of $ps to GIF" >&2
    exit 1
fi
# mktemp creates the file private; the image is for the web server.
chmod 644 "$tmpgif" || exit 1
mv -f -- "$tmpgif" "$gif" || exit 1
tmpgif=
exit 0
