#!/usr/bin/env bash
# sorvane through the real stack: lighttpd on 127.0.0.1 running the CGI, the
# real outside scripts and velmora, a capturing lpr, the test database.
#
#   web_stack_test.sh SCENARIO BUILD_DIR SOURCE_DIR SORVANE VELMORA SAMPLES ROOT
#
# SCENARIO is view, save, print, hostile, browser or eticket.
set -euo pipefail

scenario=$1 build=$2 src=$3 sorvane=$4 velmora=$5 samples=$6 root=$7
work=$(mktemp -d "${TMPDIR:-/tmp}/morvik-web.XXXXXX")
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    rm -rf "$work"
    # The e-ticket scenario points the QR codes at this server only.
    rm -f "$root/usr/local/morvik/cfg/web.f"
}
trap cleanup EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}

# The test cluster, as CTest's pg_start left it.
set -a
. "$build/pgtest/env"
set +a

# The fixed paths under the build's root: the real scripts and velmora, the
# two web directories, velmora's configuration.
"$src/ticket/scripts/install-into-root.sh" "$root"
mkdir -p "$root/usr/local/morvik/bin" "$root/usr/local/morvik/cfg" \
    "$root/var/www/htdocs/tickets" "$root/srv/www/htdocs/tickets"
cp "$velmora" "$root/usr/local/morvik/bin/velmora"
printf '[database]\nhost addr=localhost\nuser=nobody\n' >"$root/usr/local/morvik/cfg/database.f"
printf '[ticket1]\nraw=t\ncopies=1\n[web]\nlines before=0\n' >"$root/usr/local/morvik/cfg/printers.f"
rm -f "$root/var/www/htdocs/tickets/"sorvane_* "$root/srv/www/htdocs/tickets/ticket"

psql -X -q -U morvik2 -d morvik2 -c "TRUNCATE ticket_t, ticketevent_t" -c "ALTER SEQUENCE invoice_s RESTART" >/dev/null
"$samples" >/dev/null

mkdir -p "$work/bin" "$work/jobs"
ln -s "$src/tests/support/fake-lpr" "$work/bin/lpr"

port=""
while [ -z "$port" ]; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && port=""
done
"$src/web/make-lighttpd-conf.sh" --root "$root" --port "$port" --bind 127.0.0.1 --sorvane "$sorvane" \
    --statedir "$work" --env "PGHOST=$PGHOST" --env "PGPORT=$PGPORT" \
    --env "PATH=$work/bin:/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin" \
    --env "LPR_CAPTURE_DIR=$work/jobs" >"$work/lighttpd.conf"
lighttpd -D -f "$work/lighttpd.conf" 2>"$work/lighttpd.err" &
pid=$!
base=http://127.0.0.1:$port
for _ in $(seq 1 100); do
    curl -s -o /dev/null "$base/" && break
    sleep 0.1
done

# The share of dark pixels in the image on standard input.
ink() { ppmtopgm | pamthreshold -simple -threshold 0.5 | pamsumm -mean -brief | awk '{ print 1 - $1 }'; }

# The ticket's history, one event a line: kind, web client, printer, invoice, copies.
history() {
    psql -X -At -U morvik2 -d morvik2 -c "SELECT kind_c || ' ' || client_c || ' ' || printer_c || ' ' ||
        invoice_c || ' ' || copies_c FROM ticketevent_t WHERE id_c = 'T1001' ORDER BY event_c"
}

# fetch URL-PATH OUT: body into OUT, prints the HTTP status
fetch() { curl -s -m 120 -o "$2" -w '%{http_code}' "$base$1"; }

case "$scenario" in
view)
    status=$(fetch "/cgi-bin/sorvane?com=view&id=T1001&plant=1" "$work/page")
    check "view answers 200" [ "$status" = 200 ]
    check "view page names the image" grep -q '<img src="/tickets/sorvane_T1001.gif" style=' "$work/page"
    check "the page ends properly" grep -q '^</html>$' "$work/page"
    status=$(fetch /tickets/sorvane_T1001.gif "$work/image.gif")
    check "the image is served" [ "$status" = 200 ]
    check "the image is a GIF" [ "$(head -c 4 "$work/image.gif")" = GIF8 ]
    giftopnm "$work/image.gif" >"$work/image.pnm"
    size=$(pamfile "$work/image.pnm" | sed -n 's/.* \([0-9]*\) by \([0-9]*\).*/\1 \2/p')
    read -r width height <<<"$size"
    check "the image is a portrait page ($size)" [ "$width" -ge 400 -a "$height" -gt "$width" ]
    # Some ink: a page with the ticket drawn, not a blank one.
    ink=$(ink <"$work/image.pnm")
    check "the image shows text (ink $ink)" awk -v i="$ink" 'BEGIN { exit !(i > 0.005) }'
    check "the PostScript file is gone" [ ! -e "$root/var/www/htdocs/tickets/sorvane_T1001.ps" ]
    ;;
save)
    status=$(fetch "/cgi-bin/sorvane?com=save&printer=web&id=T1001&plant=1" "$work/page")
    check "save answers 200" [ "$status" = 200 ]
    check "save page refreshes to the saved ticket" \
        grep -qx '<meta http-equiv="REFRESH" content="0;url=/tickets/ticket">' "$work/page"
    status=$(fetch /tickets/ticket "$work/ticket")
    check "the saved ticket is served" [ "$status" = 200 ]
    check "the saved ticket is velmora's copy" cmp -s "$work/ticket" "$root/srv/www/htdocs/tickets/ticket"
    check "the copy holds the customer" grep -q 'Hillside Builders' "$work/ticket"
    check "no job was printed" [ -z "$(ls "$work/jobs")" ]
    check "the save is in the history for the web client ($(history))" [ "$(history)" = "saved 127.0.0.1  0 0" ]
    ;;
print)
    status=$(fetch "/cgi-bin/sorvane?com=print&printer=ticket1&id=T1001&plant=1" "$work/page")
    check "print answers 200" [ "$status" = 200 ]
    check "the page holds the status line" grep -qx '<h1>Ticket Successfully Printed!!!</h1>' "$work/page"
    check "the page starts with its body, not velmora's progress lines" [ "$(head -n 1 "$work/page")" = "" ]
    check "one job reached the spooler" [ -f "$work/jobs/001.args" -a ! -f "$work/jobs/002.args" ]
    check "the job went to the printer's queue" grep -qx -- '-Pticket1' "$work/jobs/001.args"
    check "the job holds the ticket" grep -q 'Hillside Builders' "$work/jobs/001.data"
    invoice=$(psql -X -At -U morvik2 -d morvik2 -c "SELECT invoice_c FROM ticket_t WHERE id_c='T1001'")
    check "the print took invoice number 1 ($invoice)" [ "$invoice" = 1 ]
    check "the print is in the history for the web client ($(history))" \
        [ "$(history)" = "printed 127.0.0.1 ticket1 1 1" ]
    ;;
hostile)
    marker=$work/pwned
    for id in "1;touch%20$marker" "%24(touch%20$marker)" "%60touch%20$marker%60" "..%2F..%2Fetc%2Fpasswd"; do
        for com in view save print; do
            status=$(fetch "/cgi-bin/sorvane?com=$com&printer=ticket1&id=$id&plant=1" "$work/page")
            check "$com of id $id answers 200" [ "$status" = 200 ]
        done
    done
    # lighttpd itself turns away a request holding %00 (400); should one get
    # through, sorvane answers with its refusal page.
    for com in view save print; do
        status=$(fetch "/cgi-bin/sorvane?com=$com&printer=ticket1&id=x%00y%3Btouch%20$marker&plant=1" "$work/page")
        check "$com of an id holding NUL is turned away ($status)" [ "$status" = 400 -o "$status" = 200 ]
    done
    check "no hostile id ran a command" [ ! -e "$marker" ]
    check "no file was written outside the ticket directory" [ -z "$(find "$root" -name 'passwd*')" ]
    status=$(fetch "/cgi-bin/sorvane?com=view&id=%22%3E%3Cscript%3Ealert(1)%3C%2Fscript%3E" "$work/page")
    check "markup from the query string is escaped" bash -c "! grep -q '<script>' '$work/page'"
    ;;
browser)
    shot=$build/artifacts/sorvane-view.png
    mkdir -p "$(dirname "$shot")"
    rm -f "$shot"
    timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --disable-component-update --disable-sync --user-data-dir="$work/chromium" \
        --window-size=460,580 --virtual-time-budget=20000 --screenshot="$shot" \
        "$base/cgi-bin/sorvane?com=view&id=X4004&plant=1" >"$work/chromium.log" 2>&1 || true
    check "chromium took a screenshot" [ -s "$shot" ]
    # The image sits at 5,5 in a 425x550 box; a broken image leaves it blank.
    ink=$(pngtopam "$shot" | pamcut -left 5 -top 5 -width 425 -height 550 | ink)
    check "the screenshot shows the ticket image (ink $ink)" awk -v i="$ink" 'BEGIN { exit !(i > 0.005) }'
    ;;
eticket)
    # The PDF of a ticket full of Latin-1 letters, its QR code read from the
    # page rendered at 150 dpi, and the address it names opened in Chromium,
    # before and after one byte of the stored snapshot changes.
    printf '[web]\nbase url=%s/cgi-bin/sorvane\n' "$base" >"$root/usr/local/morvik/cfg/web.f"
    status=$(curl -s -m 120 -D "$work/headers" -o "$work/t.pdf" -w '%{http_code}' "$base/cgi-bin/sorvane?com=pdf&id=x4004")
    check "pdf answers 200" [ "$status" = 200 ]
    check "the answer says it is a PDF" grep -qi '^Content-Type: application/pdf' "$work/headers"
    check "the browser is offered X4004.pdf" grep -qi '^Content-Disposition: inline; filename="X4004.pdf"' "$work/headers"
    check "the body is a PDF" [ "$(head -c 5 "$work/t.pdf")" = "%PDF-" ]
    pdftotext -enc Latin1 "$work/t.pdf" "$work/t.txt"
    total=$(psql -X -At -U morvik2 -d morvik2 -c \
        "SELECT pgxml_xpath(xmldata_c, '//ticket_t/batch_t/total_c/text()', '', '') FROM ticket_t WHERE id_c='X4004'")
    for text in X4004 $'Caf\xe9 M\xfcller' $'Ma\xefs & Fils' "$total"; do
        check "the PDF's text holds $(printf %s "$text" | iconv -f latin1 -t utf-8)" grep -qF -- "$text" "$work/t.txt"
    done
    gs -dSAFER -dBATCH -dNOPAUSE -q -sDEVICE=pnggray -r150 -sOutputFile="$work/t.png" "$work/t.pdf"
    url=$(zbarimg --quiet --raw "$work/t.png" | head -n 1)
    check "the QR code names the ticket's verify address ($url)" \
        grep -qE "^$base/cgi-bin/sorvane\?com=verify&id=X4004&code=[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}\$" <<<"$url"
    browse() {
        timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
            --disable-component-update --disable-sync --user-data-dir="$work/chromium" --dump-dom "$1" 2>/dev/null
    }
    browse "$url" >"$work/genuine.html" || true
    check "the address says the ticket is genuine" grep -q 'This ticket is genuine' "$work/genuine.html"
    check "the page names the customer, escaped" grep -qF 'Sand &amp; Gravel &lt;Caf' "$work/genuine.html"
    psql -X -q -U morvik2 -d morvik2 -c \
        "UPDATE ticket_t SET xmldata_c = overlay(xmldata_c PLACING 'X' FROM position('<tax_c>' IN xmldata_c) + 7 FOR 1)
         WHERE id_c='X4004'" >/dev/null
    browse "$url" >"$work/changed.html" || true
    check "after one byte changed the code does not match" grep -q 'does not match' "$work/changed.html"
    status=$(fetch "/cgi-bin/sorvane?com=pdf&id=NOSUCH" "$work/none")
    check "an unknown ticket gets the refusal page" grep -q 'Invalid ticket request' "$work/none"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "--- lighttpd errors:" >&2
    tail -n 30 "$work/lighttpd.err" "$work"/*.log 2>/dev/null >&2 || true
    exit 1
fi
