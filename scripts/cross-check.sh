#!/usr/bin/env bash
# Builds the library, the alignment engine and both programs (statically
# linked) for aarch64 with the cross compiler aarch64-linux-gnu-g++, any
# warning being an error. Nothing runs: the tests would need an aarch64
# GoogleTest and an aarch64 machine or emulator. Reports every failing file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh g++-aarch64-linux-gnu
cmake -S . -B build/aarch64 -G Ninja -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64 \
  -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DZARN_STATIC=ON -DZARN_TESTS=OFF
cmake --build build/aarch64 -j "$(nproc)" -- -k 0
echo "zarn and brakto build for aarch64."
