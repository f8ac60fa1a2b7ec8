#!/usr/bin/env bash
# Builds the libFuzzer targets of the RealTraffic parsers (traffic datagrams
# and QNH datagrams) with clang, ASan and UBSan, and runs each for a while:
# fuzz-rtlink.sh [seconds per target]. Not part of scripts/test-all.sh; needs
# clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz-rtlink
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
cmake -S . -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVLNT_BUILD_TESTS=OFF -DVLNT_BUILD_TOOLS=OFF -DVLNT_BUILD_BENCH=OFF -DVLNT_BUILD_FUZZ=ON
cmake --build "$out" --target traffic_datagram_fuzz qnh_fuzz
for name in traffic_datagram qnh; do
  mkdir -p "$out/corpus-$name"
  "$out/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus-$name"
done
