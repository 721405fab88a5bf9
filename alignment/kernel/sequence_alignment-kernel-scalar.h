// The scalar passes as one family, a cell at a time in S bits (32 or 64):
// the fill and the score-only pass of any method, the fast recurrences or
// the exact ones as the gap weights ask. They are the reference of the
// vector passes, and run where the vector lanes' bounds do not hold.
#pragma once

#include <cstdint>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-exact.h"
#include "kernel/sequence_alignment-kernel-fill.h"
#include "kernel/sequence_alignment-kernel-score.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::scalar {

// Into Cells, whose storage the caller has allocated for that fill.
template <class A, class S>
void fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  by_method_and_gaps(p.method, cells.frame().exact(), [&](auto method, auto exact) {
    if constexpr (exact) {
      exact::fill<A, S, method>(p, cells, starts);
    } else {
      fill::fast_fill<A, S, method>(p, cells, starts);
    }
  });
}

template <class A, class S>
std::int64_t quality(const Problem<A>& p, const Frame& fr) {
  return by_method_and_gaps(p.method, fr.exact(), [&](auto method, auto exact) {
    if constexpr (exact) return exact::quality<A, S, method>(p, fr);
    return score::fast_quality<A, S, method>(p, fr);
  });
}

}  // namespace sequence_alignment::kernel::scalar
