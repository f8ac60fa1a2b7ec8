#!/usr/bin/env bash
# Runs the randomised whole-run test of ground movements over a range of
# seeds, split into parts that run side by side, and counts the failing
# cases by property. CI runs a sample of seeds; this runs the thousands.
#   scripts/ground-seeds.sh [first] [last] [build folder]
#       default: seeds 1 to 20000 in build/native
#   VLNT_JOBS   parts run at once (default: number of cores)
# Every failing case goes to <build>/ground-seeds/failures.txt (its seed, its
# case and what it broke); the end prints the counts by property.
set -uo pipefail
cd "$(dirname "$0")/.."

first=${1:-1}
last=${2:-20000}
build=${3:-build/native}
jobs=${VLNT_JOBS:-$(nproc)}
program=$build/tests/traffic_tests
[[ -x $program ]] || { echo "$program is not built"; exit 2; }
out=$build/ground-seeds
rm -rf "$out"
mkdir -p "$out"

total=$((last - first + 1))
((total > 0)) || { echo "no seeds from $first to $last"; exit 2; }
part=$(((total + jobs - 1) / jobs))
pids=()
for ((k = 0; k < jobs; k++)); do
  from=$((first + k * part))
  ((from > last)) && break
  count=$((last - from + 1 < part ? last - from + 1 : part))
  VLNT_GROUND_FIRST=$from VLNT_GROUND_CASES=$count VLNT_GROUND_EVERY_FAILURE=1 \
    "$program" --gtest_filter='*RandomGroundFlights.*' --gtest_brief=1 >"$out/part-$k.txt" 2>&1 &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done

# A failing case: its line "seed N: ..." and then a line "  property: ..."
# for each property it broke.
awk '/^seed [0-9]+: / { inCase = !seen[$2]++; if (inCase) print; next }
     inCase && /^  [a-z ]+: / { print; next }
     { inCase = 0 }' "$out"/part-*.txt >"$out/failures.txt"
failed=$(grep -c '^seed ' "$out/failures.txt")
echo "$failed of $total cases failed (seeds $first to $last)"
awk '/^  [a-z ]+: / { sub(/^  /, ""); sub(/:.*/, ""); n[$0]++ }
     END { for (p in n) printf "  %s: %d\n", p, n[p] }' "$out/failures.txt" | sort
echo "the failing cases: $out/failures.txt"
