#!/usr/bin/env bash
# Runs the unit tests of the native, ASan and TSan builds again and again, to
# show that no test depends on the machine's pace: a test that waits for
# another thread must wait for the event itself, so a loaded machine may slow
# it but never fail it. Builds nothing: run scripts/test-all.sh (or build the
# folders as it does) first.
#   scripts/repeat-tests.sh [rounds] [stage...]   default: 10 rounds of native asan tsan
#   VLNT_JOBS        parallel tests (default: number of cores)
#   VLNT_BUSY        busy loops to start at the lowest priority for the whole
#                    run, when the machine has no load of its own (default 0)
# Each round's ctest output goes to build/repeat/<stage>-<round>.log; the end
# lists each stage's passed and failed runs and the tests that failed.
set -uo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-10}
shift $(($# > 0 ? 1 : 0))
stages=("$@")
((${#stages[@]})) || stages=(native asan tsan)
jobs=${VLNT_JOBS:-$(nproc)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

for stage in "${stages[@]}"; do
  [[ -f build/$stage/CTestTestfile.cmake ]] || { echo "build/$stage is not built"; exit 2; }
done
mkdir -p build/repeat

busy=()
stop_busy() { for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done; }
trap stop_busy EXIT
for ((b = 0; b < ${VLNT_BUSY:-0}; ++b)); do
  nice -n 19 bash -c 'while :; do :; done' &
  busy+=($!)
done

declare -A runs_passed runs_failed tests_run failed_tests
start=$SECONDS
for ((round = 1; round <= rounds; ++round)); do
  for stage in "${stages[@]}"; do
    log=build/repeat/$stage-$round.log
    began=$SECONDS
    (cd "build/$stage" && ctest --output-on-failure -j"$jobs") >"$log" 2>&1
    summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    fail=$(sed -nE 's/.* ([0-9]+) tests? failed.*/\1/p' <<<"$summary")
    total=$(sed -nE 's/.* out of ([0-9]+).*/\1/p' <<<"$summary")
    tests_run[$stage]=$((${tests_run[$stage]:-0} + ${total:-0}))
    if [[ $fail == 0 ]]; then
      runs_passed[$stage]=$((${runs_passed[$stage]:-0} + 1))
    else
      runs_failed[$stage]=$((${runs_failed[$stage]:-0} + 1))
      names=$(grep -E '^[[:space:]]+[0-9]+ - .* \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception)' "$log" |
        sed -E 's/^[[:space:]]+[0-9]+ - //' | tr '\n' ';')
      failed_tests[$stage]+="round $round: ${names:-no summary};"
    fi
    load=$(cut -d' ' -f1 /proc/loadavg)
    echo "[$stage round $round] ${summary:-no test summary} in $((SECONDS - began)) s, load $load"
  done
done

echo "=== $rounds rounds in $((SECONDS - start)) s"
for stage in "${stages[@]}"; do
  echo "$stage: ${runs_passed[$stage]:-0} runs passed, ${runs_failed[$stage]:-0} failed, ${tests_run[$stage]:-0} tests run"
  [[ -z ${failed_tests[$stage]:-} ]] || tr ';' '\n' <<<"${failed_tests[$stage]}" | sed '/^$/d; s/^/  /'
done
for stage in "${stages[@]}"; do ((${runs_failed[$stage]:-0} == 0)) || exit 1; done
