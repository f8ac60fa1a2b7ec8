#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz) with clang, ASan and UBSan, and
# runs each for a while: fuzz.sh [seconds per target] [target ...] (default
# 300 s, every target; a target is named without "_fuzz", e.g. stand_file).
# The test driver runs them all for 15 s each so that none can rot; `make
# fuzz` longer. Each target keeps its corpus in build/fuzz/corpus-<name>,
# started from tests/fuzz/<name>_seed.* (the scenery reader from the real
# scenery files of the tests) when there is one, and uses
# tests/fuzz/<name>.dict when there is one; a failing input is written to
# build/fuzz/artifacts/. Exit status: non-zero when a target could not be
# built or found a failure.
#   VLNT_JOBS   parallel build jobs (default: number of cores)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift $(($# > 0 ? 1 : 0))
jobs=${VLNT_JOBS:-$(nproc)}
out=build/fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVLNT_BUILD_TESTS=OFF -DVLNT_BUILD_TOOLS=OFF -DVLNT_BUILD_BENCH=OFF -DVLNT_BUILD_FUZZ=ON >/dev/null ||
  { echo "fuzz: configuring the clang build failed"; exit 1; }
targets=("$@")
if ((${#targets[@]} == 0)); then
  for source in tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%_fuzz}")
  done
fi
cmake --build "$out" -j"$jobs" --target "${targets[@]/%/_fuzz}" || { echo "fuzz: building the targets failed"; exit 1; }

# The longest input of each target: a whole datagram, a stream of messages,
# a stand file, a scenery file (seeded with the real ones of the tests).
declare -A max_len=([traffic_datagram]=16383 [qnh]=16383 [receive_cutter]=200000 [stand_file]=8192 [log_text]=4096
  [bgl_reader]=131072)
declare -A seeds=([bgl_reader]="tests/airports/data/bgl/*.bgl")
mkdir -p "$out/artifacts"
failed=0
for name in "${targets[@]}"; do
  mkdir -p "$out/corpus-$name"
  for seed in tests/fuzz/"${name}"_seed.* ${seeds[$name]:-}; do [[ -f $seed ]] && cp -n "$seed" "$out/corpus-$name/"; done
  options=(-max_total_time="$seconds" -max_len="${max_len[$name]:-4096}" -timeout=10
    -artifact_prefix="$out/artifacts/$name-" -print_final_stats=1)
  [[ -f tests/fuzz/$name.dict ]] && options+=(-dict="tests/fuzz/$name.dict")
  echo "=== fuzz $name for $seconds s"
  if "$out/tests/fuzz/${name}_fuzz" "${options[@]}" "$out/corpus-$name" >"$out/$name.log" 2>&1; then
    grep -E '^stat::number_of_executed_units' "$out/$name.log" || true
  else
    echo "fuzz: $name found a failure (see $out/$name.log and $out/artifacts/)"
    tail -n 30 "$out/$name.log"
    failed=1
  fi
done
exit $failed
