#!/usr/bin/env bash
# Runs every program of examples/ (the user's guide) and checks the key numbers of
# examples/expected.txt against their listings. Usage: guide_examples.sh VITALYX EXAMPLES OUT
set -u
exe=$1 examples=$2 out=$3
rm -rf "$out"
mkdir -p "$out"
fail=0
for p in "$examples"/*.vx; do
  name=$(basename "$p" .vx)
  if ! "$exe" --out "$out/$name" "$p" >/dev/null 2>"$out/$name.stderr"; then
    echo "$name.vx ended with status $?:"; grep -E "ERROR|WARNING" "$out/$name.stderr"; fail=1
  elif grep -qE "^(ERROR|WARNING)" "$out/$name/log.txt"; then
    echo "$name.vx logged:"; grep -E "^(ERROR|WARNING)" "$out/$name/log.txt"; fail=1
  fi
done
python3 - "$examples/expected.txt" "$out" <<'PY' || fail=1
import re, sys
expected, out = sys.argv[1], sys.argv[2]
number = re.compile(r'(?<![\w.])-?\d+(?:\.\d+)?(?:[eE][-+]?\d+)?(?![\w])')
bad = 0
checked = 0
for line in open(expected):
    if not line.strip() or line.startswith('#'):
        continue
    prog, pattern, which, k, value, tol, source = [f.strip() for f in line.split(' | ')]
    listing = open(f"{out}/{prog[:-3]}/listing.txt").read().split('\n')
    hits = [l for l in listing if re.search(pattern, l)]
    if not hits:
        print(f"{prog}: no line matches {pattern!r}"); bad += 1; continue
    l = hits[0] if which == 'first' else hits[-1]
    nums = number.findall(l)
    if len(nums) < int(k):
        print(f"{prog}: the line {l!r} has no number {k}"); bad += 1; continue
    got = float(nums[int(k) - 1])
    checked += 1
    if abs(got - float(value)) > float(tol):
        print(f"{prog}: {got} on {l.strip()!r}, expected {value} within {tol} ({source})"); bad += 1
print(f"{checked - bad} key numbers agree, {bad} differ")
sys.exit(1 if bad or checked == 0 else 0)
PY
exit $fail
