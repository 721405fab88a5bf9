// Tracing a path from a start cell by a move order, through what a fill
// left in the cells, and which paths are traced (the Building modes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::traceback {

// How the path reached a cell. After a gap, the path goes on with another
// move than a gap in that direction (after the exact fill; after the fast
// fill no cell offers one there).
enum class Arrival : std::uint8_t { FREE, AFTER_INSERT_1, AFTER_INSERT_2 };

class Tracer {
 public:
  Tracer(const cells::Cells& cells, std::int32_t quality, const Error_Context& context) noexcept
      : cells_(cells), fr_(cells.frame()), quality_(quality), context_(context), exact_(fr_.exact()) {}

  // The steps of one path from Start into Out (Len1 + Len2 + 2 places);
  // the result is their number.
  std::int32_t trace(Cell_Position start, const utils::Move_Order& order, Path_Step* out) const {
    std::int32_t n = 0;
    std::int32_t column = 0;
    std::int32_t i = start.I, j = start.J;
    Arrival arrival = Arrival::FREE;
    if (fr_.method == Method::LOCAL) {
      // The alignment begins with the pair at the start cell, unless gaps
      // that cost nothing made the score there without it.
      if (quality_ == 0 || (cells_.flags(cells_.index(i, j)) & cells::align_bit)) {
        out[n++] = Path_Step{1, 0, Step_Kind::ALIGN, i, j};
        column = 1;
        ++i;
        ++j;
      }
      while (i <= fr_.last1 && j <= fr_.last2) {
        const std::uint32_t moves = moves_at(cells_.index(i, j), arrival);
        if (moves & cells::stop_bit) break;
        if (!step(i, j, column, moves, order, arrival, out[n])) {
          internal_error(context_, Place::local_cell_without_move, nullptr);
        }
        ++n;
      }
      return n;
    }

    // Global: a free or charged leading gap brings the path to its start cell.
    if (i == fr_.first1 && j > fr_.first2) {
      column = j - fr_.first2;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_1, fr_.first1, fr_.first2};
      arrival = Arrival::AFTER_INSERT_1;
    } else if (j == fr_.first2 && i > fr_.first1) {
      column = i - fr_.first1;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_2, fr_.first1, fr_.first2};
      arrival = Arrival::AFTER_INSERT_2;
    } else if (i != fr_.first1 || j != fr_.first2) {
      internal_error(context_, Place::global_start_cell, "Error IE001");
    } else if (exact_ && fr_.method == Method::GLOBAL_FREE_ENDS) {
      // With free ends the exact fill starts here with the pair: a gap
      // would be the free leading gap, which other start cells stand for.
      out[n++] = Path_Step{1, 0, Step_Kind::ALIGN, i, j};
      column = 1;
      ++i;
      ++j;
    }
    while (i <= fr_.last1 && j <= fr_.last2) {
      if (!step(i, j, column, moves_at(cells_.index(i, j), arrival), order, arrival, out[n])) {
        internal_error(context_, Place::global_cell_without_move, "Error IE003");
      }
      ++n;
    }
    // The trailing gap that brings the path to the ends of both windows.
    if (i > fr_.last1 && j <= fr_.last2) {
      column += fr_.last2 - j + 1;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_1, i, j};
    } else if (j > fr_.last2 && i <= fr_.last1) {
      column += fr_.last1 - i + 1;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_2, i, j};
    }
    out[n++] = Path_Step{column, 0, Step_Kind::STOP, fr_.last1 + 1, fr_.last2 + 1};
    return n;
  }

 private:
  // The moves a path may take at cell K. Where F alone or E alone reaches
  // H, the exact fill keeps the moves of the value the gap ended on.
  std::uint32_t moves_at(std::size_t k, Arrival arrival) const noexcept {
    const std::uint32_t flags = cells_.flags(k);
    if (!exact_ || arrival == Arrival::FREE) return flags;
    const std::uint32_t own = cells_.gap_state(k) & cells::own_moves;
    if (arrival == Arrival::AFTER_INSERT_1) {
      if (flags == cells::insert_1_bit) return own;
      return flags == cells::insert_2_bit ? flags : flags & ~std::uint32_t(cells::insert_1_bit);
    }
    if (flags == cells::insert_2_bit) return own;
    return flags == cells::insert_1_bit ? flags : flags & ~std::uint32_t(cells::insert_2_bit);
  }

  // The length of a gap move from cell K at (I, J).
  std::int32_t gap_length(std::size_t k, std::uint32_t flags, Step_Kind move, std::int32_t i,
                          std::int32_t j) const noexcept {
    if (exact_) {
      // A gap runs as long as the cells it reaches say it goes on.
      if (move == Step_Kind::INSERT_1) {
        std::int32_t to = j + 1;
        while (to <= fr_.last2 && (cells_.gap_state(cells_.index(i, to)) & cells::horizontal_goes_on)) ++to;
        return to - j;
      }
      std::int32_t to = i + 1;
      while (to <= fr_.last1 && (cells_.gap_state(cells_.index(to, j)) & cells::vertical_goes_on)) ++to;
      return to - i;
    }
    // The planes: a 16-bit length for the only gap move, a byte (or an
    // offset to a continuation cell, or 255 with the exact length aside)
    // for each of two.
    const std::uint32_t p = cells_.plane_h(k), q = cells_.plane_v(k);
    if (move == Step_Kind::INSERT_1) {
      if (!(flags & cells::insert_2_bit)) return std::int32_t(p + 256 * q);
      if (p == 255) {
        if (const std::uint32_t aside = cells_.aside_length(k, true)) return std::int32_t(aside);
      }
      return std::int32_t(p);
    }
    if (!(flags & cells::insert_1_bit)) return std::int32_t(q + 256 * p);
    if (q == 255) {
      if (const std::uint32_t aside = cells_.aside_length(k, false)) return std::int32_t(aside);
    }
    return std::int32_t(q);
  }

  // One move from (i, j) among Moves, the first of the order; the step is
  // written, (i, j) advanced and Arrival updated. False when none is left.
  bool step(std::int32_t& i, std::int32_t& j, std::int32_t& column, std::uint32_t moves, const utils::Move_Order& order,
            Arrival& arrival, Path_Step& out) const noexcept {
    const std::size_t k = cells_.index(i, j);
    for (Step_Kind move : order) {
      if (!(moves & cells::move_bit(move))) continue;
      const std::int32_t length = move == Step_Kind::ALIGN ? 1 : gap_length(k, cells_.flags(k), move, i, j);
      column += length;
      out = Path_Step{column, 0, move, i, j};
      if (move == Step_Kind::ALIGN) {
        ++i;
        ++j;
        arrival = Arrival::FREE;
      } else if (move == Step_Kind::INSERT_1) {
        j += length;
        arrival = Arrival::AFTER_INSERT_1;
      } else {
        i += length;
        arrival = Arrival::AFTER_INSERT_2;
      }
      return true;
    }
    return false;
  }

  const cells::Cells& cells_;
  const Frame& fr_;
  std::int32_t quality_;
  const Error_Context& context_;
  bool exact_;
};

// Traces the paths that Building asks for, one at a time, and hands each
// to Keep (steps, count, mode) at once:
//   ONE         the first start cell, by Backward;
//   ALL_FIRSTS  every start cell in list order, by Backward;
//   FULL        every start cell, once by each of the six move orders.
template <class Keep>
void build(const Tracer& tracer, const cells::Start_Cells& starts, const Frame& fr, Building_Mode building,
           Backward_Mode backward, Keep keep) {
  std::vector<Path_Step> buffer(std::size_t(fr.len1) + std::size_t(fr.len2) + 2);
  const auto each_start = [&](auto&& visit) {
    if (starts.every_cell) {
      for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
        for (std::int32_t j = fr.last2; j >= fr.first2; --j) {
          if (!visit(Cell_Position{i, j})) return;
        }
      }
    } else {
      for (const Cell_Position& start : starts.list) {
        if (!visit(start)) return;
      }
    }
  };
  const auto trace_and_keep = [&](Cell_Position start, Backward_Mode mode) {
    keep(buffer.data(), tracer.trace(start, utils::Backward_Order(mode), buffer.data()), mode);
  };
  switch (building) {
    case Building_Mode::ONE:
      each_start([&](Cell_Position start) {
        trace_and_keep(start, backward);
        return false;
      });
      break;
    case Building_Mode::ALL_FIRSTS:
      each_start([&](Cell_Position start) {
        trace_and_keep(start, backward);
        return true;
      });
      break;
    case Building_Mode::FULL:
      each_start([&](Cell_Position start) {
        for (int mode = 0; mode < 6; ++mode) trace_and_keep(start, Backward_Mode(mode));
        return true;
      });
      break;
  }
}

}  // namespace sequence_alignment::kernel::traceback
