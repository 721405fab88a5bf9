// The fills and the score-only passes with the columns of a row in vector
// lanes: the same recurrences, the same bytes and start cells as the
// scalar passes of sequence_alignment-kernel-fill, -exact and -score, which
// stay as the reference and as the 64-bit path. The lanes are 16 bits wide
// when a bound proves every value of the call fits, else 32 bits; the
// vectors are 64 bytes with AVX-512BW, 32 with AVX2, and 16 (the generic
// vectors: SSE2, NEON) elsewhere, chosen once from what the processor has.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::column_lanes {

enum class Instruction_Set : std::uint8_t { GENERIC, AVX2, AVX512BW };

// How a pass runs: the vector size by the instruction set, and 16 or 32
// bits a lane. The set must be one this processor runs; 16-bit lanes need
// scores_fit_16_bits, 32-bit lanes scores_fit_32_bit_lanes.
struct Choice {
  Instruction_Set set;
  int lane_bits;
};

// Whether this processor runs Set, and the widest set it runs (found once).
bool runs(Instruction_Set set) noexcept;
Instruction_Set widest() noexcept;

// 32-bit lanes. A pass adds to a value at most two gap weights and
// scan_steps gap-length weights (the scan across a vector and the carry
// from the vector to its right take one each a lane), and as many
// gap-length weights to minus_infinity_32 (-2^30); with those below 2^28
// together, every value of a pass that scores_fit_32_bits keeps below
// 2^29 (its proof) plus 2^28, and minus infinity with its steps stays
// below -2^30 + 2^28: no lane overflows, and minus infinity stays below
// every value. Beyond, the scalar 32-bit pass runs.
template <class Matrix>
bool scores_fit_32_bit_lanes(const Matrix& matrix, const Frame& fr) noexcept {
  const std::int64_t gap = std::abs(std::int64_t(fr.g)), length = std::abs(std::int64_t(fr.l));
  return bounds::scores_fit_32_bits(matrix, fr.len1, fr.len2, fr.g, fr.l) &&
         2 * gap + bounds::scan_steps * length < (std::int64_t(1) << 28);
}

// The lane width for a call: 16 or 32 bits, or 0 where only the scalar
// passes are exact.
template <class Matrix>
int lane_bits(const Matrix& matrix, const Frame& fr) noexcept {
  if (bounds::scores_fit_16_bits(matrix, fr.len1, fr.len2, fr.g, fr.l, is_global(fr.method))) return 16;
  return scores_fit_32_bit_lanes(matrix, fr) ? 32 : 0;
}

// What the passes are given, whatever the alphabet.
struct Input {
  const Frame* frame;
  const std::uint8_t* codes_1;  // Len1 codes, from First1
  const std::uint8_t* codes_2;  // Len2 codes, from First2
  const std::int32_t* matrix;   // Size rows of Size scores
  int size;
};

// The fill (the fast fill, or the exact fill when the frame says so) into
// Cells, whose storage the caller has allocated for that fill.
void fill(const Input& input, cells::Cells& cells, cells::Start_Cells& starts, Choice choice);

// The best score, as the score-only pass gives it.
std::int64_t quality(const Input& input, Choice choice);

// The same for windows of an alphabet.
template <class A>
struct Alphabet_Input {
  std::array<std::int32_t, std::size_t(A::size) * A::size> matrix;
  Input input;

  Alphabet_Input(const Problem<A>& p, const Frame& fr) noexcept {
    for (std::size_t a = 0; a < std::size_t(A::size); ++a) {
      for (std::size_t b = 0; b < std::size_t(A::size); ++b) matrix[a * A::size + b] = (*p.matrix)[a][b];
    }
    static_assert(sizeof(typename A::code_type) == 1);
    input = {&fr, reinterpret_cast<const std::uint8_t*>(p.codes_1.codes),
             reinterpret_cast<const std::uint8_t*>(p.codes_2.codes), matrix.data(), A::size};
  }
};

template <class A>
void fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts, Choice choice) {
  const Alphabet_Input<A> in(p, cells.frame());
  fill(in.input, cells, starts, choice);
}

template <class A>
std::int64_t quality(const Problem<A>& p, const Frame& fr, Choice choice) {
  const Alphabet_Input<A> in(p, fr);
  return quality(in.input, choice);
}

}  // namespace sequence_alignment::kernel::column_lanes
