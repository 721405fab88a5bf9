// Speed and storage of the randomisation rounds alone, at each pass the
// processor can run, and the speed of the random draws that shuffle them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "alignment_random.h"
#include "platform/random.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "sequence_alignment-utils.h"

using namespace sequence_alignment;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;

namespace {

template <class Code>
std::vector<Code> random_codes(int length, int alphabet, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> code(0, alphabet - 1);
  std::vector<Code> codes(static_cast<std::size_t>(length));
  for (Code& c : codes) c = Code(code(random));
  return codes;
}

// Rounds of Len1 x Len2, a batch of random windows scored over and over
// (the shuffles are left out), and the bytes of storage the rounds take.
template <class A, class Code, class Matrix>
void rounds(benchmark::State& state, const Matrix& matrix, int alphabet, bool global, std::int32_t g, std::int32_t l,
            int len1, int len2, int count) {
  const auto pass = kernel::Rounds_Pass(state.range(0));
  if (!kernel::Runs_Here(pass)) {
    state.SkipWithError("not on this processor");
    return;
  }
  state.SetLabel(kernel::choice::facts(pass).name);
  const std::vector<Code> a = random_codes<Code>(len1, alphabet, 1);
  const std::vector<Code> b = random_codes<Code>(len2, alphabet, 2);
  const kernel::Problem<A> problem{{a.data(), 1, len1}, {b.data(), 1, len2}, &matrix, g, l, kernel::method_of(global, false)};
  kernel::Rounds<A> scorer(problem, pass);
  const int width = scorer.batch();
  std::vector<std::vector<Code>> windows;
  std::vector<const Code*> pointers;
  for (int k = 0; k < width; ++k) windows.push_back(random_codes<Code>(len2, alphabet, 3 + std::uint32_t(k)));
  for (const auto& w : windows) pointers.push_back(w.data());
  std::vector<std::int32_t> qualities(static_cast<std::size_t>(width));
  for (auto _ : state) {
    for (int done = 0; done < count; done += width) {
      scorer.score(pointers.data(), std::min(width, count - done), qualities.data());
      benchmark::DoNotOptimize(qualities.data());
    }
  }
  state.counters["cells"] =
      benchmark::Counter(double(count) * len1 * len2 * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["storage"] = double(scorer.storage());
}

// 1000 rounds of 300 x 300.
void Rounds_Local_Protein(benchmark::State& state) {
  const int n = int(state.range(1));
  rounds<kernel::Protein, Amino_Acid>(state, utils::Default_Protein_Matrix(), 20, false, -11, -1, n, n, 1000);
}

void Rounds_Global_DNA(benchmark::State& state) {
  const int n = int(state.range(1));
  rounds<kernel::Nucleic, Nucleotide>(state, utils::Default_Nucleic_Matrix(10, 0), 4, true, -50, -3, n, n, 1000);
}

// 32 rounds of a short window 1 against a long window 2, where the storage
// is largest.
void Rounds_Long_Window_Protein(benchmark::State& state) {
  rounds<kernel::Protein, Amino_Acid>(state, utils::Default_Protein_Matrix(), 20, false, -11, -1, 100,
                                      int(state.range(1)), 32);
}

// Every pass by its number; the long windows, there for the lanes'
// storage, leave out the 64-bit pass (number 0), which takes none.
constexpr int pass_count = int(std::size(kernel::choice::rounds_passes));
static_assert(int(kernel::Rounds_Pass::scalar_64) == 0);

void passes(benchmark::internal::Benchmark* b) {
  for (int pass = 0; pass < pass_count; ++pass) b->Args({pass, 300});
}

void long_passes(benchmark::internal::Benchmark* b) {
  for (int pass = 1; pass < pass_count; ++pass) b->Args({pass, 60000});
}

// One draw over a range the shuffles use.
void Random_Draw(benchmark::State& state) {
  platform::Uniform_Discrete generator(1, state.range(0));
  generator.reset(7);
  for (auto _ : state) benchmark::DoNotOptimize(generator.random());
}

// One shuffle of a 300-residue window: one program draw, 600 window draws.
void Shuffle_300(benchmark::State& state) {
  auto codes = sequence_specifications::basic::Amino_Acid_Array::make(1, 300);
  for (int k = 1; k <= 300; ++k) codes(k) = Amino_Acid(k % 20);
  alignment_random::Program_Generator().reset(3);
  for (auto _ : state) {
    alignment_random::Shuffle_Amino_Acids(codes);
    benchmark::DoNotOptimize(codes.data());
  }
}

}  // namespace

BENCHMARK(Rounds_Local_Protein)->Apply(passes)->Unit(benchmark::kMillisecond);
BENCHMARK(Rounds_Global_DNA)->Apply(passes)->Unit(benchmark::kMillisecond);
BENCHMARK(Rounds_Long_Window_Protein)->Apply(long_passes)->Unit(benchmark::kMillisecond);
BENCHMARK(Random_Draw)->Arg(300)->Arg(std::int64_t(1) << 32);
BENCHMARK(Shuffle_300)->Unit(benchmark::kMicrosecond);
