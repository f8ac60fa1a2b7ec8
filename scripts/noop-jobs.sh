#!/usr/bin/env bash
# A trial of the whole-run tests (RealWiring, tests/app/real_wiring_test.cpp):
# binds each entry of the run's job table (app/run_jobs.h) to a no-op in turn,
# runs those tests against it, and lists the entries that no test catches.
# Builds nothing: build the app tests first (build/native by default).
#   scripts/noop-jobs.sh [entry...]     default: every entry of the table
#   VLNT_BUILD        the build folder (default build/native)
#   VLNT_JOBS         entries tried at the same time (default 3)
#   VLNT_NOOP_TIMEOUT seconds one trial may take (default 150); a trial that
#                     takes longer counts as caught, since a sound run of the
#                     tests ends in well under a minute
# Each trial's output goes to <build>/noop/<entry>.log.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${VLNT_BUILD:-build/native}
program=$build/tests/app_tests
[[ -x $program ]] || { echo "$program is not built"; exit 2; }
entries=("$@")
((${#entries[@]})) || mapfile -t entries < <(grep -oE 'std::function<.*> \w+;' app/run_jobs.h | grep -oE '\w+;$' | tr -d ';')
mkdir -p "$build/noop"

# Prints "<entry> caught <how>" or "<entry> NOT caught".
try_entry() {
  local entry=$1 log="$build/noop/$1.log"
  VLNT_NOOP_JOB=$entry timeout "${VLNT_NOOP_TIMEOUT:-150}" "$program" --gtest_filter='RealWiring.*' --gtest_fail_fast >"$log" 2>&1
  local rc=$?
  if ((rc == 0)); then
    echo "$entry NOT caught"
  elif ((rc == 124)); then
    echo "$entry caught (timed out)"
  else
    local failed
    failed=$(grep -m1 -oE '^\[  FAILED  \] RealWiring\.\w+' "$log" | sed 's/.*RealWiring\.//')
    echo "$entry caught by ${failed:-a crash (exit $rc)}"
  fi
}
export -f try_entry
export build program

results=$(printf '%s\n' "${entries[@]}" | xargs -P "${VLNT_JOBS:-3}" -I{} bash -c 'try_entry {}' | sort)
echo "$results"
missed=$(grep -c ' NOT caught' <<<"$results")
echo "caught $((${#entries[@]} - missed)) of ${#entries[@]}"
((missed == 0))
