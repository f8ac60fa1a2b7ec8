#!/usr/bin/env bash
# Builds the libFuzzer target of the SimConnect receive framing with clang
# (ASan and UBSan included) and runs it: fuzz-receive-cutter.sh [seconds].
# Not part of scripts/test-all.sh; needs clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I. \
  tests/fuzz/receive_cutter_fuzz.cpp simlink/simconnect/receive_cutter.cpp foundation/binary_reader.cpp \
  -o "$out/receive_cutter_fuzz"
"$out/receive_cutter_fuzz" -max_total_time="$seconds" -max_len=200000 "$out/corpus"
