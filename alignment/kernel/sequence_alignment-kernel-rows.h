// The working rows of the scalar passes (the fills and the score-only
// pass), their boundaries, and the part of a row that depends only on the
// row below it. Scores run backwards: H(i, j) is the best score of what
// starts at (i, j) and runs towards the ends of the windows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::rows {

// Columns handled at once: small enough to stay in the first-level cache.
inline constexpr std::size_t block_columns = 512;

// H beyond the last row, at column index jj (j - First2), and beyond the
// last column in row i. Weighted global ends charge the end gap there.
template <Method M>
std::int64_t below_boundary(const Frame& f, std::int32_t jj) noexcept {
  if constexpr (M == Method::GLOBAL_WEIGHTED_ENDS) return std::int64_t(f.g) + std::int64_t(f.l) * (f.len2 - jj);
  return 0;
}
template <Method M>
std::int64_t right_boundary(const Frame& f, std::int32_t i) noexcept {
  if constexpr (M == Method::GLOBAL_WEIGHTED_ENDS) return std::int64_t(f.g) + std::int64_t(f.l) * (f.last1 - i + 1);
  return 0;
}

// The gap scores a row or a column starts from. Where the boundary is
// charged, a gap that runs into it extends the end gap; elsewhere the first
// cell opens a gap of length 1.
template <class S, Method M>
S initial_vertical(const Frame& f, std::int32_t jj) noexcept {
  if constexpr (M == Method::GLOBAL_WEIGHTED_ENDS) return S(below_boundary<M>(f, jj));
  return bounds::minus_infinity_of<S>();
}
template <class S, Method M>
S initial_horizontal(const Frame& f, std::int32_t i) noexcept {
  if constexpr (M == Method::GLOBAL_WEIGHTED_ENDS) return S(right_boundary<M>(f, i));
  return bounds::minus_infinity_of<S>();
}

// Matrix(code, Codes_2(j)) for every code, a row of Len2 per code.
template <class A>
std::vector<std::int32_t> code_profile(const Problem<A>& p) {
  const std::size_t n = std::size_t(std::max(0, p.codes_2.length()));
  std::vector<std::int32_t> profile(std::size_t(A::size) * n);
  for (int code = 0; code < A::size; ++code) {
    const auto& scores = (*p.matrix)[std::size_t(code)];
    std::int32_t* out = profile.data() + std::size_t(code) * n;
    for (std::size_t jj = 0; jj < n; ++jj) out[jj] = scores[std::size_t(p.codes_2.codes[jj])];
  }
  return profile;
}

// The working rows of one pass. H holds, before a row is computed, the row
// below it, and afterwards the row itself; index Len2 is the column beyond
// the window. E is the vertical gap of each column, X a block's best of the
// vertical gap and the pair.
template <class A, class S>
struct Scalar_Rows {
  std::vector<S> h, e, x;
  std::vector<std::uint32_t> e_length;  // full pass only
  std::vector<std::int32_t> profile;

  Scalar_Rows(const Problem<A>& p, const Frame& f, bool full) : profile(code_profile(p)) {
    const std::size_t n = std::size_t(f.len2);
    h.resize(n + 1);
    e.resize(n);
    x.resize(std::min(n, block_columns));
    if (full) e_length.resize(n);
  }
  const std::int32_t* profile_of(typename A::code_type code, std::size_t n) const noexcept {
    return profile.data() + std::size_t(code) * n;
  }

  template <Method M>
  void start(const Frame& f) {
    for (std::int32_t jj = 0; jj < f.len2; ++jj) {
      h[std::size_t(jj)] = S(below_boundary<M>(f, jj));
      e[std::size_t(jj)] = initial_vertical<S, M>(f, jj);
      if (!e_length.empty()) e_length[std::size_t(jj)] = 0;
    }
    h[std::size_t(f.len2)] = 0;
  }
};

// The vertical gap and the pair of every cell of a block depend only on
// the row below, so they are computed for the whole block at once; X is
// the best of them (and of 0 for a local cell), and its flags (Full) say
// which of them reach X. Below is H of the row below from the block's
// first column, one beyond its last included.
template <class S, Method M, bool Full>
void vertical_and_pairs(std::size_t n, const S* __restrict below, S* __restrict e, std::uint32_t* __restrict e_length,
                        const std::int32_t* __restrict profile, S* __restrict x, std::uint8_t* __restrict x_flags,
                        S L, S GL) noexcept {
  for (std::size_t jj = 0; jj < n; ++jj) {
    const S extend = S(e[jj] + L), open = S(below[jj] + GL);
    const S v = std::max(extend, open);
    const S d = S(below[jj + 1] + profile[jj]);
    e[jj] = v;
    S best = std::max(v, d);
    if constexpr (M == Method::LOCAL) best = std::max(best, S(0));
    x[jj] = best;
    if constexpr (Full) {
      const std::uint32_t opens = extend < open;
      e_length[jj] = ((e_length[jj] + 1) & (opens - 1)) | opens;
      std::uint32_t moves = (d == best ? cells::align_bit : 0u) | (v == best ? cells::insert_2_bit : 0u);
      if constexpr (M == Method::LOCAL) moves |= best == 0 ? cells::stop_bit : 0u;
      x_flags[jj] = std::uint8_t(moves);
    }
  }
}

}  // namespace sequence_alignment::kernel::rows
