// What a fill leaves for the traceback: per cell, 4 bits of co-optimal
// moves (two cells a byte) and either the two gap-length planes of the
// fast fill or the gap-state byte of the exact fill; the start cells and
// the best score.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

}  // namespace sequence_alignment::kernel::cells
