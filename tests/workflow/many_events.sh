#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Snakemake workflow over a tree of events (workflow/Snakefile), on the
# tree that workflow/make-event-tree writes (3 events of 4 stations), with the
# programs of this build:
#   1. its results are byte for byte those of every program run by hand in
#      every directory of a second copy, and the stored results of
#      workflow/example/expected/;
#   2. a second run has nothing to do and changes no file, also after an
#      infile was rewritten with the same bytes;
#   3. a changed infile reruns its station's pathfix and specfit and its
#      event's gathering, levelmean and mwcalc, and nothing else;
#   4. with --keep-going, a program that fails stops only what depends on it:
#      the other events are brought up to date, and the failed jobs and their
#      events are named.
# Skipped, with a message, where snakemake is not installed.
#   many_events.sh <source directory> <bin directory>
set -euo pipefail
source "$(dirname "$0")/../docs/lib.sh"

source_dir=$1
bin=$2
command -v snakemake >/dev/null 2>&1 ||
  skip "snakemake is not installed (Debian package snakemake): the workflow over many events is not tested"
make_scratch
# Snakemake keeps a cache of its own; here it stays in the scratch directory.
export XDG_CACHE_HOME=$scratch/cache
export LC_ALL=C
programs=(pathfix specfit levelmean mwcalc hypomean pickpair)
# The files of results, as find selects them.
results=(-name nivel.dat -o -name niveles.dat -o -name t1.promedio -o -name mw.dat -o -name res.dat -o -name fases.dat)

"$source_dir/workflow/make-event-tree" "$scratch/tree"
mkdir "$scratch/flow" "$scratch/hand"
cp -R "$scratch/tree" "$scratch/flow/EVENTS"
cp -R "$scratch/tree" "$scratch/hand/EVENTS"

# The workflow in $scratch/flow: snakemake's status, and what it printed in
# $scratch/<name>.out.
workflow() {
  local name=$1
  shift
  local status=0
  (cd "$scratch/flow" && snakemake -s "$source_dir/workflow/Snakefile" --config bin="$bin" "$@") \
    >"$scratch/$name.out" 2>&1 || status=$?
  return $status
}

# The chain by hand in one event's directory, as the README shows it, what
# each program prints in <program>.log beside its files.
by_hand() {
  local event=$1 station program
  for station in "$event"/*/; do
    (cd "$station" && "$bin/pathfix" >pathfix.log 2>&1 && "$bin/specfit" >specfit.log 2>&1) ||
      fail "by hand: pathfix or specfit failed in $station"
  done
  (cd "$event" && cat */nivel.dat >niveles.dat && "$bin/levelmean" >levelmean.log 2>&1 &&
    "$bin/mwcalc" >mwcalc.log 2>&1) || fail "by hand: levelmean or mwcalc failed in $event"
  if [ -f "$event/t1" ]; then (cd "$event" && "$bin/hypomean" >hypomean.log 2>&1) || fail "by hand: hypomean in $event"; fi
  if [ -f "$event/elocate.dat" ]; then (cd "$event" && "$bin/pickpair" >pickpair.log 2>&1) || fail "by hand: pickpair in $event"; fi
}

# Every file of the tree with its modification time, one a line.
times_of_files() {
  (cd "$scratch/flow/EVENTS" && find . -type f -printf '%P %T@\n' | sort)
}

# The jobs a dry run of the workflow lists, one a line: the rule and the
# directory of its first output file within the tree ("pathfix ev002/ST03").
planned_jobs() {
  workflow dry-run -n || fail "snakemake -n failed: $(cat "$scratch/dry-run.out")"
  awk '/^(local)?rule [a-z_]+:$/ { rule = $NF; sub(/:$/, "", rule); next }
       rule != "" && $1 == "output:" { path = $2; sub(/,$/, "", path); sub(/\/[^\/]*$/, "", path);
                                       sub(/^EVENTS\//, "", path); print rule, path; rule = "" }' \
    "$scratch/dry-run.out" | sort
}

# A time stamp later than any before: on a file system that keeps whole
# seconds only, the next second.
next_time_stamp() {
  touch "$scratch/clock"
  case $(stat -c %y "$scratch/clock") in *.000000000*) sleep 1 ;; esac
}

# Multiplies every amplitude of an infile by 1.1 (its header and title
# stay), as a new reading of the spectrum would change it.
change_spectrum() {
  awk 'NR <= 2 { print; next } { printf "%.4E\n", $1 * 1.1 }' "$1" >"$1.new"
  mv "$1.new" "$1"
}

### 1. The results, beside the chain by hand.
for program in "${programs[@]}"; do [ -x "$bin/$program" ] || fail "no program $bin/$program: build first"; done
for event in "$scratch/hand/EVENTS"/*/; do by_hand "${event%/}"; done
workflow first --cores 2 || fail "the workflow failed on the example tree: $(cat "$scratch/first.out")"
diff -r "$scratch/hand/EVENTS" "$scratch/flow/EVENTS" >&2 ||
  fail "the workflow's tree differs from the tree made by hand (above)"
expected=$source_dir/workflow/example/expected
(cd "$expected" && find . -type f \( "${results[@]}" \) | sed 's|^\./||' | sort) >"$scratch/expected-results"
(cd "$scratch/flow/EVENTS" && find . -type f \( "${results[@]}" \) | sed 's|^\./||' | sort) >"$scratch/made-results"
diff -u "$scratch/expected-results" "$scratch/made-results" >&2 ||
  fail "the results made are not those stored in $expected (- stored, + made)"
while read -r file; do
  cmp "$expected/$file" "$scratch/flow/EVENTS/$file" >&2 || fail "$file differs from the stored $expected/$file"
done <"$scratch/expected-results"
echo "1. the workflow's $(find "$scratch/flow/EVENTS" -type f | wc -l) files are those of the chain by hand;" \
  "$(wc -l <"$scratch/expected-results") results as stored"

### 2. A second run does nothing, also after an infile was rewritten with the
### same bytes (a small input newer than the outputs is compared by content).
next_time_stamp
cp -p "$scratch/flow/EVENTS/ev001/ST01/infile" "$scratch/same-infile"
cp "$scratch/same-infile" "$scratch/flow/EVENTS/ev001/ST01/infile"
times_of_files >"$scratch/times-before"
[ -z "$(planned_jobs)" ] || fail "a dry run after the first run plans jobs: $(planned_jobs | tr '\n' ';')"
grep -q "^Nothing to be done" "$scratch/dry-run.out" || fail "a dry run after the first run does not say Nothing to be done"
workflow second --cores 2 || fail "the second run failed: $(cat "$scratch/second.out")"
times_of_files >"$scratch/times-after"
diff "$scratch/times-before" "$scratch/times-after" >&2 || fail "the second run changed files (above)"
echo "2. a second run has nothing to do and changes no file, an infile rewritten as it was included"

### 3. One changed infile reruns its chain, nothing else.
next_time_stamp
change_spectrum "$scratch/flow/EVENTS/ev002/ST03/infile"
change_spectrum "$scratch/hand/EVENTS/ev002/ST03/infile"
times_of_files >"$scratch/times-before"
printf '%s\n' "gather_levels ev002" "levelmean ev002" "mwcalc ev002" "pathfix ev002/ST03" "specfit ev002/ST03" |
  sort >"$scratch/jobs-expected"
planned_jobs >"$scratch/jobs-planned"
diff -u "$scratch/jobs-expected" "$scratch/jobs-planned" >&2 || fail "the jobs planned after one changed infile (- expected, + planned)"
next_time_stamp
workflow after-change --cores 2 || fail "the run after a change failed: $(cat "$scratch/after-change.out")"
times_of_files >"$scratch/times-after"
printf '%s\n' ev002/ST03/{oufile,pathfix.log,nivel.dat,espectro.svg,specfit.log} \
  ev002/{niveles.dat,t1.promedio,levelmean.log,mw.dat,mwcalc.log} | sort >"$scratch/changed-expected"
comm -13 "$scratch/times-before" "$scratch/times-after" | cut -d' ' -f1 | sort >"$scratch/changed"
diff -u "$scratch/changed-expected" "$scratch/changed" >&2 || fail "the files rewritten after one changed infile (- expected, + rewritten)"
by_hand "$scratch/hand/EVENTS/ev002"
diff -r "$scratch/hand/EVENTS" "$scratch/flow/EVENTS" >&2 || fail "after the change, the tree differs from the tree by hand (above)"
cmp -s "$expected/ev002/mw.dat" "$scratch/flow/EVENTS/ev002/mw.dat" &&
  cmp -s "$expected/ev002/t1.promedio" "$scratch/flow/EVENTS/ev002/t1.promedio" &&
  fail "the changed spectrum left the event's mean level as it was"
echo "3. a changed infile reran exactly: $(tr '\n' ';' <"$scratch/jobs-planned")"

### 4. Failures stop only what depends on them.
# A t1dhp that pathfix cannot read in ev001/ST02; no epi.dat in ev002, which
# mwcalc requires (and whose absence reruns it); a changed spectrum in ev003,
# whose chain must still run.
next_time_stamp
echo "12.0 x" >"$scratch/flow/EVENTS/ev001/ST02/t1dhp"
rm "$scratch/flow/EVENTS/ev002/epi.dat"
change_spectrum "$scratch/flow/EVENTS/ev003/ST01/infile"
times_of_files >"$scratch/times-before"
next_time_stamp
status=0
workflow failing --cores 2 --keep-going || status=$?
[ "$status" -ne 0 ] || fail "the workflow reported success with a failing pathfix and mwcalc"
for line in 'EVENTS/ev001/ST02: pathfix: t1dhp:1: column 6: cannot read "x" as a number' \
  'EVENTS/ev002: mwcalc: epi.dat: No such file or directory' \
  'Error in rule pathfix:' 'Error in rule mwcalc:' \
  'workflow:   pathfix in EVENTS/ev001/ST02' 'workflow:   mwcalc in EVENTS/ev002' \
  'workflow: events not brought up to date: ev001 ev002'; do
  grep -qxF -- "$line" "$scratch/failing.out" || fail "the failing run does not print: $line"
done
times_of_files >"$scratch/times-after"
comm -13 "$scratch/times-before" "$scratch/times-after" | cut -d' ' -f1 | sort >"$scratch/changed"
printf '%s\n' ev001/ST02/pathfix.log ev002/mwcalc.log \
  ev003/ST01/{oufile,pathfix.log,nivel.dat,espectro.svg,specfit.log} \
  ev003/{niveles.dat,t1.promedio,levelmean.log,mw.dat,mwcalc.log} | sort >"$scratch/changed-expected"
diff -u "$scratch/changed-expected" "$scratch/changed" >&2 ||
  fail "the files rewritten by the failing run (- expected, + rewritten)"
for removed in ev001/ST02/oufile ev002/mw.dat; do
  [ ! -e "$scratch/flow/EVENTS/$removed" ] || fail "the output $removed of a failed job is still there"
done
# What remains to do is the chain of ev001 from the failed pathfix on, and
# mwcalc in ev002.
printf '%s\n' "gather_levels ev001" "levelmean ev001" "mwcalc ev001" "mwcalc ev002" "pathfix ev001/ST02" \
  "specfit ev001/ST02" | sort >"$scratch/jobs-expected"
planned_jobs >"$scratch/jobs-planned"
diff -u "$scratch/jobs-expected" "$scratch/jobs-planned" >&2 || fail "the jobs planned after the failures (- expected, + planned)"
echo "4. with --keep-going, ev003 was brought up to date; pathfix in ev001/ST02 and mwcalc in ev002 failed and were named"
