#!/usr/bin/env bash
# Builds the libFuzzer targets of the RealTraffic parsers (traffic datagrams
# and QNH datagrams) with clang, ASan and UBSan, and runs each for a while:
# fuzz-rtlink.sh [seconds per target]. Not part of scripts/test-all.sh; needs
# clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz-rtlink
bash scripts/fuzz-configure.sh "$out"
cmake --build "$out" --target traffic_datagram_fuzz qnh_fuzz
for name in traffic_datagram qnh; do
  mkdir -p "$out/corpus-$name"
  "$out/tests/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus-$name"
done
