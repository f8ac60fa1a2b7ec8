#!/usr/bin/env bash
# Builds the libFuzzer target of the aircraft.cfg readers with clang, ASan
# and UBSan, and runs it: fuzz-liveries.sh [seconds] (default 600). Starts
# from the files of the test's livery tree (every encoding, every broken
# rule). Not part of scripts/test-all.sh; needs clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build/fuzz-liveries
bash scripts/fuzz-configure.sh "$out"
cmake --build "$out" --target livery_cfg_fuzz -j"${VLNT_JOBS:-3}"
mkdir -p "$out/corpus"
cp -n tests/fuzz/livery_cfg_seeds/* "$out/corpus/"
"$out/tests/fuzz/livery_cfg_fuzz" -max_total_time="$seconds" -max_len=4096 -dict=tests/fuzz/livery_cfg.dict \
  "$out/corpus"
