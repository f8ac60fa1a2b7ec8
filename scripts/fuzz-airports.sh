#!/usr/bin/env bash
# Builds the libFuzzer target of the airport stand file reader with clang,
# ASan and UBSan, and runs it: fuzz-airports.sh [seconds] (default 600).
# Starts from a small stand file with every kind of entry. Not part of
# scripts/test-all.sh; needs clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build/fuzz-airports
bash scripts/fuzz-configure.sh "$out"
cmake --build "$out" --target stand_file_fuzz -j"${VLNT_JOBS:-3}"
mkdir -p "$out/corpus"
cp -n tests/fuzz/stand_file_seed.xml "$out/corpus/"
"$out/tests/fuzz/stand_file_fuzz" -max_total_time="$seconds" -max_len=8192 -dict=tests/fuzz/stand_file.dict \
  "$out/corpus"
