#!/bin/sh
# Writes one US-letter page of PostScript, the delivery ticket, to standard
# output, drawn from the environment variables that sorvane exports. Unset
# variables read as empty. Reads no input.
#
# Values reach the page only as PostScript string literals escaped byte by
# byte, so no ticket text can end a string or inject code. The fonts are
# re-encoded to Latin-1, since ticket texts are Latin-1 bytes.

cat <<'PROLOG'
%!PS-Adobe-3.0
%%Creator: morvik2_ps_ticket.sh
%%Title: Delivery ticket
%%BoundingBox: 0 0 612 792
%%DocumentMedia: Letter 612 792 0 () ()
%%Pages: 1
%%EndComments
%%BeginProlog
% Latin-1, with the plain ASCII hyphen and quotes.
/LatinEncoding ISOLatin1Encoding 256 array copy def
LatinEncoding 39 /quotesingle put
LatinEncoding 45 /hyphen put
LatinEncoding 96 /grave put
/reencode { % newname basename
  findfont dup length dict begin
    { 1 index /FID ne { def } { pop pop } ifelse } forall
    /Encoding LatinEncoding def
  currentdict end definefont pop
} bind def
/Helvetica-Latin /Helvetica reencode
/Helvetica-Bold-Latin /Helvetica-Bold reencode
/FT { /Helvetica-Bold-Latin findfont 18 scalefont setfont } bind def
/FB { /Helvetica-Bold-Latin findfont 10 scalefont setfont } bind def
/FR { /Helvetica-Latin findfont 10 scalefont setfont } bind def
/FM { /Helvetica-Latin findfont 9 scalefont setfont } bind def
/FS { /Helvetica-Bold-Latin findfont 7 scalefont setfont } bind def
% string maxwidth -> the longest leading part of string that fits, so a
% long value never runs into the next column. The widths of its characters
% are added one by one: however long the value, each is measured once.
/fit {
  /fitmax exch def /fitstr exch def
  0 0                                             % count width
  {
    1 index fitstr length ge { exit } if
    fitstr 2 index 1 getinterval stringwidth pop add
    dup fitmax gt { exit } if
    exch 1 add exch
  } loop
  pop fitstr exch 0 exch getinterval
} bind def
/L { fit 3 1 roll moveto show } bind def                   % x y s w
/R { fit dup stringwidth pop 4 -1 roll exch sub 3 -1 roll moveto show } bind def % xright y s w
/rule { newpath 0.5 setlinewidth 36 exch moveto 540 0 rlineto stroke } bind def % y
%%EndProlog
%%BeginSetup
<< /PageSize [612 792] >> setpagedevice
%%EndSetup
%%Page: 1 1
newpath 1 setlinewidth 30 30 552 732 rectstroke
PROLOG

LC_ALL=C awk '
function v(name) { return (name in ENVIRON) ? ENVIRON[name] : "" }
function esc(s,    out, i, n, c, o) {
    out = ""
    n = length(s)
    for (i = 1; i <= n; i++) {
        c = substr(s, i, 1)
        o = ord[c]
        if (c == "\\" || c == "(" || c == ")")
            out = out "\\" c
        else if (o < 32 || o > 126)
            out = out sprintf("\\%03o", o)
        else
            out = out c
    }
    return "(" out ")"
}
function font(f) { print f }
function L(x, y, s, w) { if (s != "") printf "%d %d %s %d L\n", x, y, esc(s), w }
function R(x, y, s, w) { if (s != "") printf "%d %d %s %d R\n", x, y, esc(s), w }
function rule(y) { printf "%d rule\n", y }
# The QR rows drawn as squares in a box of side `size` at x, y, with the
# quiet margin of four modules the code needs; a run of dark modules is one
# rectangle.
function qrcode(rows, n, x, y, size,    m, r, c, w, run, start) {
    w = length(rows[1])
    m = size / (w + 8)
    printf "1 setgray %d %d %d %d rectfill 0 setgray\n", x, y, size, size
    for (r = 1; r <= n; r++) {
        run = 0
        for (c = 1; c <= w + 1; c++) {
            if (c <= w && substr(rows[r], c, 1) == "1") {
                if (!run) { run = 1; start = c }
            } else if (run) {
                run = 0
                printf "%.3f %.3f %.3f %.3f rectfill\n", x + (start + 3) * m, y + (n + 4 - r) * m, (c - start) * m, m
            }
        }
    }
}
function any3(p,    a) { return v(p "desc") != "" || v(p "target") != "" || v(p "actual") != "" }
function material(p, kind) {
    if (!any3(p)) return
    if (y < floor) { cut = 1; return }
    L(42, y, v(p "desc"), 250); L(300, y, kind, 90)
    R(490, y, v(p "target"), 80); R(570, y, v(p "actual"), 75)
    y -= 11
}
BEGIN {
    for (i = 1; i < 256; i++) ord[sprintf("%c", i)] = i
    # A void e-ticket says so across the page, under everything else.
    if (v("void") == "t")
        print "gsave 0.85 setgray /Helvetica-Bold-Latin findfont 150 scalefont setfont " \
              "306 340 translate (VOID) dup stringwidth pop -2 div 0 moveto show grestore"

    font("FT"); L(42, 738, "DELIVERY TICKET", 330)
    font("FR"); L(42, 720, v("plant") == "" ? "" : "Plant " v("plant"), 330)
    font("FS"); L(400, 740, "TICKET NO.", 70); L(400, 726, "DATE", 70); L(400, 712, "TIME", 70)
    font("FB"); R(570, 740, v("ticket"), 100)
    font("FR"); R(570, 726, v("datebatched"), 100); R(570, 712, v("timebatched"), 100)
    rule(702)

    font("FS"); L(42, 690, "CUSTOMER", 100); L(312, 690, "DELIVER TO", 100)
    if (v("jobid") != "") { L(440, 690, "JOB NO.", 40) }
    font("FR"); R(570, 690, v("jobid"), 90)
    for (i = 1; i <= 3; i++) {
        L(42, 690 - 13 * i, v("customerline" i), 258)
        L(312, 690 - 13 * i, v("jobline" i), 258)
    }
    rule(640)

    font("FS"); L(42, 628, "TRUCK", 100); L(150, 628, "LOAD SIZE", 100)
    L(260, 628, "ORDERED", 100); L(370, 628, "DELIVERED", 100)
    font("FR"); L(42, 614, v("truckid"), 100); L(150, 614, v("batchsize"), 100)
    L(260, 614, v("jobqordered"), 100); L(370, 614, v("jobqdelivered"), 100)
    rule(604)

    # sorvane always exports the formula price; the totals are set only when
    # the ticket prints its prices, so they decide for the formula line too.
    prices = v("subtotal") != "" || v("tax") != "" || v("total") != ""
    font("FS"); R(100, 592, "QUANTITY", 60); L(110, 592, "CODE", 70); L(190, 592, "DESCRIPTION", 200)
    R(490, 592, "UNIT PRICE", 80); R(570, 592, "AMOUNT", 70)
    y = 578
    font("FR")
    if (v("batchsize") != "" || v("formulaid") != "" || v("formuladesc") != "") {
        R(100, y, v("batchsize"), 58); L(110, y, v("formulaid"), 75); L(190, y, v("formuladesc"), 220)
        if (prices) { R(490, y, v("formulaprice"), 80); R(570, y, v("formulatotal"), 75) }
        y -= 14
    }
    for (i = 1; i <= 8; i++) {
        p = "prod" i
        if (v(p "desc") == "" && v(p "quan") == "" && v(p "price") == "" && v(p "total") == "") continue
        R(100, y, v(p "quan"), 58); L(190, y, v(p "desc"), 220)
        R(490, y, v(p "price"), 80); R(570, y, v(p "total"), 75)
        y -= 14
    }

    # The materials stop above the totals; what does not fit is announced.
    floor = 200
    weights = 0
    if (v("printweights") == "t") {
        for (i = 1; i <= 6; i++)
            if (any3("agg" i) || any3("cmt" i) || any3("admix" i)) weights = 1
        if (any3("water1") || v("maxwater") != "" || v("watertrim") != "") weights = 1
    }
    if (weights) {
        y -= 8
        rule(y + 10)
        font("FS"); L(42, y - 2, "MATERIAL", 250); L(300, y - 2, "KIND", 90)
        R(490, y - 2, "TARGET", 80); R(570, y - 2, "ACTUAL", 75)
        y -= 15
        font("FM")
        cut = 0
        for (i = 1; i <= 6; i++) material("agg" i, "Aggregate")
        for (i = 1; i <= 6; i++) material("cmt" i, "Cement")
        for (i = 1; i <= 6; i++) material("admix" i, "Admixture")
        for (i = 1; i <= 99 && any3("water" i); i++) material("water" i, "Water")
        if (cut) { L(42, y, "(more materials than fit on this page)", 300); y -= 11 }
        if (v("maxwater") != "" || v("watertrim") != "") {
            y -= 3
            font("FS"); L(42, y, "WATER", 250)
            font("FM"); R(490, y, v("maxwater"), 180); R(570, y, v("watertrim"), 75)
        }
    }

    if (prices) {
        rule(178)
        font("FS"); L(400, 164, v("subtotal") == "" ? "" : "SUBTOTAL", 80)
        L(400, 150, v("tax") == "" ? "" : "TAX", 80)
        font("FR"); R(570, 164, v("subtotal"), 90); R(570, 150, v("tax"), 90)
        font("FB"); L(400, 134, v("total") == "" ? "" : "TOTAL", 80); R(570, 134, v("total"), 90)
    }

    print "newpath 0.5 setlinewidth 42 70 moveto 300 70 lineto stroke"
    font("FS"); L(42, 60, "RECEIVED BY", 200)

    # The e-ticket: its verification code and the QR code of the address
    # that checks it, in the free corner.
    if (v("verifycode") != "") {
        font("FS"); L(316, 118, "E-TICKET", 150)
        font("FB"); L(316, 104, v("verifyid"), 150)
        font("FS"); L(316, 88, "VERIFICATION CODE", 150)
        font("FB"); L(316, 74, v("verifycode"), 150)
    }
    n = split(v("verifyqr"), qr, " ")
    if (n > 0) qrcode(qr, n, 478, 34, 90)
}' </dev/null

cat <<'EPILOG'
showpage
%%Trailer
%%EOF
EPILOG
