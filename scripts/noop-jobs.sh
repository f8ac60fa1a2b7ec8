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
#
# The entries no whole run can show, and why; the tests named pin what the run
# loop, closing down or the reset do with them. The trial expects these not
# caught, and fails when any other entry is not caught or one of these is.
#   clearReservedStand, reservedStandName: the five-second job clears a stand
#     that became reserved (Re-read) of a live aircraft that was driving onto
#     it, or was still being created on it, when the reservation came, once
#     that aircraft has parked. Nothing else removes it: the Re-read clears
#     only what is parked there already, and reading the stand file reserves
#     without clearing. A whole run cannot time the Re-read, which waits for a
#     fifth counted second, into the few seconds between the aircraft taking
#     the stand and parking on it: tests/app/run_jobs_test.cpp tries it on
#     the real table.
#   clearUserRef: the reset of a restart clears the user position the traffic
#     thread reads, g_userRef. That is read again every 100th tick, after that
#     tick's spawn steps, and the tick count goes on across a restart, so the
#     new run sees {0,0} (without the clear, the last run's position) for at
#     most 99 ticks. In them no spawn step runs (an aircraft's first comes at
#     least 2700 ticks after its first record) and the clearing of the user's
#     way finds no active aircraft (the reset emptied the tables, and a static
#     aircraft takes 200 ticks to become active). closing_down_test.cpp.
#   clearLiveryByHexId, clearGhostCallsigns: closing down empties the livery
#     and ghost maps, but the traffic reset empties them again at every
#     restart, and a quit ends the process; the livery map's daily clear comes
#     at the 86400th counted second. closing_down_test.cpp, run_loop_test.cpp.
#   clearPosUpdates: a pause drops the position blocks not yet sent; sent
#     after the pause they would put each object where it stands already,
#     since nothing moves while the flight stands. run_loop_test.cpp.
#   handleAcEvents: the simulator's events are handled while the flight
#     stands; without it they wait for the first tick after the pause, which
#     handles them before anything else. Only a creation in the two counted
#     seconds before a pause would show it (its activation), which a whole run
#     cannot time. run_loop_test.cpp.
#   hasSimError: the link's error comes from a request it could not send,
#     which the stand-in cannot bring about (a cut connection ends the flight
#     first), and it requests the stop itself. run_loop_test.cpp.
#   isNewUserSampleWaiting: it re-aligns the 10 ms tick grid to a sample's
#     arrival, which moves no tick by a whole tick. run_loop_test.cpp.
#   reserveTrafficTables: it reserves the traffic tables' room, once per
#     process. start_up_test.cpp.
unshowable=" clearReservedStand reservedStandName clearUserRef clearLiveryByHexId clearGhostCallsigns clearPosUpdates
  handleAcEvents hasSimError isNewUserSampleWaiting reserveTrafficTables "
set -uo pipefail
cd "$(dirname "$0")/.."

build=${VLNT_BUILD:-build/native}
program=$build/tests/app_tests
[[ -x $program ]] || { echo "$program is not built"; exit 2; }
entries=("$@")
((${#entries[@]})) || mapfile -t entries < <(grep -oE 'std::function<.*> \w+;' app/run_jobs.h | grep -oE '\w+;$' | tr -d ';')
mkdir -p "$build/noop"

# Prints "<entry> caught <how>", "<entry> not caught (no whole run can)" for the
# entries above, or "<entry> NOT caught".
try_entry() {
  local entry=$1 log="$build/noop/$1.log"
  VLNT_NOOP_JOB=$entry timeout "${VLNT_NOOP_TIMEOUT:-150}" "$program" --gtest_filter='RealWiring.*' --gtest_fail_fast >"$log" 2>&1
  local rc=$?
  if ((rc == 0)); then
    if [[ $unshowable == *[[:space:]]$entry[[:space:]]* ]]; then
      echo "$entry not caught (no whole run can)"
    else
      echo "$entry NOT caught"
    fi
  elif ((rc == 124)); then
    echo "$entry caught (timed out)"
  else
    local failed
    failed=$(grep -m1 -oE '^\[  FAILED  \] RealWiring\.\w+' "$log" | sed 's/.*RealWiring\.//')
    echo "$entry caught by ${failed:-a crash (exit $rc)}"
  fi
}
export -f try_entry
export build program unshowable

results=$(printf '%s\n' "${entries[@]}" | xargs -P "${VLNT_JOBS:-3}" -I{} bash -c 'try_entry {}' | sort)
echo "$results"
missed=$(grep -c ' NOT caught' <<<"$results")
expected=$(grep -c ' not caught (no whole run can)' <<<"$results")
# A listed entry that a whole run shows now belongs off the list.
shown=$(grep -oE '^\w+ caught' <<<"$results" | cut -d' ' -f1 | while read -r entry; do
  [[ $unshowable == *[[:space:]]$entry[[:space:]]* ]] && echo "$entry"
done)
echo "caught $((${#entries[@]} - missed - expected)) of ${#entries[@]}; $expected that no whole run can show"
[[ -z $shown ]] || echo "caught although listed as not showable: $shown"
((missed == 0)) && [[ -z $shown ]]
