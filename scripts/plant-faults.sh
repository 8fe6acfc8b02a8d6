#!/usr/bin/env bash
# Plants the faults kept in tests/faults/ into the source, one at a time: applies the patch,
# builds the tests it names, runs them, takes the patch out again, and reports which test caught
# each fault. A fault that no test catches is a gap in the tests. A patch that no longer applies
# (the code moved on) or names a test that no longer exists is reported stale: write it anew.
#
# A fault file is a small unified diff (one or two lines of context, so it survives nearby
# changes) after a header of two lines:
#
#     Fault: what goes wrong, in one line
#     Tests: the CTest tests that should catch it (each also a build target, but for the
#            end-to-end tests e2e_*, which run the program, and program_*, which read it)
#
# Usage: scripts/plant-faults.sh [tests/faults/NAME.patch ...]   (none named: every fault)
# Builds in build/ (or $ORVENNA_BUILD_DIR) and edits the files of this checkout while it runs;
# each file is put back as it was, also when the script is stopped.
# Exit status: 0 every fault caught; 1 a fault not caught or one that breaks the build;
# 2 a stale fault and the rest caught; 3 the tests fail without any fault, or the script cannot
# run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVENNA_BUILD_DIR:-$root/build}
cd "$root" || exit 3

if [ $# -gt 0 ]; then
  faults=("$@")
else
  faults=(tests/faults/*.patch)
  [ -e "${faults[0]}" ] || { echo "no faults in tests/faults/"; exit 3; }
fi

work=$(mktemp -d)
mkdir -p "$build"
exec 9>"$build/.plant-faults.lock"
flock -n 9 || { echo "another fault run uses $build"; exit 3; }

planted=()  # files now holding a fault; their clean copies are in $work/clean/
restore() {
  local file
  for file in "${planted[@]}"; do
    # A plain copy gives the file a new time, so the next build compiles it again.
    cp "$work/clean/$file" "$file"
  done
  planted=()
}
trap 'restore; rm -rf "$work"' EXIT
trap 'exit 3' INT TERM

header() {  # header FIELD FILE
  sed -n "s/^$1:[[:space:]]*//p" "$2" | head -1
}

# The CTest tests of a run that failed, each with its failing cases where the output names them.
failures() {  # failures LOG
  local log=$1 test cases
  sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*)$/\1/p' "$log" | sort -u | while read -r test; do
    # Each test's output follows its "Test #N: name" line.
    cases=$(awk -v t="$test" '/Test +#[0-9]+: / { current = $4 } current == t' "$log" |
      sed -n -e 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' \
             -e 's/^FAIL!  : \([^ (]*\(([^)]*)\)\{0,1\}\).*/\1/p' |
      grep -v '^[0-9]' | sort -u | paste -sd ';' - | sed 's/;/; /g')
    echo "$test${cases:+: $cases}"
  done | paste -sd '|' - | sed 's/|/ | /g'
}

build_targets() {  # build_targets LOG TEST...
  local log=$1 test targets=()
  shift
  # An end-to-end test (e2e_*) runs the program and the notes tool, a test program_* reads the
  # program; any other is its own target.
  for test in "$@"; do
    case $test in
      e2e_*) targets+=(orvenna orvenna-notes) ;;
      program_*) targets+=(orvenna) ;;
      *) targets+=("$test") ;;
    esac
  done
  "$root/scripts/build.sh" $(printf -- '--target %s ' $(printf '%s\n' "${targets[@]}" | sort -u)) >"$log" 2>&1
}

run_tests() {  # run_tests LOG TEST...
  local log=$1 regex
  shift
  regex="^($(IFS='|'; echo "$*"))\$"
  ctest --test-dir "$build" -R "$regex" --output-on-failure --timeout 120 -j 2 >"$log" 2>&1
}

# The tests CTest knows (configuring the build folder when needed).
"$root/scripts/build.sh" --target help >/dev/null || exit 3
declare -A known=()
for test in $(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p'); do known[$test]=1; done
missing() {  # the tests a fault names that CTest does not know
  local test
  for test in $(header Tests "$1"); do [ -n "${known[$test]:-}" ] || echo "$test"; done
}

# The tests every fault names, built and run once without a fault: a test that fails already
# would report every fault as caught.
declare -A wanted=()
for fault in "${faults[@]}"; do
  for test in $(header Tests "$fault"); do [ -n "${known[$test]:-}" ] && wanted[$test]=1; done
done
all=("${!wanted[@]}")
echo "Building and running ${#all[@]} test programs without a fault..."
if [ ${#all[@]} -gt 0 ] && ! build_targets "$work/build.log" "${all[@]}"; then
  tail -20 "$work/build.log"
  echo "the tests do not build without a fault"
  exit 3
fi
if [ ${#all[@]} -gt 0 ] && ! run_tests "$work/clean.log" "${all[@]}"; then
  echo "the tests fail without any fault: $(failures "$work/clean.log")"
  exit 3
fi

caught=0 missed=0 stale=0 broken=0
report=()
line() {  # line RESULT NAME DETAIL
  report+=("$(printf '%-11s %-44s %s' "$1" "$2" "$3")")
  echo "[$((${#report[@]}))/${#faults[@]}] $2: $1"
}
echo
for fault in "${faults[@]}"; do
  name=$(basename "$fault" .patch)
  tests=($(header Tests "$fault"))
  gone=$(missing "$fault" | paste -sd ' ' -)
  if [ ${#tests[@]} -eq 0 ] || [ -n "$gone" ]; then
    line "stale" "$name" "names no test${gone:+ called $gone}"
    stale=$((stale + 1))
    continue
  fi
  if ! git apply --check "$fault" 2>"$work/apply.log"; then
    line "stale" "$name" "does not apply: $(head -1 "$work/apply.log")"
    stale=$((stale + 1))
    continue
  fi
  for file in $(git apply --numstat "$fault" | cut -f3); do
    mkdir -p "$work/clean/$(dirname "$file")"
    cp "$file" "$work/clean/$file"
    planted+=("$file")
  done
  git apply "$fault"
  if ! build_targets "$work/build.log" "${tests[@]}"; then
    line "BROKEN" "$name" "does not build with the fault: $(grep -m1 'error' "$work/build.log")"
    broken=$((broken + 1))
  elif run_tests "$work/run.log" "${tests[@]}"; then
    line "NOT CAUGHT" "$name" "$(header Fault "$fault") (ran ${tests[*]})"
    missed=$((missed + 1))
  else
    line "caught" "$name" "$(failures "$work/run.log")"
    caught=$((caught + 1))
  fi
  restore
done

# Back to the clean programs, so the build folder holds what the source says.
if [ ${#all[@]} -gt 0 ] && ! build_targets "$work/build.log" "${all[@]}"; then
  echo "warning: the clean rebuild failed"
fi

echo
echo "Fault report"
printf '%s\n' "${report[@]}"
echo "${#faults[@]} faults: $caught caught, $missed not caught, $stale stale, $broken break the build"
[ $((missed + broken)) -gt 0 ] && exit 1
[ $stale -gt 0 ] && exit 2
exit 0
