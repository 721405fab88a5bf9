// The score-only pass: the best score that the fill finds, without flags,
// planes or paths (the randomisation rounds need nothing else).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "kernel/sequence_alignment-kernel-exact.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::score {

// The recurrences of the fast fill over one row of scores, which holds the
// row below until each block of its columns is overwritten: from the right,
// a block's vertical gaps and pairs first, then the horizontal gap across it.
template <class A, class S, bool Global, bool Weighted>
std::int64_t fast_pass(const Problem<A>& p, const Frame& fr) {
  rows::Rows<A, S> work(p, fr, false);
  work.template start<Global, Weighted>(fr);
  const std::size_t n = std::size_t(fr.len2);
  const S L = S(fr.l), G = S(fr.g), GL = S(std::int64_t(fr.g) + fr.l);
  const std::size_t block = std::min(n, rows::block_columns);
  S* const h = work.h.data();
  S* const e = work.e.data();
  S* const x = work.x.data();
  std::int64_t best = Global ? std::numeric_limits<std::int64_t>::min() : 0;
  S local_best = 0;
  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::int32_t* const profile = work.profile_of(p.codes_1(i), n);
    const S right = S(rows::right_boundary<Global, Weighted>(fr, i));
    S f = rows::initial_horizontal<S, Global, Weighted>(fr, i);
    S x_right = right;
    S below_end = h[n];
    h[n] = right;
    for (std::size_t hi = n; hi > 0;) {
      const std::size_t lo = hi > block ? hi - block : 0;
      const S new_end = h[hi];
      h[hi] = below_end;
      below_end = h[lo];
      rows::vertical_and_pairs<S, Global, false>(hi - lo, h + lo, e + lo, nullptr, profile + lo, x, nullptr, L, GL);
      h[hi] = new_end;
      for (std::size_t jj = hi; jj-- > lo;) {
        f = S(std::max(f, S(x_right + G)) + L);
        x_right = x[jj - lo];
        const S cell = std::max(f, x_right);
        h[jj] = cell;
        if constexpr (!Global) local_best = std::max(local_best, cell);
      }
      hi = lo;
    }
    if constexpr (Global && !Weighted) best = std::max<std::int64_t>(best, h[0]);
  }
  if constexpr (!Global) return local_best;
  if constexpr (Global && Weighted) return h[0];
  for (std::size_t jj = 1; jj <= n; ++jj) best = std::max<std::int64_t>(best, h[jj]);
  return best;
}

template <class A, class S, bool Global, bool Weighted>
std::int64_t pass(const Problem<A>& p, const Frame& fr) {
  if (fr.exact()) return exact::quality<A, S, Global, Weighted>(p, fr);
  return fast_pass<A, S, Global, Weighted>(p, fr);
}

template <class A, class S>
std::int64_t pass_of_method(const Problem<A>& p, const Frame& fr) {
  if (!fr.global) return pass<A, S, false, false>(p, fr);
  return fr.end_weight ? pass<A, S, true, true>(p, fr) : pass<A, S, true, false>(p, fr);
}

// The best score, in 32 bits when that is exact.
template <class A>
std::int64_t quality(const Problem<A>& p) {
  const Frame fr(p);
  if (fr.len1 == 0 || fr.len2 == 0) return 0;
  if (bounds::scores_fit_32_bits(*p.matrix, fr.len1, fr.len2, fr.g, fr.l)) {
    return pass_of_method<A, std::int32_t>(p, fr);
  }
  return pass_of_method<A, std::int64_t>(p, fr);
}

}  // namespace sequence_alignment::kernel::score
