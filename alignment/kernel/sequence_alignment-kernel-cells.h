// What a fill leaves for the traceback: per cell, 4 bits of co-optimal
// moves (two cells a byte) and either the two gap-length planes of the
// fast fill or the gap-state byte of the exact fill; the start cells and
// the best score, by each method's rule. Also what every fill shares in
// writing them: the packing of a row's flags and the rule of long gaps.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/work_block.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::cells {

// Moves of a cell: every move that reaches the cell's score has its bit,
// the bit numbered by the move's Step_Kind (STOP: a local cell whose score
// is 0, where a path ends). Both gap bits together: a cell with two gap
// moves, whose planes hold a byte for each.
inline constexpr std::uint8_t stop_bit = 1, align_bit = 2, insert_1_bit = 4, insert_2_bit = 8;
inline constexpr std::uint8_t gap_bits = insert_1_bit | insert_2_bit;

constexpr std::uint32_t move_bit(Step_Kind move) noexcept { return std::uint32_t(1) << unsigned(move); }
static_assert(move_bit(Step_Kind::STOP) == stop_bit && move_bit(Step_Kind::ALIGN) == align_bit &&
              move_bit(Step_Kind::INSERT_1) == insert_1_bit && move_bit(Step_Kind::INSERT_2) == insert_2_bit);

// The exact fill's gap-state byte (see sequence_alignment-kernel-exact):
// the moves of the value a gap ends on, in the bits of the moves, and
// whether a gap reaching the cell goes on through it.
inline constexpr std::uint8_t own_moves = stop_bit | align_bit | insert_1_bit | insert_2_bit;
inline constexpr std::uint8_t horizontal_goes_on = 16, vertical_goes_on = 32;

class Cells {
 public:
  explicit Cells(const Frame& frame) noexcept : frame_(frame) {}
  Cells(const Cells&) = delete;
  Cells& operator=(const Cells&) = delete;

  // The fast fill's storage: 4 bits and two plane bytes a cell, 2.5 bytes.
  void allocate_planes() {
    const std::size_t n = frame_.cells();
    flags_ = storage_.block().allocate((n + 1) / 2 + 2 * n);
    plane_h_ = flags_ + (n + 1) / 2;
    plane_v_ = plane_h_ + n;
  }
  // The exact fill's: 4 bits and a gap-state byte, 1.5 bytes; the flags are
  // or-ed in, so they start clear.
  void allocate_gap_states() {
    const std::size_t n = frame_.cells();
    flags_ = storage_.block().allocate((n + 1) / 2 + n);
    std::memset(flags_, 0, (n + 1) / 2);
    gap_states_ = flags_ + (n + 1) / 2;
  }
  // The storage itself stays with the run, for the next call.
  void release() noexcept {
    flags_ = plane_h_ = plane_v_ = gap_states_ = nullptr;
    aside_.clear();
  }

  const Frame& frame() const noexcept { return frame_; }
  std::size_t index(std::int32_t i, std::int32_t j) const noexcept { return frame_.cell(i, j); }
  std::uint8_t flags(std::size_t k) const noexcept { return (flags_[k >> 1] >> ((k & 1) * 4)) & own_moves; }

  std::uint8_t* flag_bytes() noexcept { return flags_; }
  std::uint8_t* plane_h() noexcept { return plane_h_; }
  std::uint8_t* plane_v() noexcept { return plane_v_; }
  std::uint8_t* gap_states() noexcept { return gap_states_; }
  std::uint8_t plane_h(std::size_t k) const noexcept { return plane_h_[k]; }
  std::uint8_t plane_v(std::size_t k) const noexcept { return plane_v_[k]; }
  std::uint8_t gap_state(std::size_t k) const noexcept { return gap_states_[k]; }

  // The exact lengths of a both-gap cell's long gaps whose bytes say 255
  // (0: that gap's byte holds its length or a continuation). Cells come in
  // decreasing order, as the fill meets them.
  void keep_aside(std::size_t k, std::uint32_t horizontal, std::uint32_t vertical) {
    aside_.push_back({k, horizontal, vertical});
  }
  std::uint32_t aside_length(std::size_t k, bool horizontal) const noexcept {
    const auto at = std::lower_bound(aside_.begin(), aside_.end(), k,
                                     [](const Aside& a, std::size_t key) { return a.cell > key; });
    if (at == aside_.end() || at->cell != k) return 0;
    return horizontal ? at->horizontal : at->vertical;
  }

 private:
  struct Aside {
    std::size_t cell;
    std::uint32_t horizontal;
    std::uint32_t vertical;
  };

  Frame frame_;
  platform::Work_Loan storage_;
  std::uint8_t* flags_ = nullptr;
  std::uint8_t* plane_h_ = nullptr;
  std::uint8_t* plane_v_ = nullptr;
  std::uint8_t* gap_states_ = nullptr;
  std::vector<Aside> aside_;
};

// The cells a path may start from, in discovery order, and the best score.
struct Start_Cells {
  std::vector<Cell_Position> list;
  bool every_cell = false;  // local: no cell scores above 0
  std::int32_t quality = 0;

  // A cell scoring Score: above Best it restarts the list, equal to it joins.
  void offer(std::int64_t score, std::int32_t i, std::int32_t j, std::int64_t& best) {
    if (score > best) {
      best = score;
      list.clear();
    }
    if (score == best) list.push_back({i, j});
  }
};

// The best score of a pass of method M and, when it fills cells (Full), its
// start cells, by the method's rule:
//   local                 every cell of the best score above 0, in the
//                         order the pass meets them (from the last row,
//                         each row from its end), which the pass finds
//                         itself; none above 0: every cell, score 0;
//   global, charged ends  the cell (First1, First2);
//   global, free ends     the best of the first column's cells, offered by
//                         the pass after each row, then of the first row's
//                         from the second column on, left to right, up to
//                         the boundary cell beyond the last column, where
//                         nothing is aligned.
template <Method M, bool Full>
class Pass_Best {
 public:
  explicit Pass_Best(Start_Cells* starts) noexcept : starts_(starts) {}

  // Local: what a pass's best cell starts from (a fill keeps cells above 0).
  static constexpr std::int64_t local_start = Full ? 1 : 0;

  // Global, free ends: the cell (I, First2), after row I.
  void first_column(std::int64_t score, std::int32_t i, const Frame& fr) {
    static_assert(M == Method::GLOBAL_FREE_ENDS);
    if constexpr (Full) {
      starts_->offer(score, i, fr.first2, best_);
    } else {
      best_ = std::max(best_, score);
    }
  }

  // The end of the pass, which gives Found: local, its best cell from
  // local_start (its cells listed); charged ends, the score of (First1,
  // First2). First_Row(jj), free ends: the score of the cell (First1,
  // First2 + jj), jj from 1 to Len2.
  template <class First_Row>
  std::int64_t finish(const Frame& fr, std::int64_t found, First_Row first_row) {
    if constexpr (M == Method::LOCAL) {
      best_ = found;
      if constexpr (Full) {
        if (starts_->list.empty()) {
          best_ = 0;
          starts_->every_cell = true;
        }
      }
    } else if constexpr (M == Method::GLOBAL_WEIGHTED_ENDS) {
      best_ = found;
      if constexpr (Full) {
        starts_->list.clear();
        starts_->list.push_back({fr.first1, fr.first2});
      }
    } else {
      for (std::int32_t jj = 1; jj <= fr.len2; ++jj) {
        const std::int64_t score = first_row(std::size_t(jj));
        if constexpr (Full) {
          starts_->offer(score, fr.first1, jj + fr.first2, best_);
        } else {
          best_ = std::max(best_, score);
        }
      }
    }
    if constexpr (Full) starts_->quality = to_score(best_);
    return best_;
  }

 private:
  Start_Cells* starts_;
  std::int64_t best_ = std::numeric_limits<std::int64_t>::min();
};

// Bytes of flags from pairs of cells, the even cell (low half) first.
inline void pack_pairs(std::uint8_t* __restrict out, const std::uint8_t* __restrict moves, std::size_t pairs) noexcept {
  for (std::size_t b = 0; b < pairs; ++b) out[b] = std::uint8_t(moves[2 * b] | moves[2 * b + 1] << 4);
}

// The moves of the N cells of a row from cell Base, two cells a byte, the
// odd cell in the high half; a row may begin or end in the middle of a
// byte. Pending holds the high half of a byte whose low half is the next
// row's (rows are filled from the last). Every fill of planes packs its
// rows here.
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

// A cell with both gap moves and a gap longer than one byte, in every fill
// of planes: the long gap is reached through a cell of the same gap that
// has no other move, within 255 cells, whose own 16-bit length finishes
// it. Failing such a cell, the exact lengths are kept aside so that the
// traceback still follows the gap the score was made of. The cells of row
// I are not packed yet: their moves are Row_Moves.
inline void both_gaps(Cells& cells, std::int32_t i, std::int32_t j, std::size_t k, std::uint32_t horizontal_length,
                      std::uint32_t vertical_length, const std::uint8_t* row_moves) {
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
      if (moves_in_row(kc) == insert_1_bit &&
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
      if (cells.flags(kr) == insert_2_bit &&
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

}  // namespace sequence_alignment::kernel::cells
