// Which pass runs: the instruction sets a processor may offer the vector
// passes, the width of their lanes, and the choice for the fills (and the
// score-only pass) of one couple and for the shuffle rounds, side by side.
// Every pass gives the same results; the choice is of speed alone, within
// the bounds that keep each width exact.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <type_traits>

#include "kernel/sequence_alignment-kernel.h"

// Whether the target is x86, where the AVX2 and AVX-512BW passes are built.
// A function-like macro: a file that tests it without including this header
// fails to compile, instead of leaving those passes out.
#if defined(__x86_64__) || defined(__i386__)
#define SEQUENCE_ALIGNMENT_X86() 1
#else
#define SEQUENCE_ALIGNMENT_X86() 0
#endif

namespace sequence_alignment::kernel::choice {

enum class Instruction_Set : std::uint8_t { GENERIC, AVX2, AVX512BW };

// Each set's vectors, the only table of them: the generic vectors are
// those of any processor (SSE2, NEON).
struct Set_Facts {
  Instruction_Set set;
  const char* name;
  int vector_bytes;
};
inline constexpr Set_Facts instruction_sets[] = {
    {Instruction_Set::GENERIC, "generic", 16},
    {Instruction_Set::AVX2, "AVX2", 32},
    {Instruction_Set::AVX512BW, "AVX-512BW", 64},
};
constexpr const Set_Facts& facts(Instruction_Set set) noexcept { return instruction_sets[int(set)]; }
static_assert(facts(Instruction_Set::AVX2).set == Instruction_Set::AVX2 &&
              facts(Instruction_Set::AVX512BW).set == Instruction_Set::AVX512BW);
template <Instruction_Set Set>
inline constexpr int vector_bytes = facts(Set).vector_bytes;

// Whether this processor runs Set, and the widest set it runs (found once).
bool runs(Instruction_Set set) noexcept;
Instruction_Set widest() noexcept;

// The lanes of a pass. SCALAR: none, a cell at a time (the fills and the
// score-only pass in 32 bits or 64, the rounds in 64).
enum class Lane_Width : std::uint8_t { SCALAR, BITS_16, BITS_32 };

constexpr int lane_bits(Lane_Width width) noexcept {
  return width == Lane_Width::BITS_16 ? 16 : width == Lane_Width::BITS_32 ? 32 : 64;
}

// How a pass runs. A vector pass runs only on a processor that has its set.
struct Pass {
  Instruction_Set set;
  Lane_Width width;
};

// Lanes a vector: 8 to 32 (1 for a scalar pass).
constexpr int lanes_of(Pass pass) noexcept {
  return pass.width == Lane_Width::SCALAR ? 1 : facts(pass.set).vector_bytes * 8 / lane_bits(pass.width);
}

// Visit(Set, Width), each a std::integral_constant, for a vector pass (its
// width not SCALAR, its set one this target builds; the callers make sure):
// the one place where a pass becomes the compile-time choice of a family's
// function.
template <class Visit>
decltype(auto) by_vector_pass(Pass pass, Visit&& visit) {
  using Set = Instruction_Set;
  const auto with_width = [&](auto set) -> decltype(auto) {
    if (pass.width == Lane_Width::BITS_16) return visit(set, std::integral_constant<Lane_Width, Lane_Width::BITS_16>());
    return visit(set, std::integral_constant<Lane_Width, Lane_Width::BITS_32>());
  };
#if SEQUENCE_ALIGNMENT_X86()
  if (pass.set == Set::AVX512BW) return with_width(std::integral_constant<Set, Set::AVX512BW>());
  if (pass.set == Set::AVX2) return with_width(std::integral_constant<Set, Set::AVX2>());
#endif
  return with_width(std::integral_constant<Set, Set::GENERIC>());
}

// The fills and the score-only pass of one couple hold a row's columns in
// their lanes. 16-bit lanes need scores_fit_16_bits. 32-bit lanes need the
// bound of the scalar 32-bit passes and room for what the scan across a
// vector adds: a pass adds to a value at most two gap weights and
// scan_steps gap-length weights (the scan and the carry from the vector to
// its right take one each a lane), and as many gap-length weights to
// minus_infinity_32 (-2^30); with those below 2^28 together, every value
// of a pass that scores_fit_32_bits keeps below 2^29 (its proof) plus
// 2^28, and minus infinity with its steps stays below -2^30 + 2^28: no
// lane overflows, and minus infinity stays below every value.
template <class Matrix>
bool fill_fits(const Matrix& matrix, const Frame& fr, Lane_Width width) noexcept {
  if (width == Lane_Width::BITS_16) {
    return bounds::scores_fit_16_bits(matrix, fr.len1, fr.len2, fr.g, fr.l, is_global(fr.method));
  }
  if (width == Lane_Width::BITS_32) {
    const std::int64_t gap = std::abs(std::int64_t(fr.g)), length = std::abs(std::int64_t(fr.l));
    return bounds::scores_fit_32_bits(matrix, fr.len1, fr.len2, fr.g, fr.l) &&
           2 * gap + bounds::scan_steps * length < (std::int64_t(1) << 28);
  }
  return true;
}

// The shuffle rounds hold a couple in each lane and follow the scalar
// recurrences cell by cell, with no scan across a vector: their 32-bit
// lanes need only the scalar passes' bound.
template <class A>
bool rounds_fit(const Problem<A>& p, Lane_Width width) noexcept {
  const std::int32_t len1 = p.codes_1.length(), len2 = p.codes_2.length();
  if (width == Lane_Width::BITS_16) {
    return bounds::scores_fit_16_bits(*p.matrix, len1, len2, p.gap_weight, p.gap_length_weight, is_global(p.method));
  }
  if (width == Lane_Width::BITS_32) {
    return bounds::scores_fit_32_bits(*p.matrix, len1, len2, p.gap_weight, p.gap_length_weight);
  }
  return true;
}

// The fills: the narrowest lanes that fit, on the widest vectors.
template <class Matrix>
Pass fill_pass(const Matrix& matrix, const Frame& fr) noexcept {
  for (const Lane_Width width : {Lane_Width::BITS_16, Lane_Width::BITS_32}) {
    if (fill_fits(matrix, fr, width)) return {widest(), width};
  }
  return {Instruction_Set::GENERIC, Lane_Width::SCALAR};
}

// The scalar passes run in 32 bits where scores_fit_32_bits, else in 64.
template <class Matrix>
bool scalar_in_32_bits(const Matrix& matrix, const Frame& fr) noexcept {
  return bounds::scores_fit_32_bits(matrix, fr.len1, fr.len2, fr.g, fr.l);
}

// The rounds' passes by name, for the tests and the benchmarks to ask for.
enum class Rounds_Pass { scalar_64, generic_32, avx2_32, avx512_32, generic_16, avx2_16, avx512_16 };

struct Rounds_Facts {
  Rounds_Pass rounds_pass;
  const char* name;
  Pass pass;
};
// Fastest first: 16-bit lanes before 32-bit, wider vectors first.
inline constexpr Rounds_Facts rounds_passes[] = {
    {Rounds_Pass::avx512_16, "avx512_16", {Instruction_Set::AVX512BW, Lane_Width::BITS_16}},
    {Rounds_Pass::avx2_16, "avx2_16", {Instruction_Set::AVX2, Lane_Width::BITS_16}},
    {Rounds_Pass::generic_16, "generic_16", {Instruction_Set::GENERIC, Lane_Width::BITS_16}},
    {Rounds_Pass::avx512_32, "avx512_32", {Instruction_Set::AVX512BW, Lane_Width::BITS_32}},
    {Rounds_Pass::avx2_32, "avx2_32", {Instruction_Set::AVX2, Lane_Width::BITS_32}},
    {Rounds_Pass::generic_32, "generic_32", {Instruction_Set::GENERIC, Lane_Width::BITS_32}},
    {Rounds_Pass::scalar_64, "scalar_64", {Instruction_Set::GENERIC, Lane_Width::SCALAR}},
};
const Rounds_Facts& facts(Rounds_Pass pass) noexcept;

// Whether this processor can run the pass.
bool Runs_Here(Rounds_Pass pass) noexcept;

// The rounds score at most this many couples at once: the most lanes of
// any pass.
inline constexpr int max_batch = 32;
static_assert([] {
  for (const Rounds_Facts& r : rounds_passes) {
    if (lanes_of(r.pass) > max_batch) return false;
  }
  return true;
}());

// The fastest pass this processor has whose lanes hold every value of the
// problem's recurrences.
template <class A>
Rounds_Pass fastest_rounds_pass(const Problem<A>& p) noexcept {
  for (const Rounds_Facts& r : rounds_passes) {
    if (Runs_Here(r.rounds_pass) && rounds_fit(p, r.pass.width)) return r.rounds_pass;
  }
  return Rounds_Pass::scalar_64;
}

}  // namespace sequence_alignment::kernel::choice
