// The score-only pass when every gap costs something: the best score that
// the fast fill finds, without flags, planes or paths (the randomisation
// rounds need nothing else). With some gap free, exact::quality.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::score {

// The recurrences of the fast fill over one row of scores, which holds the
// row below until each block of its columns is overwritten: from the right,
// a block's vertical gaps and pairs first, then the horizontal gap across it.
template <class A, class S, Method M>
std::int64_t fast_quality(const Problem<A>& p, const Frame& fr) {
  rows::Scalar_Rows<A, S> work(p, fr, false);
  work.template start<M>(fr);
  const std::size_t n = std::size_t(fr.len2);
  const S L = S(fr.l), G = S(fr.g), GL = S(std::int64_t(fr.g) + fr.l);
  const std::size_t block = std::min(n, rows::block_columns);
  S* const h = work.h.data();
  S* const e = work.e.data();
  S* const x = work.x.data();
  cells::Pass_Best<M, false> best(nullptr);
  S local_best = S(best.local_start);
  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::int32_t* const profile = work.profile_of(p.codes_1(i), n);
    const S right = S(rows::right_boundary<M>(fr, i));
    S f = rows::initial_horizontal<S, M>(fr, i);
    S x_right = right;
    S below_end = h[n];
    h[n] = right;
    for (std::size_t hi = n; hi > 0;) {
      const std::size_t lo = hi > block ? hi - block : 0;
      const S new_end = h[hi];
      h[hi] = below_end;
      below_end = h[lo];
      rows::vertical_and_pairs<S, M, false>(hi - lo, h + lo, e + lo, nullptr, profile + lo, x, nullptr, L, GL);
      h[hi] = new_end;
      for (std::size_t jj = hi; jj-- > lo;) {
        f = S(std::max(f, S(x_right + G)) + L);
        x_right = x[jj - lo];
        const S cell = std::max(f, x_right);
        h[jj] = cell;
        if constexpr (M == Method::LOCAL) local_best = std::max(local_best, cell);
      }
      hi = lo;
    }
    if constexpr (M == Method::GLOBAL_FREE_ENDS) best.first_column(h[0], i, fr);
  }
  return best.finish(fr, M == Method::LOCAL ? std::int64_t(local_best) : std::int64_t(h[0]),
                     [&](std::size_t jj) { return std::int64_t(h[jj]); });
}

}  // namespace sequence_alignment::kernel::score
