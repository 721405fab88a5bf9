#!/usr/bin/env bash
# Builds zarn and brakto and runs zarn on the bundled examples, in build/demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZARN_STATIC=ON >/dev/null
cmake --build build/release --target zarn brakto
zarn=$PWD/build/release/zarn/zarn
rm -rf build/demo && mkdir -p build/demo && cp examples/* build/demo/ && cd build/demo
set -x
# Global alignment of two DNA files (plain text and GenBank), reports and summary files.
"$zarn" -S1 dna_1.fa -S2 dna_2.gb -RESULTS -SUMMARY
# Local alignment of two proteins with BLOSUM62 and a shuffle test of 200 rounds.
"$zarn" -LOCAL -S1 protein_1.fa -S2 protein_2.fa -RND 200 -RESULTS
# List mode: three sequences, couples on both strands.
"$zarn" -LOCAL -LIST sequences.list -POSITIONS couples.pos -RESULTS -SUMMARY
set +x
echo
echo "== the first report of build/demo/dna_1_dna_2.aln"
sed -n '1,40p' dna_1_dna_2.aln
echo "(files written in build/demo: $(ls *.aln *.sim | tr '\n' ' '))"
