#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs them side by side, each
# for SECONDS seconds (default 60), over a seed corpus made of the examples and
# test fixtures; the sequence-file target runs a second time on inputs whose
# lines are longer than the readers' 100000-character piece. Each run has a
# fixed seed. A crash, a leak, a sanitizer report or an input slower than 10
# seconds fails the script; the input is kept in build/fuzz/findings and the
# run's output in build/fuzz/logs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang libclang-rt-dev
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DZARN_FUZZ=ON -DZARN_TESTS=OFF
cmake --build build/fuzz -j "$(nproc)"
mkdir -p build/fuzz/findings build/fuzz/logs
names=()
pids=()
trap '[ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true' EXIT

# Runs TARGET under NAME over CORPUS with inputs of at most MAX_LEN bytes.
start() {
  local name=$1 target=$2 corpus=$3 max_len=$4
  rm -f build/fuzz/findings/"$name"-*
  "$target" -seed=1 -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -artifact_prefix=build/fuzz/findings/"$name"- "$corpus" >build/fuzz/logs/"$name".log 2>&1 &
  names+=("$name")
  pids+=($!)
}

for target in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  case $name in
    fuzz_sequence_io) cp -n examples/*.fa examples/*.gcg examples/*.gb examples/*.strider \
                         tests/fixtures/sequence_io/* "$corpus"/ 2>/dev/null || true ;;
    fuzz_*matrix*) cp -n examples/*.mat tests/fixtures/matrices/* "$corpus"/ 2>/dev/null || true ;;
  esac
  start "$name" "$target" "$corpus" 8192
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
start fuzz_sequence_io_long build/fuzz/fuzz/fuzz_sequence_io "$long" 400000

failed=0
for i in "${!pids[@]}"; do
  log=build/fuzz/logs/${names[$i]}.log
  if wait "${pids[$i]}"; then
    echo "== ${names[$i]}: $(grep '^Done' "$log" || echo done)"
  else
    echo "== ${names[$i]}: FAILED (log $log, input in build/fuzz/findings)"
    tail -n 60 "$log"
    failed=1
  fi
done
pids=()
exit $failed
