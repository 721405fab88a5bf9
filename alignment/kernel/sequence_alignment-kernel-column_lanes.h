// The fills and the score-only passes with the columns of a row in vector
// lanes: the same recurrences, the same bytes and start cells as the
// scalar passes of sequence_alignment-kernel-fill, -exact and -score, which
// stay as the reference and as the 64-bit path. The pass, an instruction
// set and a lane width (16 bits or 32), is one of sequence_alignment-
// kernel-choice's vector passes: one this processor runs, whose bound the
// call keeps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::column_lanes {

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
void fill(const Input& input, cells::Cells& cells, cells::Start_Cells& starts, choice::Pass pass);

// The best score, as the score-only pass gives it.
std::int64_t quality(const Input& input, choice::Pass pass);

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
void fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts, choice::Pass pass) {
  const Alphabet_Input<A> in(p, cells.frame());
  fill(in.input, cells, starts, pass);
}

template <class A>
std::int64_t quality(const Problem<A>& p, const Frame& fr, choice::Pass pass) {
  const Alphabet_Input<A> in(p, fr);
  return quality(in.input, pass);
}

}  // namespace sequence_alignment::kernel::column_lanes
