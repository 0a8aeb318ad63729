#!/usr/bin/env bash
# The command as the operating system starts it: closed standard descriptors, a log that
# cannot be put in place, temporary files of killed runs, the plots of earlier runs, and
# program files that are not regular files. Usage: standard_files.sh VITALYX WORKDIR
set -u
exe=$1 work=$2
rm -rf "$work"; mkdir -p "$work"; cd "$work" || exit 1
fail=0
bad() { echo "FAIL: $*"; fail=1; }
printf 'proc vitalyx;\nrun;\n' > p.vx

# 1. all three standard descriptors closed: the log goes to log.txt only, the report stays HTML
"$exe" --out o1 p.vx 0<&- 1>&- 2>&-
st=$?
[ "$st" -eq 1 ] || bad "closed descriptors: status $st"
[ "$(grep -c 'proc vitalyx;' o1/log.txt)" -eq 1 ] || bad "closed descriptors: log.txt has the program $(grep -c 'proc vitalyx;' o1/log.txt) times"
head -c 15 o1/report.html | grep -q '<!DOCTYPE html>' || bad "closed descriptors: report.html does not start as HTML"
grep -q 'proc vitalyx;  *$\|^    1' o1/report.html && bad "closed descriptors: log lines inside report.html"

# 2. only standard error closed: every log line once
"$exe" --out o2 p.vx >/dev/null 2>&-
[ "$(grep -c 'DATA= is needed' o2/log.txt)" -eq 1 ] || bad "closed stderr: the error is in log.txt $(grep -c 'DATA= is needed' o2/log.txt) times"

# 3. log.txt cannot be put in place: status 1 and an ERROR on standard error
mkdir -p o3/log.txt
"$exe" --out o3 p.vx >/dev/null 2>err3.txt
st=$?
[ "$st" -eq 1 ] || bad "log in place: status $st"
grep -q 'vitalyx: ERROR: the log could not be put in place as o3/log.txt' err3.txt || bad "log in place: no ERROR on stderr"

# 4. temporary files of runs that are gone are removed; those of a live process stay
mkdir -p o4/graphics
sleep 30 & live=$!
dead=$(bash -c 'echo $$')
touch "o4/listing.txt.tmp-$dead" "o4/report.html.tmp-$dead" o4/log.txt.part "o4/graphics/p.png.tmp-$dead" \
      "o4/report.html.tmp-$live" o4/notes.txt
"$exe" --out o4 p.vx >/dev/null 2>&1
for f in "listing.txt.tmp-$dead" "report.html.tmp-$dead" log.txt.part "graphics/p.png.tmp-$dead"; do
  [ -e "o4/$f" ] && bad "stale: o4/$f was left"
done
[ -e "o4/report.html.tmp-$live" ] || bad "stale: the file of a running process was removed"
[ -e o4/notes.txt ] || bad "stale: a file of the user was removed"
kill "$live" 2>/dev/null

# 5. the plots of an earlier run go when the next run starts, and only they: two plots, then one
printf 't\n10\n20\n35\n50\n' > d.csv
printf 'proc vitalyx data=d;\n distribution weibull;\n probplot t;\n probplot t;\nrun;\n' > two.vx
printf 'proc vitalyx data=d;\n distribution weibull;\n probplot t;\nrun;\n' > one.vx
"$exe" --data . --out o6 two.vx >/dev/null 2>&1
[ -e o6/graphics/vitalyx1.png ] && [ -e o6/graphics/vitalyx1.svg ] || bad "plots: the first run drew no second plot"
echo mine > o6/graphics/mine.png; echo mine > o6/graphics/vitalyx7.png
"$exe" --data . --out o6 one.vx >/dev/null 2>&1
[ -e o6/graphics/vitalyx1.png ] || [ -e o6/graphics/vitalyx1.svg ] && bad "plots: the earlier run's second plot was left"
[ -e o6/graphics/vitalyx.png ] || bad "plots: this run's plot is missing"
[ -e o6/graphics/mine.png ] && [ -e o6/graphics/vitalyx7.png ] || bad "plots: a file of the user was removed"

# 6. program files that are not regular files: usage errors at once
mkfifo fifo.vx
timeout 20 "$exe" --out o5 fifo.vx >/dev/null 2>err5.txt; st=$?
[ "$st" -eq 2 ] && grep -q 'is not a regular file' err5.txt || bad "FIFO program: status $st"
timeout 20 "$exe" --out o5 /dev/zero >/dev/null 2>err5.txt; st=$?
[ "$st" -eq 2 ] && grep -q 'is not a regular file' err5.txt || bad "/dev/zero program: status $st"
truncate -s 17M big.vx
timeout 20 "$exe" --out o5 big.vx >/dev/null 2>err5.txt; st=$?
[ "$st" -eq 2 ] && grep -q 'a program may have at most 16777216 bytes' err5.txt || bad "large program: status $st"
[ -e o5/log.txt ] && bad "usage errors wrote a log"

exit $fail
