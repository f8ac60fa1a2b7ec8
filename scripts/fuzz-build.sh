#!/usr/bin/env bash
# Configures a clang build of the libFuzzer targets in a folder (everything
# compiled with -fsanitize=fuzzer-no-link, ASan and UBSan) and builds the
# named targets: fuzz-build.sh FOLDER TARGET... The fuzz-*.sh scripts use it.
#   VLNT_JOBS  parallel build jobs (default: number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$1
shift
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
cmake -S . -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVLNT_BUILD_TESTS=OFF -DVLNT_BUILD_TOOLS=OFF -DVLNT_BUILD_BENCH=OFF -DVLNT_BUILD_FUZZ=ON
cmake --build "$out" -j"${VLNT_JOBS:-$(nproc)}" --target "$@"
