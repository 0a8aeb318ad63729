#!/usr/bin/env bash
# Runs one end-to-end case: vitalyx on CASE/program.vx with CASE as the data folder,
# then checks CASE/expect, one check per line:
#   status N        the exit status
#   log TEXT        a line of the log contains TEXT
#   nolog TEXT      no line of the log contains TEXT
#   order A | B     the first line containing A comes before the first containing B
#   count N TEXT    exactly N lines of the log contain TEXT
#   file NAME       NAME exists in the output folder
#   nofile NAME     NAME does not exist in the output folder (no half-written files)
#   out TEXT        a line of the listing contains TEXT
#   noout TEXT      no line of the listing contains TEXT
#   outorder A | B  in the listing, the first line containing A comes before the first containing B
#   outcount N TEXT exactly N lines of the listing contain TEXT
#   golden FILE     the listing is exactly CASE/FILE (a listing a person has read line by line)
#   block FILE      the listing holds the lines of CASE/FILE as they stand, one after another
#   header NAME TEXT the first line of the output file NAME (a MAKE data set) is exactly TEXT
#   same NAME FILE  the output file NAME (a MAKE data set) is exactly CASE/FILE
set -u
exe=$1 case=$2 out=$3
rm -rf "$out"
mkdir -p "$out"
args=()
[ -f "$case/args" ] && read -r -a args < "$case/args"
"$exe" --data "$case" --out "$out" "${args[@]}" "$case/program.vx" >"$out/stdout.txt" 2>"$out/stderr.txt"
status=$?
log="$out/log.txt"
[ -f "$log" ] || log="$out/stderr.txt"
lst="$out/listing.txt"
[ -f "$lst" ] || lst=/dev/null
fail=0
# order FILE A | B: the first line of FILE containing A comes before the first containing B.
before() {
  local f=$1 a=${2%% | *} b=${2#* | }
  local la lb
  la=$(grep -nF -- "$a" "$f" | head -1 | cut -d: -f1)
  lb=$(grep -nF -- "$b" "$f" | head -1 | cut -d: -f1)
  if [ -z "$la" ] || [ -z "$lb" ] || [ "$la" -ge "$lb" ]; then echo "order in $(basename "$f"): '$a' (line $la) not before '$b' (line $lb)"; return 1; fi
}
while IFS= read -r line || [ -n "$line" ]; do
  [ -z "$line" ] && continue
  kind=${line%% *}
  arg=${line#* }
  case $kind in
    status) [ "$status" -eq "$arg" ] || { echo "exit status $status, expected $arg"; fail=1; } ;;
    log) grep -qF -- "$arg" "$log" || { echo "log lacks: $arg"; fail=1; } ;;
    nolog) ! grep -qF -- "$arg" "$log" || { echo "log has: $arg"; fail=1; } ;;
    order) before "$log" "$arg" || fail=1 ;;
    outorder) before "$lst" "$arg" || fail=1 ;;
    out) grep -qF -- "$arg" "$lst" || { echo "listing lacks: $arg"; fail=1; } ;;
    noout) ! grep -qF -- "$arg" "$lst" || { echo "listing has: $arg"; fail=1; } ;;
    outcount)
      n=${arg%% *}; t=${arg#* }
      c=$(grep -cF -- "$t" "$lst")
      [ "$c" -eq "$n" ] || { echo "count of '$t' in the listing: $c, expected $n"; fail=1; } ;;
    block)
      want=$(cat "$case/$arg"); have=$(cat "$lst")
      [[ "$have" == *"$want"* ]] || { echo "listing lacks the block of $arg:"; cat "$case/$arg"; fail=1; } ;;
    golden) diff -u "$case/$arg" "$lst" >/dev/null || { echo "listing differs from $arg:"; diff -u "$case/$arg" "$lst" | head -60; fail=1; } ;;
    same)
      f=${arg%% *}; g=${arg#* }
      diff -u "$case/$g" "$out/$f" >/dev/null || { echo "$f differs from $g:"; diff -u "$case/$g" "$out/$f" | head -40; fail=1; } ;;
    count)
      n=${arg%% *}; t=${arg#* }
      c=$(grep -cF -- "$t" "$log")
      [ "$c" -eq "$n" ] || { echo "count of '$t': $c, expected $n"; fail=1; } ;;
    file) [ -e "$out/$arg" ] || { echo "missing output file $arg"; fail=1; } ;;
    nofile) [ ! -e "$out/$arg" ] || { echo "unexpected output file $arg"; fail=1; } ;;
    header)
      f=${arg%% *}; t=${arg#* }
      h=$(head -1 "$out/$f" 2>/dev/null)
      [ "$h" = "$t" ] || { echo "first line of $f: '$h', expected '$t'"; fail=1; } ;;
    \#*) ;;
    *) echo "bad check line: $line"; fail=1 ;;
  esac
done < "$case/expect"
if [ $fail -ne 0 ]; then
  echo "---- log"; cat "$log"
fi
exit $fail
