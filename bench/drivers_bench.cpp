// Speed of a driver call with the randomisation test: one real alignment
// and a thousand shuffled ones.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "alignment_random.h"
#include "sequence_alignment-local.h"

using namespace sequence_alignment;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::Amino_Acid_Array;
using sequence_specifications::basic::SEQUENCE_DATA;

namespace {

SEQUENCE_DATA random_protein(int length, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> code(0, 19);
  SEQUENCE_DATA s;
  s.Model = Sequence_Model::PROTEIN;
  s.Length = length;
  s.Amino_Acids = Amino_Acid_Array::make(1, length);
  for (int k = 1; k <= length; ++k) s.Amino_Acids(k) = Amino_Acid(code(random));
  return s;
}

void Local_Protein_Randomization_1000(benchmark::State& state) {
  const int n = int(state.range(0));
  const SEQUENCE_DATA a = random_protein(n, 11), b = random_protein(n, 12);
  alignment_random::Program_Generator().reset(1);
  for (auto _ : state) {
    auto results = local::Align_Local(a, b, Unset_Position, Unset_Position, Unset_Position, Unset_Position, "", 100,
                                      -90, -11, -1, Backward_Mode::DVH, Building_Mode::ONE, Optimize_Mode::NO, -1,
                                      1000, 0);
    benchmark::DoNotOptimize(results);
  }
  state.counters["cells"] =
      benchmark::Counter(1001.0 * n * n * double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(Local_Protein_Randomization_1000)->Arg(300)->Unit(benchmark::kMillisecond);
