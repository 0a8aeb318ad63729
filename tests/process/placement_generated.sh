#!/usr/bin/env bash
# Crowded programs of tests/tools/crowdgen.py (a fixed set: probability, relation and MCF plots with many labelled
# reference lines, on both roads), each run on its road, and every rule of the placement check
# (tests/tools/placement.py) on every page they draw. A page that fails is printed with the check's reasons, and
# the program that drew it.
# Usage: placement_generated.sh VITALYX GLYPHSHEET SOURCE OUT [COUNT]
# COUNT programs' contents (each on both roads; 1,260 by default, about 3,250 pages, or VITALYX_GENERATED).
set -u
exe=$1 sheet=$2 root=$3 out=$4 count=${5:-${VITALYX_GENERATED:-1260}}
jobs=$(nproc 2>/dev/null || echo 2)
rm -rf "$out"
mkdir -p "$out/programs" "$out/data" "$out/runs"
ln -s "$root"/examples/*.csv "$root"/tests/data/crowded/*.csv "$out/data/"
python3 "$root/tests/tools/crowdgen.py" "$out/programs" "$count" >"$out/names.txt" || exit 1
fail=0
# Each program on its road (its own OPTIONS statement names it); a run that fails is a fault of its own. Under
# the sanitizers the leak checker's own thread now and then fails at a run's end when hundreds run at once (it
# says so: "LeakSanitizer has encountered a fatal error"); such a run is made once more.
export exe out
xargs -P "$jobs" -I{} bash -c 'run() { cd "$out/data" && "$exe" --data . --out "$out/runs/{}" "$out/programs/{}.vx" \
  >"$out/runs/{}.log" 2>&1; }
  run || { grep -q "LeakSanitizer has encountered a fatal error" "$out/runs/{}.log" && run; } ||
  { echo "{}: the run failed ($?):"; tail -5 "$out/runs/{}.log"; }' <"$out/names.txt" >"$out/runs.txt"
if [ -s "$out/runs.txt" ]; then
  cat "$out/runs.txt"
  fail=1
fi
"$sheet" "$out/glyphs.svg" "$(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import overprint
print(overprint.SHEET_TEXT)' "$root/tests/tools")" || exit 1
progs=() pages=()
while read -r n; do
  progs+=(--program "$n=$out/programs/$n.vx")
  for p in "$out/runs/$n"/graphics/*.svg; do
    [ -f "$p" ] && pages+=("$p")
  done
done <"$out/names.txt"
echo "${#pages[@]} pages of $(wc -l <"$out/names.txt") programs"
python3 "$root/tests/tools/placement.py" --glyphs "$out/glyphs.svg" --jobs "$jobs" "${progs[@]}" "${pages[@]}" \
  >"$out/check.txt"
rc=$?
cat "$out/check.txt"
if [ $rc -ne 0 ]; then
  fail=1
  # the programs of the pages that fail
  grep -o "^$out/runs/[^/]*" "$out/check.txt" | sort -u | while read -r d; do
    n=$(basename "$d")
    echo "---- $n.vx"
    cat "$out/programs/$n.vx"
  done
fi
exit $fail
