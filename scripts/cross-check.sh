#!/usr/bin/env bash
# Builds the library, the alignment engine, both programs (statically
# linked) and the tests for aarch64 with the cross compiler
# aarch64-linux-gnu-g++, any warning being an error, and runs the tests
# under the user-mode emulator qemu-aarch64-static: the end-to-end tests
# start the aarch64 programs through it too. GoogleTest for aarch64 is
# built once from the sources Debian ships with libgtest-dev, in
# build/aarch64-googletest. Reports every failing file and test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh g++-aarch64-linux-gnu qemu-user-static googletest
jobs=$(nproc)
emulator=$(command -v qemu-aarch64-static)
sysroot=/usr/aarch64-linux-gnu
cross=(-G Ninja -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64
       -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ -DCMAKE_BUILD_TYPE=Release)

gtest=$PWD/build/aarch64-googletest
cmake -S /usr/src/googletest -B "$gtest/build" "${cross[@]}" -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc -DBUILD_GMOCK=OFF \
  -DCMAKE_INSTALL_PREFIX="$gtest/install" > /dev/null
cmake --build "$gtest/build" -j "$jobs"
cmake --install "$gtest/build" > /dev/null

cmake -S . -B build/aarch64 "${cross[@]}" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DZARN_STATIC=ON -DZARN_TESTS=ON \
  -DGTest_DIR="$gtest/install/lib/cmake/GTest" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator;-L;$sysroot"
cmake --build build/aarch64 -j "$jobs" -- -k 0
echo "zarn, brakto and the tests build for aarch64."
ctest --test-dir build/aarch64 --output-on-failure -j "$jobs"
echo "The aarch64 tests pass under qemu-aarch64-static."
