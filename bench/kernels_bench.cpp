// Speed of the alignment kernels, in cells of the dynamic-programming
// matrix per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-utils.h"

using namespace sequence_alignment;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;

namespace {

// A random sequence and a relative of it: about one residue in five
// changed, one in forty inserted or deleted.
template <class Code>
std::pair<std::vector<Code>, std::vector<Code>> couple(int length, int alphabet, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> code(0, alphabet - 1), event(0, 39);
  std::vector<Code> a, b;
  for (int k = 0; k < length; ++k) a.push_back(Code(code(random)));
  for (std::size_t k = 0; k < a.size() && int(b.size()) < length; ++k) {
    const int e = event(random);
    if (e == 0) continue;
    if (e == 1) b.push_back(Code(code(random)));
    b.push_back(e < 9 ? Code(code(random)) : a[k]);
  }
  while (int(b.size()) < length) b.push_back(Code(code(random)));
  return {a, b};
}

template <class Code>
utils::Code_Window<Code> window(const std::vector<Code>& codes) {
  return {codes.data(), 1, std::int32_t(codes.size())};
}

void count_cells(benchmark::State& state, std::int64_t cells) {
  state.counters["cells"] = benchmark::Counter(double(cells) * double(state.iterations()),
                                               benchmark::Counter::kIsRate);
}

void Local_Protein(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Amino_Acid>(n, 20, 1);
  const auto matrix = utils::Default_Protein_Matrix();
  for (auto _ : state) {
    auto results = local::Compute_Local_Alignments_Protein(window(a), window(b), matrix, 100, -90, -11, -1,
                                                           Backward_Mode::DVH, Building_Mode::ONE,
                                                           Optimize_Mode::NO, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

void Global_Protein(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Amino_Acid>(n, 20, 2);
  const auto matrix = utils::Default_Protein_Matrix();
  for (auto _ : state) {
    auto results = global::Compute_Global_Alignments_Protein(window(a), window(b), matrix, 100, -90, -11, -1,
                                                             Backward_Mode::DVH, Building_Mode::ONE,
                                                             Optimize_Mode::NO, true, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

void Local_DNA(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Nucleotide>(n, 4, 3);
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  for (auto _ : state) {
    auto results = local::Compute_Local_Alignments_Nucleic(window(a), window(b), matrix, 100, -90, -50, -3,
                                                           Backward_Mode::DVH, Building_Mode::ONE,
                                                           Optimize_Mode::NO, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

void Global_DNA(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Nucleotide>(n, 4, 4);
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  for (auto _ : state) {
    auto results = global::Compute_Global_Alignments_Nucleic(window(a), window(b), matrix, 100, -90, -50, -3,
                                                             Backward_Mode::DVH, Building_Mode::ONE,
                                                             Optimize_Mode::NO, true, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

// The score-only pass of the randomisation rounds.
void Local_Protein_Quality(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Amino_Acid>(n, 20, 1);
  const auto matrix = utils::Default_Protein_Matrix();
  for (auto _ : state) {
    benchmark::DoNotOptimize(local::Local_Quality_Protein(window(a), window(b), matrix, -11, -1));
  }
  count_cells(state, std::int64_t(n) * n);
}

void Global_DNA_Quality(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Nucleotide>(n, 4, 4);
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  for (auto _ : state) {
    benchmark::DoNotOptimize(global::Global_Quality_Nucleic(window(a), window(b), matrix, -50, -3, true));
  }
  count_cells(state, std::int64_t(n) * n);
}

// The exact fill: gaps that cost nothing, or openings that reward.
void Local_Protein_Exact(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Amino_Acid>(n, 20, 1);
  const auto matrix = utils::Default_Protein_Matrix();
  for (auto _ : state) {
    auto results = local::Compute_Local_Alignments_Protein(window(a), window(b), matrix, 100, -90, 0, 0,
                                                           Backward_Mode::DVH, Building_Mode::ONE,
                                                           Optimize_Mode::NO, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

void Global_DNA_Exact(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Nucleotide>(n, 4, 4);
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  for (auto _ : state) {
    auto results = global::Compute_Global_Alignments_Nucleic(window(a), window(b), matrix, 100, -90, 5, -3,
                                                             Backward_Mode::DVH, Building_Mode::ONE,
                                                             Optimize_Mode::NO, true, -1);
    benchmark::DoNotOptimize(results);
  }
  count_cells(state, std::int64_t(n) * n);
}

void Global_DNA_Exact_Quality(benchmark::State& state) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Nucleotide>(n, 4, 4);
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  for (auto _ : state) {
    benchmark::DoNotOptimize(global::Global_Quality_Nucleic(window(a), window(b), matrix, 5, -3, true));
  }
  count_cells(state, std::int64_t(n) * n);
}

}  // namespace

BENCHMARK(Local_Protein)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_Protein)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(Local_DNA)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Local_Protein_Quality)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA_Quality)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Local_Protein_Exact)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA_Exact)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA_Exact_Quality)->Arg(3000)->Unit(benchmark::kMillisecond);
