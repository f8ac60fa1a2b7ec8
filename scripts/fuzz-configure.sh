#!/usr/bin/env bash
# Configures a libFuzzer build with clang in the given folder: everything
# compiled with -fsanitize=fuzzer-no-link,address,undefined, only the fuzz
# targets (VLNT_BUILD_FUZZ=ON). Used by scripts/fuzz-rtlink.sh,
# scripts/fuzz-airports.sh and scripts/fuzz-bgl.sh: fuzz-configure.sh <build folder>.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
cmake -S . -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVLNT_BUILD_TESTS=OFF -DVLNT_BUILD_TOOLS=OFF -DVLNT_BUILD_BENCH=OFF -DVLNT_BUILD_FUZZ=ON
