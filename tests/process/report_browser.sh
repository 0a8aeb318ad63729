#!/usr/bin/env bash
# report.html with statistical graphics in a headless browser: the page loads without
# errors, every graph of the run is in it, and a screenshot of it is not blank. Skipped
# (status 0 with a note) when no chromium is installed. Usage: report_browser.sh VITALYX DATA WORKDIR
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
exit $fail
