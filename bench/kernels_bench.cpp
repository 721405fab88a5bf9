// Speed of the alignment kernels, in cells of the dynamic-programming
// matrix per second: at the pass the kernels choose, and the fills at each
// pass (instruction set and lane width) this processor runs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <vector>

#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-choice.h"
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

// One couple of N residues each (N the benchmark's argument), aligned by
// Align (windows 1 and 2) at every iteration.
template <class Code, class Align>
void each_iteration(benchmark::State& state, int alphabet, std::uint32_t seed, Align align) {
  const int n = int(state.range(0));
  const auto [a, b] = couple<Code>(n, alphabet, seed);
  for (auto _ : state) benchmark::DoNotOptimize(align(window(a), window(b)));
  count_cells(state, std::int64_t(n) * n);
}

constexpr Backward_Mode dvh = Backward_Mode::DVH;
constexpr Building_Mode one = Building_Mode::ONE;
constexpr Optimize_Mode keep_all = Optimize_Mode::NO;

// The fill, the traceback of one path and its result, for gap weights G and L.
void local_protein(benchmark::State& state, std::int32_t g, std::int32_t l) {
  const auto matrix = utils::Default_Protein_Matrix();
  each_iteration<Amino_Acid>(state, 20, 1, [&](auto a, auto b) {
    return local::Compute_Local_Alignments_Protein(a, b, matrix, 100, -90, g, l, dvh, one, keep_all, -1);
  });
}

// End gaps charged like inner ones, unless Free_Ends (zarn's default).
void global_dna(benchmark::State& state, std::int32_t g, std::int32_t l, bool free_ends = false) {
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  each_iteration<Nucleotide>(state, 4, 4, [&](auto a, auto b) {
    return global::Compute_Global_Alignments_Nucleic(a, b, matrix, 100, -90, g, l, dvh, one, keep_all, !free_ends,
                                                     -1);
  });
}

void Local_Protein(benchmark::State& state) { local_protein(state, -11, -1); }

void Global_Protein(benchmark::State& state) {
  const auto matrix = utils::Default_Protein_Matrix();
  each_iteration<Amino_Acid>(state, 20, 2, [&](auto a, auto b) {
    return global::Compute_Global_Alignments_Protein(a, b, matrix, 100, -90, -11, -1, dvh, one, keep_all, true, -1);
  });
}

void Local_DNA(benchmark::State& state) {
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  each_iteration<Nucleotide>(state, 4, 3, [&](auto a, auto b) {
    return local::Compute_Local_Alignments_Nucleic(a, b, matrix, 100, -90, -50, -3, dvh, one, keep_all, -1);
  });
}

void Global_DNA(benchmark::State& state) { global_dna(state, -50, -3); }

// The score-only pass of the randomisation rounds.
void Local_Protein_Quality(benchmark::State& state) {
  const auto matrix = utils::Default_Protein_Matrix();
  each_iteration<Amino_Acid>(state, 20, 1,
                             [&](auto a, auto b) { return local::Local_Quality_Protein(a, b, matrix, -11, -1); });
}

void global_dna_quality(benchmark::State& state, std::int32_t g, std::int32_t l) {
  const auto matrix = utils::Default_Nucleic_Matrix(100, -90);
  each_iteration<Nucleotide>(state, 4, 4,
                             [&](auto a, auto b) { return global::Global_Quality_Nucleic(a, b, matrix, g, l, true); });
}

void Global_DNA_Quality(benchmark::State& state) { global_dna_quality(state, -50, -3); }

// The exact fill: gaps that cost nothing, or openings that reward.
void Local_Protein_Exact(benchmark::State& state) { local_protein(state, 0, 0); }
void Global_DNA_Exact(benchmark::State& state) { global_dna(state, 5, -3); }
void Global_DNA_Free_Ends(benchmark::State& state) { global_dna(state, -50, -3, true); }
void Global_DNA_Exact_Free_Ends(benchmark::State& state) { global_dna(state, 5, -3, true); }
void Global_DNA_Exact_Quality(benchmark::State& state) { global_dna_quality(state, 5, -3); }

// The fills at a pass asked for, as the rounds' benchmarks ask for theirs:
// the pass by its number among the rounds' passes (the benchmark's first
// argument), whose table names them; the scalar pass runs in 32 bits or 64
// as the bound allows.
using kernel::choice::Lane_Width;
constexpr int pass_count = int(std::size(kernel::choice::rounds_passes));

// A local protein fill of N x N (the second argument) with gap weights G
// and L, its traceback and its result.
void local_protein_at_pass(benchmark::State& state, std::int32_t g, std::int32_t l) {
  const kernel::choice::Rounds_Facts& chosen = kernel::choice::facts(kernel::choice::Rounds_Pass(state.range(0)));
  if (chosen.pass.width != Lane_Width::SCALAR && !kernel::choice::runs(chosen.pass.set)) {
    state.SkipWithError("not on this processor");
    return;
  }
  state.SetLabel(chosen.pass.width == Lane_Width::SCALAR ? "scalar" : chosen.name);
  const int n = int(state.range(1));
  const auto [a, b] = couple<Amino_Acid>(n, 20, 1);
  const auto matrix = utils::Default_Protein_Matrix();
  const kernel::Problem<kernel::Protein> problem{window(a), window(b), &matrix, g, l, kernel::Method::LOCAL};
  const kernel::Path_Settings settings{100, -90, dvh, one, keep_all, -1};
  const kernel::Error_Context context{&local::INTERNAL_ERROR, "sequence_alignment-local", 0};
  for (auto _ : state) benchmark::DoNotOptimize(kernel::Compute_Alignments(problem, settings, context, chosen.pass));
  count_cells(state, std::int64_t(n) * n);
}

void Fill_Local_Protein(benchmark::State& state) { local_protein_at_pass(state, -11, -1); }
void Fill_Local_Protein_Exact(benchmark::State& state) { local_protein_at_pass(state, 0, 0); }

void fill_passes_of(benchmark::internal::Benchmark* b) {
  for (int pass = 0; pass < pass_count; ++pass) b->Args({pass, 1000});
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
BENCHMARK(Global_DNA_Free_Ends)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA_Exact_Free_Ends)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Global_DNA_Exact_Quality)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(Fill_Local_Protein)->Apply(fill_passes_of)->Unit(benchmark::kMillisecond);
BENCHMARK(Fill_Local_Protein_Exact)->Apply(fill_passes_of)->Unit(benchmark::kMillisecond);
