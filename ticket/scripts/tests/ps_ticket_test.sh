#!/bin/sh
# morvik2_ps_ticket.sh: the page renders with any environment, hostile texts
# stay literal text, and the sections follow the variables.
# Usage: ps_ticket_test.sh SCRIPTDIR
. "$(dirname -- "$0")/testlib.sh"
script=$1/morvik2_ps_ticket.sh
nl='
'

# ticket OUT NAME=VALUE...: the page for exactly these variables.
ticket() {
    out=$1; shift
    env -i PATH="$PATH" "$@" sh "$script" >"$out"
}
# A full ticket with weights and prices; extra NAME=VALUE pairs override.
rich() {
    out=$1; shift
    ticket "$out" plant=7 ticket=10234 \
        customerline1="$(printf 'Caf\351 M\374ller GmbH')" customerline2="$(printf 'Hauptstra\337e 12')" \
        customerline3="Springfield IL 62701" jobid=J-88 jobline1="North school" \
        jobline2="12 Elm Road" jobline3="Springfield IL 62704" jobqordered=120.00 jobqdelivered=32.00 \
        formulaid=4000PSI formuladesc="4000 psi pump mix" formulaprice=112.50 formulatotal=1125.00 \
        truckid=T12 datebatched=2024-05-02 timebatched=07:45:12 batchsize=10.00 printweights=t \
        prod1desc="Fiber mesh" prod1quan=10.00 prod1price=6.00 prod1total=60.00 \
        prod2desc="Environmental fee" prod2quan=1.00 prod2price=25.00 prod2total=25.00 \
        agg1desc=Sand agg1target=12000.00 agg1actual=12040.00 \
        agg2desc="3/4 stone" agg2target=18000.00 agg2actual=17960.00 \
        cmt1desc="Type I/II" cmt1target=5640.00 cmt1actual=5650.00 \
        admix1desc="Water reducer" admix1target=180.00 admix1actual=181.00 \
        water1desc="Well water" water1target=250.00 water1actual=248.00 \
        water2desc="Hot water" water2target=20.00 water2actual=21.00 \
        water3desc="Ice" water3target=5.00 water3actual=5.00 \
        water4desc="Recycled water" water4target=7.00 water4actual=8.00 \
        maxwater="Max  300.00" watertrim="Trim  -2.00" \
        subtotal=1210.00 tax=84.70 total=1294.70 "$@"
}
# renders_clean PS: Ghostscript draws it without any error, on one page.
renders_clean() {
    render "$1" bbox "$1.bbox" || return 1
    ! grep -q -i error "$1.bbox.log" || return 1
    [ "$(grep -c '^%%BoundingBox' "$1.bbox.log")" -eq 1 ]
}
text_of() { render "$1" txtwrite "$1.txt"; }
# Only printable ASCII and line feeds: every other byte went out escaped.
ascii_only() { [ "$(LC_ALL=C tr -d '\n -~' <"$1" | wc -c)" -eq 0 ]; }
utf8() { printf "$1"; }

# No variables at all.
check "runs with an empty environment" ticket "$work/empty.ps"
check "writes PostScript" sh -c 'head -n 1 "$1" | grep -q "^%!PS"' sh "$work/empty.ps"
check "empty ticket renders on one page without error" renders_clean "$work/empty.ps"
text_of "$work/empty.ps"
check "empty ticket still shows its heading" contains "$work/empty.ps.txt" "DELIVERY TICKET"

# Unset and empty read the same.
names="plant ticket customerline1 customerline2 customerline3 jobid jobline1 jobline2 jobline3
 jobqordered jobqdelivered formulaid formuladesc formulaprice formulatotal truckid datebatched
 timebatched batchsize printweights maxwater watertrim subtotal tax total"
for i in 1 2 3 4 5 6 7 8; do names="$names prod${i}desc prod${i}quan prod${i}price prod${i}total"; done
for g in agg cmt admix; do
    for i in 1 2 3 4 5 6; do names="$names ${g}${i}desc ${g}${i}target ${g}${i}actual"; done
done
names="$names water1desc water1target water1actual water2desc water2target water2actual"
set --
for n in $names; do set -- "$@" "$n="; done
ticket "$work/allempty.ps" "$@"
check "variables set empty give the page of unset ones" cmp -s "$work/empty.ps" "$work/allempty.ps"

# A full ticket.
rich "$work/rich.ps"
check "full ticket renders on one page without error" renders_clean "$work/rich.ps"
check "full ticket is 7-bit text" ascii_only "$work/rich.ps"
check "Latin-1 bytes are octal escapes" contains "$work/rich.ps" 'Caf\351 M\374ller'
text_of "$work/rich.ps"
for t in 10234 "Plant 7" 2024-05-02 07:45:12 "$(utf8 'Caf\303\251 M\303\274ller GmbH')" \
         "$(utf8 'Hauptstra\303\237e 12')" "Springfield IL 62701" J-88 "North school" "12 Elm Road" \
         "Springfield IL 62704" 120.00 32.00 T12 4000PSI "4000 psi pump mix" 112.50 1125.00 \
         "Fiber mesh" 6.00 60.00 "Environmental fee" 25.00 MATERIAL Sand 12040.00 "3/4 stone" 17960.00 \
         "Type I/II" 5650.00 "Water reducer" 181.00 "Well water" 248.00 "Hot water" Ice \
         "Recycled water" "Max  300.00" "Trim  -2.00" 1210.00 84.70 1294.70 SUBTOTAL TOTAL; do
    check "full ticket shows '$t'" contains "$work/rich.ps.txt" "$t"
done

# Hostile texts: each must come out as the very characters it holds.
rich "$work/hostile.ps" \
    customerline1='Evil) show (x' \
    customerline2='back\slash \\ (open' \
    customerline3=') showpage (' \
    jobline1='%!PS-Adobe-3.0' \
    jobline2=') pop 1 0 div (' \
    jobline3='end) } def /x {(' \
    formuladesc="two${nl}lines" \
    prod1desc="$(printf 'Stra\337e \033[1m \377')" \
    truckid=')' datebatched='(' ticket='9\'
check "hostile ticket renders on one page without error" renders_clean "$work/hostile.ps"
check "hostile ticket is 7-bit text" ascii_only "$work/hostile.ps"
for e in '(Evil\) show \(x)' '(back\\slash \\\\ \(open)' '(\) showpage \()' '(%!PS-Adobe-3.0)' \
         '(\) pop 1 0 div \()' '(end\) } def /x {\()' '(two\012lines)' '(Stra\337e \033[1m \377)' \
         '(\))' '(\()' '(9\\)'; do
    check "escaped in the page: $e" contains "$work/hostile.ps" "$e"
done
text_of "$work/hostile.ps"
for t in 'Evil) show (x' 'back\slash \\ (open' ') showpage (' '%!PS-Adobe-3.0' ') pop 1 0 div (' \
         'end) } def /x {(' "$(utf8 'Stra\303\237e')" 'two' 'lines' "$(utf8 '\303\277')"; do
    check "hostile text shown literally: $t" contains "$work/hostile.ps.txt" "$t"
done

# Weights not printed: no materials table, though the values are there.
rich "$work/noweights.ps" printweights=f
text_of "$work/noweights.ps"
check "weights off hides the materials table" sh -c '! grep -q -e MATERIAL -e Sand -e "Max  300" "$1"' sh "$work/noweights.ps.txt"
check "weights off keeps the products" contains "$work/noweights.ps.txt" "Fiber mesh"

# Prices not printed: sorvane still sets the formula price, but empties the
# totals and the product prices.
rich "$work/noprices.ps" subtotal= tax= total= prod1price= prod1total= prod2price= prod2total=
text_of "$work/noprices.ps"
check "prices off hides every price" sh -c '! grep -q -w -e 112.50 -e 1125.00 -e 60.00 -e SUBTOTAL -e TOTAL "$1"' sh "$work/noprices.ps.txt"
check "prices off keeps quantities" contains "$work/noprices.ps.txt" "Environmental fee"

# More materials than the page holds: the rows stop above the totals and
# say so.
set --
for g in agg cmt admix; do
    for i in 1 2 3 4 5 6; do set -- "$@" "${g}${i}desc=${g}-material-$i" "${g}${i}target=1.00" "${g}${i}actual=2.00"; done
done
for i in 1 2 3 4 5 6 7 8 9 10; do set -- "$@" "water${i}desc=water-material-$i" "water${i}target=1.00" "water${i}actual=2.00"; done
for i in 3 4 5 6 7 8; do set -- "$@" "prod${i}desc=extra-$i" "prod${i}quan=1.00"; done
rich "$work/full.ps" "$@"
check "crowded ticket renders on one page without error" renders_clean "$work/full.ps"
text_of "$work/full.ps"
check "crowded ticket shows the first aggregate" contains "$work/full.ps.txt" "agg-material-1"
check "crowded ticket announces the rows left out" contains "$work/full.ps.txt" "more materials than fit"
check "crowded ticket leaves the last water out" sh -c '! grep -q "water-material-10" "$1"' sh "$work/full.ps.txt"
check "crowded ticket keeps the total" contains "$work/full.ps.txt" "1294.70"

# A value far wider than its column is cut, not run across the page.
long=$(printf '%0300d' 0 | tr 0 W)
rich "$work/long.ps" customerline1="$long"
check "long value renders without error" renders_clean "$work/long.ps"
# Cutting takes one pass over a value: 8 KB render as fast as a short one.
huge=$(printf '%08192d' 0 | tr 0 W)
rich "$work/huge.ps" plant="$huge" customerline1="$huge"
check "an 8 KB value renders without error" renders_clean "$work/huge.ps"
# The e-ticket's corner on the crowded page, with an 8 KB identifier: still
# one page, and a PDF of it as well.
qr=$(printf '1111111 1000001 1011101 1011101 1011101 1000001 1111111')
rich "$work/eticket.ps" "$@" verifyid="$huge" verifycode=1a2b-3c4d-5e6f-7a8b verifyqr="$qr" void=t
check "a crowded e-ticket renders on one page without error" renders_clean "$work/eticket.ps"
text_of "$work/eticket.ps"
check "the e-ticket shows its code" contains "$work/eticket.ps.txt" "1a2b-3c4d-5e6f-7a8b"
check "a void e-ticket says so" contains "$work/eticket.ps.txt" "VOID"
gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=pdfwrite -sOutputFile="$work/eticket.pdf" - <"$work/eticket.ps" 2>/dev/null
check "the crowded e-ticket is a one-page PDF" sh -c 'pdfinfo "$1" | grep -q "^Pages: *1$"' sh "$work/eticket.pdf"

text_of "$work/long.ps"
ws=$(tr -cd W <"$work/long.ps.txt" | wc -c)
check "long value is cut to its column ($ws of 300 shown)" test "$ws" -gt 10 -a "$ws" -lt 100

finish
