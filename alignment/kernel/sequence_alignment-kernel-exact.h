// The fill when some gap costs nothing or adds to the score (Gap_Weight
// above 0, Gap_Length_Weight above 0, or both 0): a maximal run of gap
// steps in one direction is one gap and is weighted once, so a gap never
// opens again right after a gap in its own direction, and a free leading
// or trailing gap is never followed by a charged gap in its own direction.
// Also the score-only pass for those weights.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::exact {

// Per cell, besides H, the values a gap reaching the cell may go on from:
// X = max(D, E, 0 when local), from which a horizontal gap opens, and Y =
// max(D, F, 0 when local), from which a vertical gap opens:
//
//   D(i, j) = H(i+1, j+1) + Matrix(Codes_1(i), Codes_2(j))
//   E(i, j) = max(E(i+1, j) + L, Y(i+1, j) + G + L)   a tie extends
//   F(i, j) = max(F(i, j+1) + L, X(i, j+1) + G + L)   a tie extends
//   H = max(X, F) = max(Y, E)
//
// Boundaries as in the fast fill; beyond the last row Y is the boundary's
// H. With free global ends a path starts from (First1, First2) with the
// pair, from (i, First2) after a free leading gap with Y, from (First1, j)
// with X.
//
// The flags are the moves reaching H, as in the fast fill. When F alone
// reaches H (flags 4) or E alone (flags 8), the moves reaching X, or Y, may
// differ from the flags, so the cell's gap-state byte holds them:
//
//   bits 0-3   flags 4: the moves reaching X (stop 1, D 2, E 8)
//              flags 8: the moves reaching Y (stop 1, D 2, F 4)
//              otherwise 0 (X = Y = H: the flags less the gap's own move)
//   bit 4      a horizontal gap reaching this cell goes on through it
//              (F >= X + G: the cell to the left extends)
//   bit 5      a vertical gap reaching this cell goes on through it
//              (E >= Y + G: the cell above extends)
//
// Gap lengths are found by following bits 4 and 5, so no length plane is
// needed: 1.5 bytes a cell. Without Full only the best score is computed.
template <class A, class S, Method M, bool Full>
std::int64_t exact_pass(const Problem<A>& p, const Frame& fr, cells::Cells* cells, cells::Start_Cells* starts) {
  constexpr bool Local = M == Method::LOCAL, Free_Ends = M == Method::GLOBAL_FREE_ENDS;
  const std::size_t n = std::size_t(fr.len2);
  std::vector<S> h(n + 1), y(n + 1), e(n), first_row_x(n);
  const std::vector<std::int32_t> profile = rows::code_profile(p);
  for (std::int32_t jj = 0; jj < fr.len2; ++jj) {
    h[std::size_t(jj)] = y[std::size_t(jj)] = S(rows::below_boundary<M>(fr, jj));
    e[std::size_t(jj)] = rows::initial_vertical<S, M>(fr, jj);
  }
  h[n] = 0;
  const S L = S(fr.l), G = S(fr.g), GL = S(std::int64_t(fr.g) + fr.l);
  cells::Pass_Best<M, Full> best(starts);
  S local_best = S(best.local_start);
  std::uint8_t* const flags = Full ? cells->flag_bytes() : nullptr;
  std::uint8_t* const gap_states = Full ? cells->gap_states() : nullptr;

  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::int32_t* const row_profile = profile.data() + std::size_t(p.codes_1(i)) * n;
    const S right = S(rows::right_boundary<M>(fr, i));
    const std::size_t base = std::size_t(i - fr.first1) * n;
    S f = rows::initial_horizontal<S, M>(fr, i);
    S x_right = right;
    S diagonal = h[n];
    S pair = 0;  // D of the row's first cell
    h[n] = right;
    for (std::size_t jj = n; jj-- > 0;) {
      const S below = h[jj];
      const S v = std::max(S(e[jj] + L), S(y[jj] + GL));
      e[jj] = v;
      const S d = S(diagonal + row_profile[jj]);
      diagonal = below;
      S x = std::max(d, v);
      if constexpr (Local) x = std::max(x, S(0));
      f = std::max(S(f + L), S(x_right + GL));
      x_right = x;
      S yv = std::max(d, f);
      if constexpr (Local) yv = std::max(yv, S(0));
      const S cell = std::max(x, f);
      h[jj] = cell;
      y[jj] = yv;
      if constexpr (Free_Ends) {
        first_row_x[jj] = x;
        pair = d;
      }
      if constexpr (Full) {
        std::uint32_t x_moves = (d == x ? cells::align_bit : 0u) | (v == x ? cells::insert_2_bit : 0u);
        if constexpr (Local) x_moves |= x == 0 ? cells::stop_bit : 0u;
        const std::uint32_t moves = f > x ? cells::insert_1_bit : f == x ? (x_moves | cells::insert_1_bit) : x_moves;
        std::uint32_t state = 0;
        if (moves == cells::insert_1_bit) {
          state = x_moves;
        } else if (moves == cells::insert_2_bit) {
          state = (d == yv ? cells::align_bit : 0u) | (f == yv ? cells::insert_1_bit : 0u);
          if constexpr (Local) state |= yv == 0 ? cells::stop_bit : 0u;
        }
        if (f >= S(x + G)) state |= cells::horizontal_goes_on;
        if (v >= S(yv + G)) state |= cells::vertical_goes_on;
        const std::size_t k = base + jj;
        flags[k >> 1] = std::uint8_t(flags[k >> 1] | moves << ((k & 1) * 4));
        gap_states[k] = std::uint8_t(state);
        if constexpr (Local) {
          // Start cells in discovery order: from the end of the row.
          if (cell >= local_best) {
            if (cell > local_best) {
              local_best = cell;
              starts->list.clear();
            }
            starts->list.push_back({i, std::int32_t(jj) + fr.first2});
          }
        }
      } else if constexpr (Local) {
        local_best = std::max(local_best, cell);
      }
    }
    if constexpr (Free_Ends) {
      // A free leading gap over Codes_1(First1..i-1) goes on from Y. At
      // (First1, First2) a gap would be the free leading gap itself, which
      // the other start cells stand for: the pair is the only move there.
      best.first_column(i > fr.first1 ? std::int64_t(y[0]) : std::int64_t(pair), i, fr);
    }
  }
  // A free leading gap over Codes_2(First2..j-1) goes on from X; beyond
  // the last column nothing is aligned.
  return best.finish(fr, Local ? std::int64_t(local_best) : std::int64_t(h[0]), [&](std::size_t jj) {
    return jj < n ? std::int64_t(first_row_x[jj]) : std::int64_t(h[n]);
  });
}

template <class A, class S, Method M>
void fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  exact_pass<A, S, M, true>(p, cells.frame(), &cells, &starts);
}

template <class A, class S, Method M>
std::int64_t quality(const Problem<A>& p, const Frame& fr) {
  return exact_pass<A, S, M, false>(p, fr, nullptr, nullptr);
}

}  // namespace sequence_alignment::kernel::exact
