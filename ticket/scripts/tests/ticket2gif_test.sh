#!/bin/sh
# ticket2gif.sh: makes PATH.gif from PATH.ps, silent on standard output,
# atomic, safe with odd paths, and failing loudly without leftovers.
# Usage: ticket2gif_test.sh SCRIPTDIR
. "$(dirname -- "$0")/testlib.sh"
scripts=$(cd "$1" && pwd) || exit 1
conv=$scripts/ticket2gif.sh
input=$scripts/input_file

# A directory and file name holding a space, a quote, a percent template,
# shell metacharacters and a Latin-1 byte.
dir="$work/tickets dir"
mkdir -p "$dir"
name=$(printf "sorvane_it's %%d;\$(x) \351")
base="$dir/$name"
env -i PATH="$PATH" ticket=77 customerline1=Acme batchsize=10.00 sh "$scripts/morvik2_ps_ticket.sh" >"$base.ps"

# gif_size FILE: "WIDTHxHEIGHT" from the GIF's logical screen descriptor.
gif_size() {
    set -- $(od -An -v -tu1 -j6 -N4 -- "$1")
    echo "$(($1 + 256 * $2))x$(($3 + 256 * $4))"
}
# Nothing in the directory but the given names.
only_files() {
    want=$(printf '%s\n' "$@" | LC_ALL=C sort)
    have=$(cd "$dir" && LC_ALL=C ls -A | LC_ALL=C sort)
    [ "$want" = "$have" ]
}

"$conv" "$base" <"$input" >"$work/out" 2>"$work/err"
rc=$?
check "converts (status $rc; $(cat "$work/err"))" test "$rc" -eq 0
check "prints nothing on standard output" test ! -s "$work/out"
check "writes PATH.gif" test -f "$base.gif"
check "the file is a GIF" test "$(head -c 4 "$base.gif")" = GIF8
size=$(gif_size "$base.gif")
check "letter page at 100 dpi ($size)" test "$size" = 850x1100
check "the GIF decodes to the same size" sh -c 'giftopnm "$1" | pamfile | grep -q "850 by 1100"' sh "$base.gif"
mean=$(giftopnm "$base.gif" | pamsumm -mean -brief)
check "the page has ink on it (mean $mean)" awk -v m="$mean" 'BEGIN { exit !(m > 150 && m < 254.9) }'
check "the GIF is readable by the web server" sh -c 'ls -l "$1" | grep -q "^-rw-r--r--"' sh "$base.gif"
check "leaves no temp files" only_files "$name.ps" "$name.gif"

# A page with an error: failure, and the old image stays as it was.
cp "$base.gif" "$work/before.gif"
printf '%%!PS\n1 0 div\nshowpage\n' >"$base.ps"
"$conv" "$base" </dev/null >"$work/out" 2>"$work/err"
rc=$?
check "broken PostScript fails (status $rc)" test "$rc" -ne 0
check "broken PostScript prints nothing on standard output" test ! -s "$work/out"
check "broken PostScript is reported on standard error" test -s "$work/err"
check "broken PostScript leaves the old GIF alone" cmp -s "$base.gif" "$work/before.gif"
check "broken PostScript leaves no temp files" only_files "$name.ps" "$name.gif"

# A file with no page in it is a failure too.
printf '%%!PS\n' >"$base.ps"
"$conv" "$base" </dev/null >"$work/out" 2>/dev/null
rc=$?
check "PostScript without a page fails (status $rc)" test "$rc" -ne 0
check "PostScript without a page leaves no temp files" only_files "$name.ps" "$name.gif"

# No .ps at all.
rm -f "$base.ps" "$base.gif"
"$conv" "$base" <"$input" >"$work/out" 2>"$work/err"
rc=$?
check "missing .ps fails (status $rc)" test "$rc" -ne 0
check "missing .ps prints nothing on standard output" test ! -s "$work/out"
check "missing .ps is reported on standard error" test -s "$work/err"
check "missing .ps makes no GIF and no temp files" only_files

# Without an argument.
"$conv" </dev/null >"$work/out" 2>/dev/null
rc=$?
check "no argument fails (status $rc)" test "$rc" -ne 0
check "no argument prints nothing on standard output" test ! -s "$work/out"

# A relative path that looks like an option.
env -i PATH="$PATH" sh "$scripts/morvik2_ps_ticket.sh" >"$dir/-dNOSAFER"
mv "$dir/-dNOSAFER" "$dir/-dNOSAFER.ps"
(cd "$dir" && "$conv" -dNOSAFER </dev/null >"$work/out" 2>"$work/err")
rc=$?
check "relative name starting with '-' converts (status $rc; $(cat "$work/err"))" test "$rc" -eq 0
check "relative name starting with '-' gives its GIF" test "$(head -c 4 "$dir/-dNOSAFER.gif")" = GIF8

finish
