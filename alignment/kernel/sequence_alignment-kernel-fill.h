// The fill when every gap costs something: one backward pass that keeps,
// per cell, its co-optimal moves and the lengths of its gap moves in the
// two planes (2.5 bytes a cell), and collects the start cells.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::fill {

// Flags and gap lengths of a block of a row, each cell on its own (see the
// table above fast_fill, below). F_Len comes as the column index (First for the first
// cell) where each horizontal gap opens and leaves as the gap's length.
// The result says whether a cell with both gap moves has a gap longer than
// a byte, for the long-gap rules.
template <class S>
std::uint32_t flags_and_planes(std::uint32_t n, std::uint32_t first, const S* __restrict x, const S* __restrict f,
                               std::uint32_t* __restrict f_len, const std::uint32_t* __restrict e_len,
                               std::uint8_t* __restrict moves, std::uint8_t* __restrict ph, std::uint8_t* __restrict pv,
                               S* __restrict h) noexcept {
  std::uint32_t long_pair = 0;
  for (std::uint32_t jj = 0; jj < n; ++jj) {
    const std::uint32_t hl = f_len[jj] - (first + jj) + 1;
    f_len[jj] = hl;
    h[jj] = std::max(f[jj], x[jj]);
    // H = max(F, X): F above X leaves only the horizontal move, F equal to
    // X adds it to X's moves, F below X leaves X's.
    const std::uint32_t above = f[jj] > x[jj], equal = f[jj] == x[jj];
    const std::uint32_t h_bit = above | equal;
    const std::uint32_t cell_moves = (std::uint32_t(moves[jj]) & (above - 1)) | h_bit * cells::insert_1_bit;
    moves[jj] = std::uint8_t(cell_moves);
    const std::uint32_t v_bit = (cell_moves / cells::insert_2_bit) & 1;
    const std::uint32_t vl = e_len[jj];
    const std::uint32_t vertical_only = 0u - (v_bit & ~h_bit), vertical = 0u - v_bit;
    ph[jj] = std::uint8_t(hl ^ ((hl ^ (vl >> 8)) & vertical_only));
    pv[jj] = std::uint8_t((hl >> 8) ^ (((hl >> 8) ^ vl) & vertical));
    long_pair |= (v_bit & h_bit) & std::uint32_t((hl | vl) > 255);
  }
  return long_pair;
}

// The recurrences, backwards from the ends of the windows. A cell (i, j)
// keeps three values: D, the pair of Codes_1(i) and Codes_2(j) first; E, a
// gap in sequence 2 first (Codes_1(i) against it: a vertical move,
// INSERT_2); F, a gap in sequence 1 first (Codes_2(j) against it: a
// horizontal move, INSERT_1). With X = max(D, E) and, local only, 0:
//
//   D(i, j) = H(i+1, j+1) + Matrix(Codes_1(i), Codes_2(j))
//   E(i, j) = max(E(i+1, j) + L, H(i+1, j) + G + L)    a tie extends
//   F(i, j) = max(F(i, j+1) + L, X(i, j+1) + G + L)    a tie extends
//   H(i, j) = max(X(i, j), F(i, j))
//
// With every gap costing, opening from H or from the value without the
// gap's own direction is the same. Boundaries, beyond the last row and the
// last column: local and free global ends 0; charged global ends the end
// gap, G + L * (residues left), which a gap running into it extends (so a
// vertical and a horizontal end gap meeting at the corner share one G).
// Every other row and column starts from minus infinity: its first cell
// opens a gap of length 1.
//
// Flags, 4 bits a cell (cells::stop_bit and the others): 1 stop (local,
// H = 0), 2 D, 4 F, 8 E reach H.
// Gap-length planes, one byte each a cell (P horizontal, Q vertical):
//
//   moves      P                              Q
//   F only     length, low byte               length, high byte
//   E only     length, high byte              length, low byte
//   F and E    F's length up to 255; else     E's length up to 255; else
//              an offset k <= 255 to a cell   likewise down the column
//              (i, j+k) with F only whose
//              length ends the same gap
//   neither    not written, never read
//
// A long gap without such a cell gets the offset 255 and its exact length
// in the cells' side table. An opening sets a gap's length to 1, an
// extension adds 1 to the neighbour's.
template <class A, class S, Method M>
void fast_fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  const Frame& fr = cells.frame();
  rows::Scalar_Rows<A, S> work(p, fr, true);
  work.template start<M>(fr);
  const std::size_t n = std::size_t(fr.len2);
  const S L = S(fr.l), G = S(fr.g), GL = S(std::int64_t(fr.g) + fr.l);
  const std::size_t block = std::min(n, rows::block_columns);
  std::vector<S> f_block(block);
  std::vector<std::uint32_t> f_length(block);
  std::vector<std::uint8_t> row_moves(n);
  std::vector<std::int32_t> row_starts(n);
  S* const h = work.h.data();
  S* const e = work.e.data();
  std::uint32_t* const e_len = work.e_length.data();
  S* const f_out = f_block.data();
  S* const x = work.x.data();
  std::uint32_t* const f_len = f_length.data();
  std::uint8_t* const moves_out = row_moves.data();
  std::uint8_t* const flags = cells.flag_bytes();
  std::uint8_t pending = 0;  // the high half of a byte whose low half is the next row's
  starts.list.reserve(std::size_t(fr.len1) + n + 1);
  cells::Pass_Best<M, true> best(&starts);
  S local_best = S(best.local_start);

  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::size_t base = std::size_t(i - fr.first1) * n;
    std::uint8_t* const ph = cells.plane_h() + base;
    std::uint8_t* const pv = cells.plane_v() + base;
    const std::int32_t* const profile = work.profile_of(p.codes_1(i), n);
    const S right = S(rows::right_boundary<M>(fr, i));

    // The horizontal chain runs from the end of the row through blocks of
    // columns. "Open := X(i, j+1) + G + L, extend := F(i, j+1) + L, a tie
    // extends" is F := max(F(i, j+1), X(i, j+1) + G) + L: the same values
    // and lengths with a shorter chain from cell to cell. The gap of a
    // cell opens at the nearest cell at or after it that opens (the row's
    // first cell always).
    S f = rows::initial_horizontal<S, M>(fr, i);
    S x_right = right;
    std::uint32_t open_at = std::uint32_t(n - 1);
    std::size_t row_count = 0;
    S below_end = h[n];  // H of the row below just beyond the block
    h[n] = right;
    for (std::size_t hi = n; hi > 0;) {
      const std::size_t lo = hi > block ? hi - block : 0, width = hi - lo;
      const S new_end = h[hi];
      h[hi] = below_end;
      below_end = h[lo];
      rows::vertical_and_pairs<S, M, true>(width, h + lo, e + lo, e_len + lo, profile + lo, x, moves_out + lo, L,
                                           GL);
      h[hi] = new_end;

      for (std::size_t jj = hi; jj-- > lo;) {
        const S reach = S(x_right + G);
        open_at = f < reach ? std::uint32_t(jj) : open_at;
        f = S(std::max(f, reach) + L);
        x_right = x[jj - lo];
        f_out[jj - lo] = f;
        f_len[jj - lo] = open_at;
        if constexpr (M == Method::LOCAL) {
          // Start cells in discovery order: from the end of the row.
          const S cell = std::max(f, x_right);
          if (cell >= local_best) [[unlikely]] {
            if (cell > local_best) {
              local_best = cell;
              starts.list.clear();
              row_count = 0;
            }
            row_starts[row_count++] = std::int32_t(jj) + fr.first2;
          }
        }
      }

      const std::uint32_t long_pair = flags_and_planes<S>(std::uint32_t(width), std::uint32_t(lo), x, f_out, f_len,
                                                          e_len + lo, moves_out + lo, ph + lo, pv + lo, h + lo);
      if (long_pair) [[unlikely]] {
        for (std::size_t jj = hi; jj-- > lo;) {
          if ((moves_out[jj] & cells::gap_bits) == cells::gap_bits && (f_len[jj - lo] | e_len[jj]) > 255) {
            cells::both_gaps(cells, i, std::int32_t(jj) + fr.first2, base + jj, f_len[jj - lo], e_len[jj], moves_out);
          }
        }
      }
      hi = lo;
    }

    cells::pack_row(flags, base, n, moves_out, pending);

    if constexpr (M == Method::LOCAL) {
      for (std::size_t r = 0; r < row_count; ++r) starts.list.push_back({i, row_starts[r]});
    } else if constexpr (M == Method::GLOBAL_FREE_ENDS) {
      best.first_column(h[0], i, fr);
    }
  }
  best.finish(fr, M == Method::LOCAL ? std::int64_t(local_best) : std::int64_t(h[0]),
              [&](std::size_t jj) { return std::int64_t(h[jj]); });
}

}  // namespace sequence_alignment::kernel::fill
