#!/usr/bin/env bash
# Builds the suite three times and runs every test in each build: optimised
# with g++, with AddressSanitizer and UndefinedBehaviorSanitizer, and with
# clang++ where any warning is an error. Then builds the library, both
# programs and the tests for aarch64 and runs the tests under qemu-user, and
# runs each fuzz target for 20 seconds; a fuzz finding fails like a test.
set -euo pipefail
cd "$(dirname "$0")/.."
# libclang-rt-dev holds libFuzzer and clang's sanitizer runtimes, which the
# package clang only recommends; parallel (GNU parallel) runs the README's
# recipe for many machines in a test.
scripts/install-deps.sh clang libclang-rt-dev parallel
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARN_STATIC=ON -DZARN_BENCH=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DZARN_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

cmake -S . -B build/clang -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DZARN_BENCH=ON
cmake --build build/clang -j "$jobs"
ctest --test-dir build/clang --output-on-failure -j "$jobs"

# The sources must build and pass their tests on other processors than this one's.
scripts/cross-check.sh

scripts/fuzz.sh 20
echo "All tests passed in the three builds and on aarch64 under qemu-user; the fuzz targets found nothing."
