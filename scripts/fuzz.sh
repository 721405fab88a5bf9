#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each for SECONDS seconds
# (default 60) over a seed corpus made of the examples and test fixtures, then
# the sequence-file target once more on inputs whose lines are longer than the
# readers' 100000-character piece. Needs the Debian package clang.
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

# Seeds with lines past the read piece: a plain header, GCG and GenBank residues.
long=build/fuzz/corpus/fuzz_sequence_io_long
mkdir -p "$long"
residues() { head -c "$1" /dev/zero | tr '\0' "$2"; }
{ printf '>h '; residues 120000 M; printf '\nACGT\n'; } >"$long/plain_long_header"
{ printf '!!NA_SEQUENCE 1.0\nX  Length: 150000  ..\n       1  '; residues 150000 A; printf '\n'; } \
  >"$long/gcg_long_line"
{ printf 'LOCUS       X 150000 bp\nORIGIN\n        1 '; residues 150000 c; printf '\n//\n'; } \
  >"$long/genbank_long_line"
echo "== fuzz_sequence_io, long lines"
build/fuzz/fuzz/fuzz_sequence_io -max_total_time="$seconds" -max_len=400000 "$long"
