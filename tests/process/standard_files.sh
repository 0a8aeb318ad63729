#!/usr/bin/env bash
# The command as the operating system starts it: closed standard descriptors, a log that
# cannot be put in place, temporary files of killed runs, the plots of earlier runs, program
# files that are not regular files, MAKE over the data a run reads (and a NOPRINT table whose
# data set cannot be saved), files of the user's beside the command's (and under a data set's
# name), a graphics/ that is a link (and a page that fails behind it), a file at the name of a
# page's SVG, and a graphics/ that is no usable folder.
# Usage: standard_files.sh VITALYX WORKDIR
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

# 3. log.txt cannot be put in place: status 1, an ERROR on standard error, and the log kept
# under the name it gives, which the next run does not remove and which replaced no file of
# the user's (one at the first such name, PID the run's)
mkdir -p o3/log.txt
bash -c 'echo mine > o3/log.txt.kept-$$; exec "$0" --out o3 p.vx' "$exe" >/dev/null 2>err3.txt
st=$?
[ "$st" -eq 1 ] || bad "log in place: status $st"
grep -q 'vitalyx: ERROR: the log could not be put in place as o3/log.txt' err3.txt || bad "log in place: no ERROR on stderr"
kept=$(sed -n 's/.*; it is kept as \(o3\/log\.txt\.kept-[0-9-]*\), which later runs do not remove$/\1/p' err3.txt)
[ -n "$kept" ] && grep -q 'DATA= is needed' "$kept" || bad "log in place: the log is not kept under a name of its own: $(grep ERROR err3.txt)"
[ "$(cat o3/log.txt.kept-* | grep -c '^mine$')" -eq 1 ] || bad "log in place: the user's file at the kept name was replaced"
"$exe" --out o3 p.vx >/dev/null 2>&1
[ -n "$kept" ] && [ -e "$kept" ] || bad "log in place: the next run removed the kept log"

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

# 7. MAKE over the data the run has read: refused with an ERROR (the data byte for byte as
# they were, the rest of the step written, status 1), whatever the spelling of the folder
printf "proc vitalyx data=fans;\n distribution weibull;\n analyze hours*status(0);\n make 'ParmEst' out=fans;\n make 'NObs' out=counts;\nrun;\n" > over.vx
printf "proc vitalyx data=L.fans;\n distribution weibull;\n analyze hours*status(0);\n make 'ParmEst' out=M.fans;\nrun;\n" > overlib.vx
printf 'hours,status\n2225,1\n2601,1\n794,1\n2446,0\n1500,1\n3000,0\n' > fans.keep
mkdir -p m1 m2 m3d; cp fans.keep m1/fans.csv; cp fans.keep m2/fans.csv; cp fans.keep m3d/fans.csv; cp over.vx m1/
ln -s m3d m3link
(cd m1 && "$exe" --out . over.vx >/dev/null 2>err.txt); st1=$?
"$exe" --data m2 --out m2 over.vx >/dev/null 2>m2err.txt; st2=$?
"$exe" --lib L=m3d --lib M=m3link --out m3 overlib.vx >/dev/null 2>m3err.txt; st3=$?
for k in 1 2 3; do
  st=st$k; e=m$k/err.txt; [ $k -eq 1 ] || e=m${k}err.txt
  [ "${!st}" -eq 1 ] || bad "MAKE over input $k: status ${!st}"
  grep -q 'ERROR: MAKE: OUT=.*FANS is the file .*fans.csv, which this run has read as the data set .*FANS; it is not written over' "$e" ||
    bad "MAKE over input $k: no ERROR naming the file"
done
cmp -s m1/fans.csv fans.keep && cmp -s m2/fans.csv fans.keep && cmp -s m3d/fans.csv fans.keep ||
  bad "MAKE over input: the data were written over"
[ -s m1/counts.csv ] && [ -s m2/counts.csv ] || bad "MAKE over input: the step's other data set is missing"
grep -q -- '--out' m1/err.txt && grep -q -- '--lib M=DIR' m3err.txt || bad "MAKE over input: the ERROR says no way on"
# with NOPRINT, a table whose data set is refused, or cannot be made (a folder at its name), is
# printed, and the ERROR says so
printf "proc vitalyx data=fans;\n distribution weibull;\n analyze hours*status(0);\n make 'ParmEst' out=fans noprint;\n make 'NObs' out=pe noprint;\nrun;\n" > overnp.vx
mkdir -p m4/pe.csv; cp fans.keep m4/fans.csv
"$exe" --data m4 --out m4 overnp.vx >m4out.txt 2>m4err.txt; st=$?
[ "$st" -eq 1 ] && cmp -s m4/fans.csv fans.keep || bad "NOPRINT over input: status $st, or the data were written over"
grep -q 'Parameter Estimates' m4out.txt && grep -q 'Observations Read' m4out.txt || bad "NOPRINT: a table not saved is not printed either"
grep -q 'ERROR: MAKE: OUT=WORK.FANS .* table ParmEst is not saved; it is printed in spite of NOPRINT' m4err.txt &&
  grep -q 'ERROR: MAKE: the data set WORK.PE for table NObs cannot be written: .*; table NObs is printed in spite of NOPRINT' m4err.txt ||
  bad "NOPRINT: the ERRORs do not say that the tables are printed"

# 8. the command's own data sets are replaced: the same program twice (the user's file that the
# first run replaces is named in a NOTE, the second run's own is not), and a two-step pipeline
# whose second step reads and replaces what the first made, twice, without a NOTE
mkdir -p p1; cp fans.keep p1/fans.csv; echo mine > p1/pe.csv
printf "proc vitalyx data=fans;\n distribution weibull;\n analyze hours*status(0);\n make 'ParmEst' out=pe;\nrun;\n" > once.vx
printf "proc vitalyx data=pe;\n distribution normal;\n analyze estimate;\n make 'ParmEst' out=pe;\nrun;\n" > second.vx
cat once.vx second.vx > pipe.vx
for k in 1 2; do
  "$exe" --data p1 --out p1 once.vx >/dev/null 2>p1err.txt || bad "own data set, run $k: status $?"
  [ "$(grep -c 'NOTE: MAKE: the data set WORK.PE replaced p1/pe.csv, which this command had not written' p1err.txt)" -eq $((2 - k)) ] ||
    bad "own data set, run $k: $(grep -c 'replaced p1/pe.csv' p1err.txt) NOTEs of the replaced file"
done
for k in 1 2; do
  "$exe" --data p1 --out p1 pipe.vx >/dev/null 2>p1err.txt || bad "pipeline, run $k: status $?"
  grep -q 'ERROR\|replaced' p1err.txt && bad "pipeline, run $k: $(grep 'ERROR\|replaced' p1err.txt)"
done
[ "$(head -1 p1/pe.csv)" = "Parameter,Estimate,Stderr,Lower,Upper" ] || bad "pipeline: pe.csv is not the second step's"

# 9. temporary files of runs that are gone, by the command's names and pid_max only: the user's
# files stay, those of a dead child (output folder, graphics/, a library) go with one NOTE; a
# data set written into a library over a file there is said in a NOTE
mkdir -p t1/graphics lib
dead=$(bash -c 'echo $$')
echo mine > lib/pe.csv
touch t1/results.tmp-20261208 t1/notes.csv.tmp-99999999 t1/graphics/draft.tmp-4000000 t1/graphics/log.txt.part \
      "t1/listing.txt.tmp-$dead" "t1/pe.csv.tmp-$dead" "t1/graphics/vitalyx.png.tmp-$dead" "lib/pe.csv.tmp-$dead" \
      "lib/other.csv.tmp-$dead" "t1/listing.txt.tmp-0$dead"
printf "proc vitalyx data=fans;\n distribution weibull;\n probplot hours*status(0);\n make 'ParmEst' out=L.pe;\nrun;\n" > tolib.vx
cp fans.keep t1/fans.csv
"$exe" --data t1 --out t1 --lib L=lib tolib.vx >/dev/null 2>t1err.txt || bad "temporary files: status $?"
for f in t1/results.tmp-20261208 t1/notes.csv.tmp-99999999 t1/graphics/draft.tmp-4000000 t1/graphics/log.txt.part \
         "lib/other.csv.tmp-$dead" "t1/listing.txt.tmp-0$dead"; do
  [ -e "$f" ] || bad "temporary files: the user's $f was removed"
done
for f in "t1/listing.txt.tmp-$dead" "t1/pe.csv.tmp-$dead" "t1/graphics/vitalyx.png.tmp-$dead" "lib/pe.csv.tmp-$dead"; do
  [ -e "$f" ] && bad "temporary files: $f was left"
done
grep -q "NOTE: Removed from the output folder t1 the temporary files listing.txt.tmp-$dead, pe.csv.tmp-$dead, graphics/vitalyx.png.tmp-$dead," t1err.txt ||
  bad "temporary files: no NOTE names the files of the output folder"
grep -q "NOTE: MAKE: removed from lib the temporary file pe.csv.tmp-$dead," t1err.txt || bad "temporary files: no NOTE names the library's"
grep -q "NOTE: MAKE: the data set L.PE replaced lib/pe.csv, which this run had not written." t1err.txt ||
  bad "library: no NOTE names the file the data set replaced"

# 10. graphics/ a link: written through, nothing in it removed that the run did not make (a plot
# of an earlier run the manifest lists, a temporary file of a dead run, an older version's
# log.txt.part), one NOTE
"$exe" --data . --out g1 two.vx >/dev/null 2>&1
mv g1/graphics g1target; ln -s ../g1target g1/graphics
touch "g1target/vitalyx.png.tmp-$dead" g1target/log.txt.part; echo mine > g1target/probplot.png
"$exe" --data . --out g1 one.vx >/dev/null 2>g1err.txt || bad "graphics link: status $?"
for f in vitalyx1.png vitalyx1.svg "vitalyx.png.tmp-$dead" log.txt.part probplot.png; do
  [ -e "g1target/$f" ] || bad "graphics link: $f was removed through the link"
done
[ "$(grep -c 'NOTE: graphics/ in the output folder g1 is a link' g1err.txt)" -eq 1 ] || bad "graphics link: not one NOTE"
[ g1target/vitalyx.png -nt g1target/vitalyx1.png ] || bad "graphics link: the plot was not written through"
# a page whose PNG cannot be put in place (a folder at its name) leaves nothing of its own
# behind the link: neither its temporary files nor the SVG it put in place; its ERROR names the
# statement, and the step's next page is drawn
rm g1target/vitalyx.png g1target/vitalyx1.png g1target/vitalyx1.svg; mkdir -p g1target/vitalyx.png/keep
"$exe" --data . --out g1 two.vx >/dev/null 2>g1err.txt
grep -q 'ERROR: Line 3: PROBPLOT statement: The graphics page VITALYX could not be written: cannot rename ' g1err.txt || bad "graphics link: the failed page logged no ERROR"
[ -e g1target/vitalyx1.png ] && [ -e g1target/vitalyx1.svg ] || bad "graphics link: the page after the failed one was not drawn"
[ -e g1target/vitalyx.svg ] && bad "graphics link: the failed page left its SVG"
left=$(ls g1target | grep "\.tmp-" | grep -v "\.tmp-$dead\$")
[ -n "$left" ] && bad "graphics link: the failed page left $left"
[ -e g1target/vitalyx.png/keep ] && [ -e g1target/probplot.png ] || bad "graphics link: the failed page removed what it did not make"

# 11. a page of more than 50,000 markers makes no SVG: the user's file at its name stays, and
# the user's file at its PNG's name is replaced, each with a NOTE
awk 'BEGIN { print "hours"; for (k = 1; k <= 60000; k++) printf "%d.%d\n", 100 + k % 5000, k % 97 }' > dense.csv
printf 'proc vitalyx data=dense;\n probplot hours / noinset;\nrun;\n' > dense.vx
mkdir -p d1/graphics; echo '<svg>mine</svg>' > d1/graphics/vitalyx.svg; echo mine > d1/graphics/vitalyx.png
"$exe" --data . --out d1 dense.vx >/dev/null 2>d1err.txt || bad "dense page: status $?"
[ "$(cat d1/graphics/vitalyx.svg)" = '<svg>mine</svg>' ] || bad "dense page: the user's SVG was removed"
grep -q 'NOTE: graphics/vitalyx.svg is not the SVG of the page VITALYX and stays' d1err.txt || bad "dense page: no NOTE of the SVG"
grep -q 'NOTE: The page VITALYX replaced graphics/vitalyx.png, which this command had not written' d1err.txt ||
  bad "dense page: no NOTE of the replaced PNG"
grep -q 'vitalyx.svg' d1/.vitalyx-plots && bad "dense page: the user's SVG is listed as a plot"

# 12. a graphics/ that is no usable folder (a link to itself, a link to nothing, a file of the
# user's), on both roads, for PROBPLOT and MCFPLOT: one ERROR that names the cause, no page
# tried, every table printed, status 1, and graphics/ as it was
printf 'unit,t,c\n1,5,1\n1,9,0\n2,4,1\n2,7,1\n2,12,0\n' > rec.csv
printf 'proc vitalyx data=d;\n distribution weibull;\n probplot t;\nrun;\nproc vitalyx data=rec;\n unitid unit;\n mcfplot t*c(0);\nrun;\n' > plots.vx
for road in device statistical; do
  for kind in loop nothing file; do
    o=u_${road}_$kind; mkdir -p $o
    case $kind in
      loop) ln -s graphics $o/graphics; cause="a link to 'graphics' that goes round in a loop of links" ;;
      nothing) ln -s nowhere $o/graphics; cause="a link to 'nowhere', which does not exist" ;;
      file) echo mine > $o/graphics; cause="a file, not a folder" ;;
    esac
    "$exe" --graphics $road --data . --out $o plots.vx >$o.out 2>$o.err; st=$?
    [ "$st" -eq 1 ] || bad "graphics/ $kind ($road): status $st"
    [ "$(grep -c 'ERROR:' $o.err)" -eq 1 ] && grep -q "ERROR: No plot of this run is drawn: graphics/ in the output folder $o is $cause\." $o.err ||
      bad "graphics/ $kind ($road): not one ERROR naming the cause: $(grep 'ERROR:' $o.err | head -2)"
    grep -q 'WARNING:\|is a link to a folder' $o.err && bad "graphics/ $kind ($road): $(grep 'WARNING:\|is a link to a folder' $o.err)"
    grep -q 'Parameter Estimates' $o.out && grep -q 'MCF Summary' $o.out || bad "graphics/ $kind ($road): a table is missing"
    case $kind in
      loop) [ "$(readlink $o/graphics)" = graphics ] ;;
      nothing) [ "$(readlink $o/graphics)" = nowhere ] && [ ! -e $o/nowhere ] ;;
      file) [ "$(cat $o/graphics)" = mine ] ;;
    esac || bad "graphics/ $kind ($road): graphics/ was changed"
  done
done

exit $fail
