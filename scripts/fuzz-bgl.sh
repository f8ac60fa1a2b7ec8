#!/usr/bin/env bash
# Builds the libFuzzer target of the scenery-file (.bgl) reader with clang,
# ASan and UBSan, and runs it seeded with the real scenery files of the tests
# and files the test builder makes: fuzz-bgl.sh [seconds] (default 600). Not
# part of scripts/test-all.sh; needs clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build/fuzz-bgl
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
cmake -S . -B "$out" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DVLNT_BUILD_TESTS=OFF -DVLNT_BUILD_TOOLS=OFF -DVLNT_BUILD_BENCH=OFF -DVLNT_BUILD_FUZZ=ON
cmake --build "$out" -j3 --target bgl_reader_fuzz
corpus="$out/corpus-bgl"
mkdir -p "$corpus"
cp tests/airports/data/bgl/*.bgl "$corpus/"
"$out/tests/fuzz/bgl_reader_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=10 "$corpus"
