#!/usr/bin/env bash
# Draws every page of the gallery (scripts/gallery: its cases and the crowded pages of
# tests/data/crowded) on both roads and checks that no text on them is overprinted by another
# text or by a marker (tests/tools/overprint.py). A page that fails is printed with its clashing
# texts. Usage: overprint.sh VITALYX GLYPHSHEET SOURCE OUT
# The placement check (tests/tools/placement.py: values beside their own lines, none left out
# where a place is free, insets at the corner that hides least) fails the test on every rule, or
# on those VITALYX_PLACEMENT names (some of near,far,cross,row,order,join,band,leaders,end,inset,
# panel,missing,reach,ends,thin,strip; "none" leaves it out). Its own test
# (tests/tools/placement_selftest.py) always runs.
set -u
exe=$1 sheet=$2 root=$3 out=$4
placement=${VITALYX_PLACEMENT:-all}
rm -rf "$out"
mkdir -p "$out"
# The cases are drawn two at a time (the sanitizer build of the CI has two cores).
if ! VITALYX="$exe" bash "$root/scripts/gallery" --out "$out/pages" --svg --jobs 2 >"$out/gallery.log" 2>&1; then
  echo "the gallery could not be drawn:"
  cat "$out/gallery.log"
  exit 1
fi
fail=0
# Every crowded case is in the gallery, except those that draw no page by design.
nopage="probplot-events-trials"   # an ERROR: the events/trials form needs another distribution
for p in "$root"/tests/data/crowded/*.vx; do
  name=$(basename "$p" .vx)
  [[ " $nopage " == *" $name "* ]] && continue
  if [ ! -f "$out/pages/$name-device.png" ] || [ ! -f "$out/pages/$name-statistical.png" ]; then
    echo "tests/data/crowded/$name.vx is not drawn by scripts/gallery on both roads"
    fail=1
  fi
done
# A page of more markers than an SVG holds has its PNG only and cannot be read back.
for png in "$out"/pages/*.png; do
  [ -f "${png%.png}.svg" ] || echo "not checked (no SVG): $(basename "$png")"
done
cd "$out/pages" || exit 1
pages=(*.svg)
# The text the annotate data set places at the middle of the page, where the user put it, over a point.
user=(--user "probplot-annotate-device=Annotated text here")
python3 "$root/tests/tools/overprint.py" --glyphsheet "$sheet" "${user[@]}" "${pages[@]}" || fail=1
# The glyph sheet, drawn once for both placement tools.
text=$(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import overprint; print(overprint.SHEET_TEXT)' \
  "$root/tests/tools")
"$sheet" "$out/glyphs.svg" "$text" || fail=1
python3 "$root/tests/tools/placement_selftest.py" --source "$root" --glyphs "$out/glyphs.svg" . || fail=1
if [ "$placement" != none ]; then
  python3 "$root/tests/tools/placement.py" --source "$root" --glyphs "$out/glyphs.svg" --rules "$placement" "${pages[@]}" ||
    fail=1
fi
exit $fail
