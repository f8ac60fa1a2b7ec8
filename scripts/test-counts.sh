# The counting of scripts/test-all.sh, sourced by it (and by its test).

# Reads a ctest log and prints "PASSED FAILED SKIPPED" on its first line,
# then each test that did not run as "name (Skipped)" or "name (Disabled)".
# ctest counts a skipped test (GTEST_SKIP) among the passed ones of its
# summary and leaves a disabled one out of it; both are listed under "The
# following tests did not run:", and both count here as skipped, not passed.
# A test ctest could not start ("Not Run" without a reason) is one of its
# failed ones. Returns 1 when the log has no summary.
ctest_counts() {
  local log=$1
  local summary total fail not_run counted
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  [[ -n $summary ]] || return 1
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  fail=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  not_run=$(sed -n '/^The following tests did not run:/,/^[[:space:]]*$/p' "$log" |
    grep -E '^[[:space:]]+[0-9]+ - ' | sed -E 's/^[[:space:]]+[0-9]+ - //')
  # The disabled tests are not in the summary's total; every other one is.
  counted=$(grep -cv ' (Disabled)$' <<<"$not_run")
  [[ -n $not_run ]] || counted=0
  echo "$((total - fail - counted)) $fail $(grep -c . <<<"$not_run")"
  [[ -z $not_run ]] || echo "$not_run"
}

# The driver's last line: "N passed, N failed, N skipped", then the stages
# left out, if any: "; stages skipped: demo soak".
summary_line() {
  local passed=$1 failed=$2 skipped=$3
  shift 3
  local line="$passed passed, $failed failed, $skipped skipped"
  (($# == 0)) || line+="; stages skipped: $*"
  echo "$line"
}
