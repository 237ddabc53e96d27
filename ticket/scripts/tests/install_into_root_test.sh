#!/bin/sh
# install-into-root.sh: the real scripts land at their fixed paths under a
# root, replacing whatever stood there.
# Usage: install_into_root_test.sh SCRIPTDIR
. "$(dirname -- "$0")/testlib.sh"
src=$1
root="$work/the root"

mkdir -p "$root/usr/local/bin"
printf '#!/bin/sh\necho stand-in\n' >"$root/usr/local/bin/ticket2gif.sh"
sh "$src/install-into-root.sh" "$root"
rc=$?
check "installs (status $rc)" test "$rc" -eq 0
for f in bin/morvik2_ps_ticket.sh bin/ticket2gif.sh share/input_file; do
    check "$f is the real file" cmp -s "$root/usr/local/$f" "$src/$(basename "$f")"
done
check "the template is executable" test -x "$root/usr/local/bin/morvik2_ps_ticket.sh"
check "the converter is executable" test -x "$root/usr/local/bin/ticket2gif.sh"
check "no temp files are left" test "$(ls -A "$root/usr/local/bin" | wc -l)" -eq 2

sh "$src/install-into-root.sh" 2>/dev/null
check "refuses to run without a root" test $? -ne 0
sh "$src/install-into-root.sh" "" 2>/dev/null
check "refuses an empty root" test $? -ne 0

finish
