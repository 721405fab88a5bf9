// The fill when every gap costs something: one backward pass that keeps,
// per cell, its co-optimal moves and the lengths of its gap moves in the
// two planes (2.5 bytes a cell), and collects the start cells.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::fill {

// Bytes of flags from pairs of cells, the even cell (low half) first.
inline void pack_pairs(std::uint8_t* __restrict out, const std::uint8_t* __restrict moves, std::size_t pairs) noexcept {
  for (std::size_t b = 0; b < pairs; ++b) out[b] = std::uint8_t(moves[2 * b] | moves[2 * b + 1] << 4);
}

// The moves of the N cells of a row from cell Base, two cells a byte, the
// odd cell in the high half; a row may begin or end in the middle of a
// byte. Pending holds the high half of a byte whose low half is the next
// row's (rows are filled from the last).
inline void pack_row(std::uint8_t* flags, std::size_t base, std::size_t n, const std::uint8_t* moves,
                     std::uint8_t& pending) noexcept {
  std::size_t rest = n;
  if (((base + n - 1) & 1) == 0) {
    flags[(base + n - 1) >> 1] = std::uint8_t(pending | moves[n - 1]);
    --rest;
  }
  const std::size_t odd = base & 1;  // cell 0 is a high half, alone in this row
  pack_pairs(flags + ((base + odd) >> 1), moves + odd, (rest - odd) / 2);
  if (odd) {
    pending = std::uint8_t(moves[0] << 4);
    flags[base >> 1] = pending;  // readable by the long-gap rules of the next row
  }
}

// Flags and gap lengths of a block of a row, each cell on its own (see the
// table above fill). F_Len comes as the column index (First for the first
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

// A cell with both gap moves and a gap longer than one byte: the long gap
// is reached through a cell of the same gap that has no other move, within
// 255 cells, whose own 16-bit length finishes it. Failing such a cell, the
// exact lengths are kept aside so that the traceback still follows the gap
// the score was made of. The cells of row I are not packed yet: their
// moves are Row_Moves.
inline void both_gaps(cells::Cells& cells, std::int32_t i, std::int32_t j, std::size_t k,
                      std::uint32_t horizontal_length, std::uint32_t vertical_length, const std::uint8_t* row_moves) {
  const Frame& fr = cells.frame();
  std::uint8_t* const plane_h = cells.plane_h();
  std::uint8_t* const plane_v = cells.plane_v();
  const auto moves_in_row = [&](std::size_t kc) { return row_moves[std::size_t(j - fr.first2) + (kc - k)]; };
  std::uint8_t p = std::uint8_t(horizontal_length), q = std::uint8_t(vertical_length);
  std::uint32_t aside_h = 0, aside_v = 0;
  if (horizontal_length > 255) {
    p = 0;
    for (std::int32_t c = std::min(j + 255, fr.last2); c > j; --c) {
      const std::size_t kc = k + std::size_t(c - j);
      if (moves_in_row(kc) == cells::insert_1_bit &&
          std::uint32_t(plane_h[kc]) + 256u * plane_v[kc] + std::uint32_t(c) == horizontal_length + std::uint32_t(j)) {
        p = std::uint8_t(c - j);
        break;
      }
    }
    if (p == 0) {
      p = 255;
      aside_h = horizontal_length;
    }
  }
  if (vertical_length > 255) {
    q = 0;
    for (std::int32_t r = std::min(i + 255, fr.last1); r > i; --r) {
      const std::size_t kr = k + std::size_t(r - i) * std::size_t(fr.len2);
      if (cells.flags(kr) == cells::insert_2_bit &&
          std::uint32_t(plane_v[kr]) + 256u * plane_h[kr] + std::uint32_t(r) == vertical_length + std::uint32_t(i)) {
        q = std::uint8_t(r - i);
        break;
      }
    }
    if (q == 0) {
      q = 255;
      aside_v = vertical_length;
    }
  }
  plane_h[k] = p;
  plane_v[k] = q;
  if (aside_h != 0 || aside_v != 0) cells.keep_aside(k, aside_h, aside_v);
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
template <class A, class S, bool Global, bool Weighted>
void fill(const Problem<A>& p, cells::Cells& cells, cells::Start_Cells& starts) {
  const Frame& fr = cells.frame();
  rows::Rows<A, S> work(p, fr, true);
  work.template start<Global, Weighted>(fr);
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

  // Local start cells: positive scores only; none means every cell.
  std::int64_t best = Global ? std::numeric_limits<std::int64_t>::min() : 1;
  S local_best = 1;

  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::size_t base = std::size_t(i - fr.first1) * n;
    std::uint8_t* const ph = cells.plane_h() + base;
    std::uint8_t* const pv = cells.plane_v() + base;
    const std::int32_t* const profile = work.profile_of(p.codes_1(i), n);
    const S right = S(rows::right_boundary<Global, Weighted>(fr, i));

    // The horizontal chain runs from the end of the row through blocks of
    // columns. "Open := X(i, j+1) + G + L, extend := F(i, j+1) + L, a tie
    // extends" is F := max(F(i, j+1), X(i, j+1) + G) + L: the same values
    // and lengths with a shorter chain from cell to cell. The gap of a
    // cell opens at the nearest cell at or after it that opens (the row's
    // first cell always).
    S f = rows::initial_horizontal<S, Global, Weighted>(fr, i);
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
      rows::vertical_and_pairs<S, Global, true>(width, h + lo, e + lo, e_len + lo, profile + lo, x, moves_out + lo,
                                                L, GL);
      h[hi] = new_end;

      for (std::size_t jj = hi; jj-- > lo;) {
        const S reach = S(x_right + G);
        open_at = f < reach ? std::uint32_t(jj) : open_at;
        f = S(std::max(f, reach) + L);
        x_right = x[jj - lo];
        f_out[jj - lo] = f;
        f_len[jj - lo] = open_at;
        if constexpr (!Global) {
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
            both_gaps(cells, i, std::int32_t(jj) + fr.first2, base + jj, f_len[jj - lo], e_len[jj], moves_out);
          }
        }
      }
      hi = lo;
    }

    pack_row(flags, base, n, moves_out, pending);

    if constexpr (!Global) {
      for (std::size_t r = 0; r < row_count; ++r) starts.list.push_back({i, row_starts[r]});
    } else {
      starts.offer(h[0], i, fr.first2, best);
    }
  }

  if constexpr (Global && Weighted) {
    starts.list.clear();
    starts.list.push_back({fr.first1, fr.first2});
    best = h[0];
  } else if constexpr (Global) {
    for (std::size_t jj = 1; jj <= n; ++jj) starts.offer(h[jj], fr.first1, std::int32_t(jj) + fr.first2, best);
  } else {
    best = local_best;
    if (starts.list.empty()) {
      best = 0;
      starts.every_cell = true;
    }
  }
  starts.quality = to_score(best);
}

}  // namespace sequence_alignment::kernel::fill
