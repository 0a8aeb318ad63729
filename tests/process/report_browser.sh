#!/usr/bin/env bash
# report.html with statistical graphics in a headless browser: the page loads without
# errors, every graph of the run is in it, and a screenshot of it is not blank. Then a report
# with class levels (every table captioned, the notes of the levels together before the
# statement's tables), and the report of a million-unit MCFPLOT: under 20 MB, and it opens.
# Skipped (status 0 with a note) when no chromium is installed.
# Usage: report_browser.sh VITALYX DATA WORKDIR
set -u
exe=$1 data=$2 work=$3
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "SKIP: no chromium on this machine"
  exit 0
fi
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }
cp "$data/mcf/bladder.csv" .
cat > p.vx <<'VX'
proc vitalyx data=bladder;
  unitid unit;
  mcfplot age*n(-1) = rx / nocenprint interpolate=step nrows=1 ncols=1;
  mcfplot age*n(-1) = rx / nocenprint overlay;
run;
VX
"$exe" --graphics statistical --out out p.vx >/dev/null 2>&1 || bad "the run failed"
graphs=$(ls out/graphics/*.svg 2>/dev/null | wc -l)
[ "$graphs" -eq 3 ] || bad "expected 3 graphs in graphics/, found $graphs"
flags=(--headless --no-sandbox --disable-gpu --hide-scrollbars --user-data-dir="$work/profile")
timeout 120 "$browser" "${flags[@]}" --enable-logging=stderr --v=0 --dump-dom "file://$work/out/report.html" > dom.html 2> console.txt
[ -s dom.html ] || bad "the browser gave no page"
inline=$(grep -o '<svg' dom.html | wc -l)
[ "$inline" -ge 3 ] || bad "the report shows $inline graphs, expected 3"
grep -q 'could not be drawn' dom.html && bad "a graph could not be drawn"
grep -i 'Uncaught\|SyntaxError\|Failed to load' console.txt && bad "the browser reported errors"
timeout 120 "$browser" "${flags[@]}" --window-size=1200,1800 --screenshot="$work/shot.png" "file://$work/out/report.html" >/dev/null 2>&1
[ -s shot.png ] || bad "no screenshot"
# Bytes of the decoded image that are neither white nor a zero difference: a blank page has none.
inked=$(python3 - "$work/shot.png" <<'PY'
import struct, sys, zlib
b = open(sys.argv[1], 'rb').read()
pos, idat = 8, b''
while pos < len(b):
    n, kind = struct.unpack('>I4s', b[pos:pos + 8])
    if kind == b'IDAT':
        idat += b[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
print(sum(1 for c in raw if c not in (0, 255)))
PY
)
[ "${inked:-0}" -gt 10000 ] || bad "the screenshot looks blank ($inked inked bytes)"

# Class levels: one table per statement with a Group column; the levels open no section,
# their notes name them and stand together before the Fit Summary; every table has a caption.
cat > lots.csv <<'CSV'
lot,hours,status
A,10,1
A,20,1
A,30,0
A,25,1
B,15,1
B,35,1
B,40,0
B,22,1
CSV
cat > c.vx <<'VX'
proc vitalyx data=lots;
  distribution weibull;
  class lot;
  analyze hours*status(0) = lot / ppout;
run;
VX
"$exe" --out outc c.vx >/dev/null 2>&1 || bad "the class run failed"
timeout 120 "$browser" "${flags[@]}" --dump-dom "file://$work/outc/report.html" > domc.html 2>/dev/null
tables=$(grep -o '<table' domc.html | wc -l)
captions=$(grep -o '<caption>' domc.html | wc -l)
[ "$tables" -ge 6 ] && [ "$tables" -eq "$captions" ] || bad "$tables tables but $captions captions"
grep -q '<caption>Convergence Status</caption>' domc.html || bad "the convergence status has no caption"
grep -q '<th class="l"></th></tr>' domc.html && bad "a table has an empty header strip"
grep -q '<section class="group">' domc.html && bad "a class level that draws nothing opened a section"
python3 - domc.html <<'PY' || bad "the notes of the levels are not together before the Fit Summary"
import sys
d = open(sys.argv[1]).read()
a, b, fit = d.find('<span class="level">A:</span> NOTE:'), d.find('<span class="level">B:</span> NOTE:'), d.find('<caption>Fit Summary</caption>')
sys.exit(0 if 0 <= a < b < fit else 1)
PY

# A million units: the listing keeps every row, the report the first and last ones.
awk 'BEGIN { print "unit,days,n"; srand(7); for (i = 1; i <= 1000000; i++) { e = int(rand() * 1000) + 1;
             if (rand() < 0.3) print i "," int(rand() * e) + 1 ",1"; print i "," e ",-1" } }' > big.csv
cat > big.vx <<'VX'
proc vitalyx data=big;
  unitid unit;
  mcfplot days*n(-1);
run;
VX
"$exe" --out outbig big.vx >/dev/null 2>&1 || bad "the million-unit run failed"
size=$(stat -c %s outbig/report.html 2>/dev/null || echo 0)
[ "$size" -gt 0 ] && [ "$size" -lt 20000000 ] || bad "the million-unit report has $size bytes, not under 20 MB"
timeout 120 "$browser" "${flags[@]}" --dump-dom "file://$work/outbig/report.html" > dombig.html 2>/dev/null
grep -q 'rows of 1,299,722 left out of the report here: listing.txt holds the whole table' dombig.html ||
  bad "the browser did not open the million-unit report, or it does not say what it leaves out"
rows=$(grep -o '<tr>' dombig.html | wc -l)
[ "$rows" -le 5100 ] || bad "the million-unit report shows $rows rows"
rm -f big.csv outbig/listing.txt
exit $fail
