#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each for SECONDS seconds
# (default 60) over a seed corpus made of the examples and test fixtures.
# Needs the Debian package clang.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARN_FUZZ=ON -DZARN_TESTS=OFF
cmake --build build/fuzz
for target in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  case $name in
    fuzz_sequence_io) cp -n examples/*.fa examples/*.gcg examples/*.gb examples/*.strider \
                         tests/fixtures/sequence_io/* "$corpus"/ 2>/dev/null || true ;;
    fuzz_*matrix*) cp -n examples/*.mat tests/fixtures/matrices/* "$corpus"/ 2>/dev/null || true ;;
  esac
  echo "== $name"
  "$target" -max_total_time="$seconds" -max_len=8192 "$corpus"
done
