#!/usr/bin/env bash
# A plot whose fit ends the step (no estimates found; a derivative that cannot be computed)
# leaves no page on either road, and the run ends with status 1, as scripts/gallery takes a
# failure; a group whose fit fails without ending the step keeps its page.
# Usage: ended_steps.sh VITALYX WORKDIR
set -u
exe=$1 work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# Extreme-value intervals far from a scale of 1.1: the likelihood cannot be computed anywhere
# the fit goes. The same rows at two stresses for the relation plot.
printf 'lo,hi\n200.0,\n150.0,200.0\n150.0,\n1200.0,1250.0\n500.0,\n' >far_ev.csv
{ echo "lo,hi,s"; for s in 100 150; do tail -n +2 far_ev.csv | sed "s/\$/,$s/"; done; } >far_ev_s.csv
# Normal intervals, one of them narrower than a scale of 1e150 can resolve.
printf 'lo,hi,x\n1000,1000.0000000000002,0\n500,2000,1\n700,900,2\n' >nw.csv
# Two lots, the second all censored: its fit fails, the step goes on.
printf 'lot,t,status\nA,10,1\nA,20,1\nA,35,1\nA,50,1\nB,30,0\nB,30,0\n' >lots.csv

ended() {   # NAME PROGRAM: both roads end with status 1, an ERROR, and no page
  local name=$1 program=$2 road
  printf '%s\n' "$program" >"$name.vx"
  for road in device statistical; do
    "$exe" --data . --out "o-$name-$road" --graphics "$road" "$name.vx" >/dev/null 2>&1
    local st=$?
    [ "$st" -eq 1 ] || bad "$name ($road): status $st"
    grep -q '^ERROR: .*the step stops' "o-$name-$road/log.txt" || bad "$name ($road): no ERROR that ends the step"
    local pages
    pages=$(ls "o-$name-$road/graphics" 2>/dev/null | wc -l)
    [ "$pages" -eq 0 ] || bad "$name ($road): $pages page file(s) of a step that an ERROR ended"
    grep -q '<figure\|<svg' "o-$name-$road/report.html" && bad "$name ($road): report.html shows a figure"
  done
}
ended no-estimates 'proc vitalyx data=far_ev; distribution extreme; probplot (lo hi) / scale=1.1; run;'
ended no-derivative 'proc vitalyx data=nw; distribution normal; probplot (lo hi) / scale=1e150; run;'
ended relation-no-estimates 'proc vitalyx data=far_ev_s; distribution extreme;
  relationplot (lo hi) = s / relation=arr scale=1.1 plotfit=50; run;'

printf 'proc vitalyx data=lots; distribution weibull; probplot t*status(0) = lot / overlay; run;\n' >lots.vx
for road in device statistical; do
  "$exe" --data . --out "o-lots-$road" --graphics "$road" lots.vx >/dev/null 2>&1
  st=$?
  [ "$st" -eq 0 ] || bad "lots ($road): status $st"
  [ "$(ls "o-lots-$road/graphics" 2>/dev/null | grep -c '\.png$')" -eq 1 ] || bad "lots ($road): the page of a failed group fit is missing"
done
exit $fail
