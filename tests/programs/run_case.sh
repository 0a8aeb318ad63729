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
fail=0
while IFS= read -r line || [ -n "$line" ]; do
  [ -z "$line" ] && continue
  kind=${line%% *}
  arg=${line#* }
  case $kind in
    status) [ "$status" -eq "$arg" ] || { echo "exit status $status, expected $arg"; fail=1; } ;;
    log) grep -qF -- "$arg" "$log" || { echo "log lacks: $arg"; fail=1; } ;;
    nolog) ! grep -qF -- "$arg" "$log" || { echo "log has: $arg"; fail=1; } ;;
    order)
      a=${arg%% | *}; b=${arg#* | }
      la=$(grep -nF -- "$a" "$log" | head -1 | cut -d: -f1)
      lb=$(grep -nF -- "$b" "$log" | head -1 | cut -d: -f1)
      if [ -z "$la" ] || [ -z "$lb" ] || [ "$la" -ge "$lb" ]; then echo "order: '$a' (line $la) not before '$b' (line $lb)"; fail=1; fi ;;
    count)
      n=${arg%% *}; t=${arg#* }
      c=$(grep -cF -- "$t" "$log")
      [ "$c" -eq "$n" ] || { echo "count of '$t': $c, expected $n"; fail=1; } ;;
    file) [ -e "$out/$arg" ] || { echo "missing output file $arg"; fail=1; } ;;
    nofile) [ ! -e "$out/$arg" ] || { echo "unexpected output file $arg"; fail=1; } ;;
    \#*) ;;
    *) echo "bad check line: $line"; fail=1 ;;
  esac
done < "$case/expect"
if [ $fail -ne 0 ]; then
  echo "---- log"; cat "$log"
fi
exit $fail
