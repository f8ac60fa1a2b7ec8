#!/usr/bin/env bash
# Builds the libFuzzer target of the scenery-file (.bgl) reader with clang,
# ASan and UBSan, and runs it seeded with the real scenery files of the tests:
# fuzz-bgl.sh [seconds] (default 600). Not part of scripts/test-all.sh; needs
# clang with libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build/fuzz-bgl
bash scripts/fuzz-configure.sh "$out"
cmake --build "$out" --target bgl_reader_fuzz
corpus="$out/corpus-bgl"
mkdir -p "$corpus"
cp tests/airports/data/bgl/*.bgl "$corpus/"
"$out/tests/fuzz/bgl_reader_fuzz" -max_total_time="$seconds" -max_len=131072 -timeout=10 "$corpus"
