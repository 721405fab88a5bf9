#include "kernel/sequence_alignment-kernel-column_lanes.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "kernel/sequence_alignment-kernel-fill.h"
#include "kernel/sequence_alignment-kernel-rows.h"
#include "kernel/sequence_alignment-kernel-simd.h"

namespace sequence_alignment::kernel::column_lanes {

namespace {

using simd::first_lane;
using simd::from_right;

// The working rows of a pass, Width-aligned from the right: column jj is
// at index Pad + jj, the column beyond the window at Pad + Len2 = Columns,
// and vector v holds indexes v Width to v Width + Width - 1. The first
// vector of a row (the last one computed) begins with Pad lanes left of
// the window, which the pass keeps at 0.
template <class T>
struct Rows {
  std::size_t columns, pad;
  T *below, *above;                   // H of the row below, H of the row being computed
  T *y_below, *y_above;               // exact: Y likewise
  T* e;                               // the vertical gap of each column
  std::make_unsigned_t<T>* e_length;  // fast fill: its length
  std::make_unsigned_t<T>* h_length;  // fast fill: the length of each cell's horizontal gap
  T* x;                               // exact fill with free ends: X of the last row
  T* profile;                         // Matrix(code, Codes_2(j)), a row for each code of window 1
  std::uint8_t* moves;                // the moves of the row's cells, one byte each

  // Only the rows the pass uses, and a profile row for each code that
  // window 1 holds: the working rows then take no more than the scalar
  // passes' did.
  Rows(const Input& in, int width, bool exact, bool full) {
    const std::size_t n = std::size_t(in.frame->len2), w = std::size_t(width);
    columns = (n + w - 1) / w * w;
    pad = columns - n;
    std::size_t codes = 0;
    slot_.fill(absent);
    for (std::int32_t k = 0; k < in.frame->len1; ++k) {
      std::uint8_t& slot = slot_[in.codes_1[k]];
      if (slot == absent) slot = std::uint8_t(codes++);
    }
    // Every row one vector longer than Columns (the pair's load reaches
    // index Columns), each on a cache-line boundary.
    const std::size_t row = (columns + w) * sizeof(T) / line * line + line;
    const std::size_t rows = 3 + (exact ? 3 : 0) + (full && !exact ? 2 : 0) + (full ? 1 : 0) + codes;
    block_.reset(new (std::align_val_t(line)) std::uint8_t[rows * row + row]());
    std::uint8_t* at = block_.get();
    const auto next = [&](bool wanted) {
      std::uint8_t* r = wanted ? at : nullptr;
      if (wanted) at += row;
      return r;
    };
    below = reinterpret_cast<T*>(next(true));
    above = reinterpret_cast<T*>(next(true));
    e = reinterpret_cast<T*>(next(true));
    y_below = reinterpret_cast<T*>(next(exact));
    y_above = reinterpret_cast<T*>(next(exact));
    x = reinterpret_cast<T*>(next(exact));
    e_length = reinterpret_cast<std::make_unsigned_t<T>*>(next(full && !exact));
    h_length = reinterpret_cast<std::make_unsigned_t<T>*>(next(full && !exact));
    moves = next(full);
    profile = reinterpret_cast<T*>(at);
    profile_row = row / sizeof(T);
    for (int code = 0; code < in.size; ++code) {
      if (slot_[std::size_t(code)] == absent) continue;
      T* out = profile + std::size_t(slot_[std::size_t(code)]) * profile_row + pad;
      const std::int32_t* scores = in.matrix + std::size_t(code) * std::size_t(in.size);
      for (std::size_t jj = 0; jj < n; ++jj) out[jj] = T(scores[in.codes_2[jj]]);
    }
  }
  const T* profile_of(std::uint8_t code) const noexcept { return profile + std::size_t(slot_[code]) * profile_row; }

 private:
  static constexpr std::size_t line = 64;
  struct Free {
    void operator()(std::uint8_t* p) const noexcept { operator delete[](p, std::align_val_t(line)); }
  };
  std::unique_ptr<std::uint8_t[], Free> block_;
  static constexpr std::uint8_t absent = 255;
  std::size_t profile_row = 0;
  std::array<std::uint8_t, 256> slot_;  // each code's profile row
};

// Where a pass writes: the cells' bytes (or nothing: score only) and start
// cells.
struct Output {
  cells::Cells* cells;
  cells::Start_Cells* starts;
};

// Each cell P of a row (index Pad + column) in a group of vectors that Test
// marks, from the end of the row. Test(Mask, K) sets a mask over the vector
// at index K; a whole vector takes several steps to test, so four are
// tested at once, and only the cells of a marked group go to Each.
template <int W, class Mask, class Test, class Each>
SEQUENCE_ALIGNMENT_INLINE void each_marked(std::size_t columns, std::size_t pad, Test test, Each each) {
  for (std::size_t end = columns; end > 0;) {
    const std::size_t at = end >= 4 * W ? end - 4 * W : 0;
    Mask found, more;
    test(found, at);
    for (std::size_t k = at + W; k < end; k += W) {
      test(more, k);
      found |= more;
    }
    if (simd::any(found)) {
      for (std::size_t p = end; p-- > std::max(at, pad);) each(p);
    }
    end = at;
  }
}

// The recurrences of the scalar passes (sequence_alignment-kernel-fill for
// the fast fill, -exact for the exact one), a row at a time from the last,
// each row a vector at a time from its end. The vertical gap and the pair
// of every lane depend on the row below only. The horizontal chain,
//
//   F(i, j) = max(F(i, j+1), A(j)) + L,   A(j) = X(i, j+1) + G,
//
// is for lane t of a vector of columns Lo .. Lo + Width - 1
//
//   F(Lo + t) = max(S(t), F(Lo + Width) + Width L) - t L,
//   S(t) = max over t' >= t of C(t'),   C(t') = A(Lo + t') + (t' + 1) L,
//
// a suffix maximum across the vector and the carry from the vector to its
// right (F beyond the last column is the boundary's, so the row's last
// cell takes max(F beyond, A) + L as the scalar chain does). A cell opens
// its horizontal gap where F(j+1) < A(j) (a tie extends), that is where
// C(t) is above S(t+1) and the carry: the gap of a cell opens at the last
// column of the maximum S(t) when S(t) is above the carry, and where the
// gap of the column right of the vector opens otherwise (the row's last
// cell when none). One scan carries the maximum and its last column; the
// gap's length goes to the planes.
//
// Only a few steps a vector wait for the carry, so each vector's scan is
// started before the vector to its right is finished: the processor has
// two vectors' chains of steps to interleave.
template <class Lanes, Method M, bool Exact, bool Full>
SEQUENCE_ALIGNMENT_INLINE std::int64_t pass(const Input& in, Rows<typename Lanes::value_type>& rows, Output out) {
  using T = typename Lanes::value_type;
  using U = typename Lanes::unsigned_type;
  using V = typename Lanes::vector;
  using UV = typename Lanes::unsigned_vector;
  using B = typename Lanes::bytes;
  constexpr int W = Lanes::width;
  constexpr bool Fast_Full = Full && !Exact;
  const Frame& fr = *in.frame;
  constexpr bool Local = M == Method::LOCAL, global = !Local, weighted = M == Method::GLOBAL_WEIGHTED_ENDS;
  const std::size_t n = std::size_t(fr.len2), columns = rows.columns, pad = rows.pad;
  const T minus_infinity = sizeof(T) == 2 ? bounds::minus_infinity_16(fr.l) : T(bounds::minus_infinity_32);

  V L, G, GL, width_L, step, step_next, lowest, zero{};
  simd::fill(L, fr.l);
  simd::fill(G, fr.g);
  simd::fill(GL, std::int64_t(fr.g) + fr.l);
  simd::fill(width_L, std::int64_t(W) * fr.l);
  simd::steps(step, fr.l, 0);       // t L
  simd::steps(step_next, fr.l, 1);  // (t + 1) L
  simd::fill(lowest, std::numeric_limits<T>::min());
  UV lane, none, one, high_byte, width_step, pad_lanes;
  simd::steps(lane, 1, 0);  // t
  simd::fill(none, std::numeric_limits<U>::max());
  simd::fill(one, 1);
  simd::fill(high_byte, std::uint32_t(~0u << 8));
  simd::fill(width_step, W);
  simd::fill(pad_lanes, pad);  // lane < Pad: left of the window, in the row's first vector

  T* below = rows.below;
  T* above = rows.above;
  T* y_below = rows.y_below;
  T* y_above = rows.y_above;
  T* const e = rows.e;
  U* const e_length = rows.e_length;
  std::uint8_t* const moves = rows.moves;
  for (std::size_t jj = 0; jj < n; ++jj) {
    const T boundary = T(weighted ? rows::below_boundary<M>(fr, std::int32_t(jj)) : 0);
    below[pad + jj] = boundary;
    if constexpr (Exact) y_below[pad + jj] = boundary;
    e[pad + jj] = weighted ? boundary : minus_infinity;
  }
  below[columns] = 0;

  std::uint8_t* const flags = Full ? out.cells->flag_bytes() : nullptr;
  std::uint8_t* const plane_h = Fast_Full ? out.cells->plane_h() : nullptr;
  std::uint8_t* const plane_v = Fast_Full ? out.cells->plane_v() : nullptr;
  std::uint8_t* const gap_states = Full && Exact ? out.cells->gap_states() : nullptr;
  std::uint8_t pending = 0;  // the high half of a byte whose low half is the next row's
  if constexpr (Full) out.starts->list.reserve(std::size_t(fr.len1) + n + 1);

  cells::Pass_Best<M, Full> best(out.starts);
  std::int64_t local_best = best.local_start;  // local start cells: positive scores only
  V pass_best = lowest;                        // local score only

  for (std::int32_t i = fr.last1; i >= fr.first1; --i) {
    const std::size_t base = std::size_t(i - fr.first1) * n;
    const T* const profile = rows.profile_of(in.codes_1[i - fr.first1]);
    const T right = T(weighted ? rows::right_boundary<M>(fr, i) : 0);
    above[columns] = right;
    V x_beyond, f_carry;  // X beyond the last column; F of the column right of the vector, every lane
    simd::fill(x_beyond, right);
    simd::fill(f_carry, weighted ? right : minus_infinity);
    UV open_carry;  // where the gap of the column right of the vector opens, every lane
    simd::fill(open_carry, n - 1);
    UV column;  // the column of each lane of the next vector to start
    simd::fill(column, std::int64_t(columns) - W - std::int64_t(pad));
    column += lane;
    V row_best = lowest;
    UV long_gaps{};  // some cell with both gap moves and a gap longer than a byte
    // With free global ends a leading gap goes on from X of row First1 only.
    const bool keep_x = Exact && global && !weighted && i == fr.first1;

    // A vector's values up to the horizontal chain, which need no carry
    // from the vector to the right (its X only), computed a vector ahead.
    struct Ahead {
      V v, d, x;
      V scan;              // max over t' >= t of C(t')
      UV column;           // the column of each lane
      UV record;           // the last column of that maximum
      UV vertical_length;  // fast fill
    };
    const auto ahead = [&](Ahead & a, std::size_t at, const V& x_right) __attribute__((always_inline)) {
      // X_Right: X of the vector to the right, lane 0 its first column.
      V h_below, h_pair, matrix_score, e_old;
      simd::load(h_below, below + at);
      simd::load(h_pair, below + at + 1);
      simd::load(matrix_score, profile + at);
      simd::load(e_old, e + at);
      V open_from = h_below;
      if constexpr (Exact) simd::load(open_from, y_below + at);
      const V extend = e_old + L, open = open_from + GL;
      a.v = extend > open ? extend : open;
      a.d = h_pair + matrix_score;
      a.x = a.d > a.v ? a.d : a.v;
      if constexpr (Local) a.x = a.x > zero ? a.x : zero;
      if constexpr (Fast_Full) {
        UV length;
        simd::load(length, e_length + at);
        a.vertical_length = (extend < open) ? one : length + one;
      }

      V c;  // C = A + (t + 1) L, A: X of the column to the right, plus G
      from_right<1>(c, a.x, x_right);
      c += G + step_next;
      a.scan = c;
      if constexpr (Fast_Full) {
        // Without the carry, the gap of a cell opens at the last column
        // of the maximum of C at or after it (a tie extends); the carry
        // wins only where it is at least that maximum.
        a.column = column;
        column -= width_step;  // a running vector: the compiler would build column + t lane by lane
        a.record = a.column;
        simd::suffix_max_at(a.scan, a.record, lowest, none);
      } else {
        simd::suffix_max(a.scan, lowest);
      }
    };

    const auto finish = [&](const Ahead& a, std::size_t at, auto edge) __attribute__((always_inline)) {
      constexpr bool Edge = decltype(edge)::value;
      const V &v = a.v, &d = a.d, &x = a.x;
      const V carried = f_carry + width_L;
      const V f = ((a.scan > carried) ? a.scan : carried) - step;
      const V h = f > x ? f : x;

      V x_moves = ((d == x) & cells::align_bit) | ((v == x) & cells::insert_2_bit);
      if constexpr (Local) x_moves |= (x == zero) & cells::stop_bit;
      // Comparisons stand in the conditions themselves: a mask kept in a
      // vector and tested later is expanded lane by lane with AVX-512.
      const V cell_moves = ((f > x) ? zero : x_moves) | ((f >= x) & cells::insert_1_bit);

      std::uint8_t bytes_1[W], bytes_2[W];
      if constexpr (Fast_Full) {
        const UV opens_at = (a.scan > carried) ? a.record : open_carry;
        const UV horizontal_length = opens_at - a.column + one;
        first_lane(open_carry, opens_at);

        const UV& vertical_length = a.vertical_length;
        const V gap_moves = cell_moves & cells::gap_bits;
        const UV p = (gap_moves == cells::insert_2_bit) ? vertical_length >> 8 : horizontal_length;
        const UV q = ((cell_moves & cells::insert_2_bit) != 0) ? vertical_length : horizontal_length >> 8;
        B p_bytes, q_bytes;
        simd::to_bytes(p_bytes, p);
        simd::to_bytes(q_bytes, q);
        std::memcpy(bytes_1, &p_bytes, W);
        std::memcpy(bytes_2, &q_bytes, W);
        long_gaps |= (gap_moves == cells::gap_bits) ? (horizontal_length | vertical_length) & high_byte : UV{};
        simd::store(rows.h_length + at, horizontal_length);
        if constexpr (Edge) {
          simd::store(e_length + at, (lane >= pad_lanes) ? vertical_length : UV{});
        } else {
          simd::store(e_length + at, vertical_length);
        }
      }
      V y_value;
      if constexpr (Exact) {
        y_value = d > f ? d : f;
        if constexpr (Local) y_value = y_value > zero ? y_value : zero;
        if constexpr (Full) {
          V y_moves = ((d == y_value) & cells::align_bit) | ((f == y_value) & cells::insert_1_bit);
          if constexpr (Local) y_moves |= (y_value == zero) & cells::stop_bit;
          V state = cell_moves == cells::insert_1_bit ? x_moves : cell_moves == cells::insert_2_bit ? y_moves : zero;
          state |= ((f >= x + G) & cells::horizontal_goes_on) | ((v >= y_value + G) & cells::vertical_goes_on);
          B state_bytes;
          simd::to_bytes(state_bytes, state);
          std::memcpy(bytes_1, &state_bytes, W);
        }
      }
      if constexpr (Full) {
        B move_bytes;
        simd::to_bytes(move_bytes, cell_moves);
        simd::store(moves + at, move_bytes);
      }

      // The row's values; the lanes left of the window stay 0.
      if constexpr (Edge) {
        simd::store(above + at, (lane >= pad_lanes) ? h : zero);
        simd::store(e + at, (lane >= pad_lanes) ? v : zero);
        if constexpr (Exact) simd::store(y_above + at, (lane >= pad_lanes) ? y_value : zero);
      } else {
        simd::store(above + at, h);
        simd::store(e + at, v);
        if constexpr (Exact) simd::store(y_above + at, y_value);
      }
      if constexpr (Exact && !Local) {
        if (keep_x) simd::store(rows.x + at, x);
      }
      if constexpr (Local) {
        V h_window = h;
        if constexpr (Edge) h_window = (lane >= pad_lanes) ? h : lowest;
        V& best_so_far = Full ? row_best : pass_best;
        best_so_far = h_window > best_so_far ? h_window : best_so_far;
      }

      if constexpr (Full) {
        // The cells' bytes; the first vector of a row writes only the window's.
        const std::size_t skip = Edge ? pad : 0;
        const std::size_t k = base + at + skip - pad;
        if constexpr (Exact) {
          std::memcpy(gap_states + k, bytes_1 + skip, std::size_t(W) - skip);
        } else {
          std::memcpy(plane_h + k, bytes_1 + skip, std::size_t(W) - skip);
          std::memcpy(plane_v + k, bytes_2 + skip, std::size_t(W) - skip);
        }
      }
      first_lane(f_carry, f);
    };

    // Each vector's chain-free part is computed before the vector to its
    // right is finished: two vectors' scans for the processor at once.
    Ahead current;
    ahead(current, columns - W, x_beyond);
    for (std::size_t at = columns - W; at > 0; at -= W) {
      Ahead next;
      ahead(next, at - W, current.x);
      finish(current, at, std::false_type());
      current = next;
    }
    finish(current, 0, std::true_type());

    if constexpr (Fast_Full) {
      if (simd::any(long_gaps)) [[unlikely]] {
        // Such cells are few, but many rows of a global call have one.
        const auto test = [&](UV & found, std::size_t k) __attribute__((always_inline)) {
          B cell_moves;
          UV horizontal_length, vertical_length;
          simd::load(cell_moves, moves + k);
          simd::load(horizontal_length, rows.h_length + k);
          simd::load(vertical_length, e_length + k);
          const UV gap_moves = __builtin_convertvector(cell_moves, UV) & cells::gap_bits;
          found = (gap_moves == cells::gap_bits) ? (horizontal_length | vertical_length) & high_byte : UV{};
        };
        each_marked<W, UV>(columns, pad, test, [&](std::size_t p) {
          if ((moves[p] & cells::gap_bits) == cells::gap_bits && (rows.h_length[p] | e_length[p]) > 255) {
            const std::size_t jj = p - pad;
            cells::both_gaps(*out.cells, i, std::int32_t(jj) + fr.first2, base + jj, rows.h_length[p], e_length[p],
                             moves + pad);
          }
        });
      }
    }
    if constexpr (Full) {
      cells::pack_row(flags, base, n, moves + pad, pending);
      if constexpr (Local) {
        // Start cells in discovery order, from the end of the row: a cell
        // at least the best so far joins the list, one above it restarts
        // it. What stays of a row is every cell of the row's best, when
        // that is at least the best so far.
        const std::int64_t row_top = simd::largest(row_best);
        if (row_top >= local_best) {
          if (row_top > local_best) {
            local_best = row_top;
            out.starts->list.clear();
          }
          V top;
          simd::fill(top, row_top);
          const auto test = [&](V & found, std::size_t k) __attribute__((always_inline)) {
            V h;
            simd::load(h, above + k);
            found = h == top;
          };
          each_marked<W, V>(columns, pad, test, [&](std::size_t p) {
            if (above[p] == row_top) out.starts->list.push_back({i, std::int32_t(p - pad) + fr.first2});
          });
        }
      }
    }
    if constexpr (global && !weighted) {
      std::int64_t start = above[pad];
      if constexpr (Exact) {
        // A free leading gap over Codes_1(First1..i-1) goes on from Y; at
        // (First1, First2) the pair is the only move.
        start = i > fr.first1 ? std::int64_t(y_above[pad]) : std::int64_t(below[pad + 1]) + profile[pad];
      }
      best.first_column(start, i, fr);
    }
    std::swap(below, above);
    if constexpr (Exact) std::swap(y_below, y_above);
  }
  // The last row computed is now Below.

  // A free leading gap over Codes_2(First2..j-1) goes on from X; beyond
  // the last column nothing is aligned.
  const std::int64_t found =
      Local ? (Full ? local_best : std::max<std::int64_t>(0, simd::largest(pass_best))) : std::int64_t(below[pad]);
  return best.finish(fr, found, [&](std::size_t jj) {
    return Exact && jj < n ? std::int64_t(rows.x[pad + jj]) : std::int64_t(below[pad + jj]);
  });
}

template <class Lanes>
SEQUENCE_ALIGNMENT_INLINE std::int64_t run(const Input& in, Output out) {
  return by_method_and_gaps(
      in.frame->method, in.frame->exact(), [&](auto method, auto exact) __attribute__((always_inline)) {
        if (out.cells) {
          Rows<typename Lanes::value_type> rows(in, Lanes::width, exact, true);
          return pass<Lanes, method, exact, true>(in, rows, out);
        }
        Rows<typename Lanes::value_type> rows(in, Lanes::width, exact, false);
        return pass<Lanes, method, exact, false>(in, rows, out);
      });
}

std::int64_t generic_16(const Input& in, Output out) { return run<simd::Lanes<16, std::int16_t>>(in, out); }
std::int64_t generic_32(const Input& in, Output out) { return run<simd::Lanes<16, std::int32_t>>(in, out); }

#if SEQUENCE_ALIGNMENT_X86()
__attribute__((target("avx2"))) std::int64_t avx2_16(const Input& in, Output out) {
  return run<simd::Lanes<32, std::int16_t>>(in, out);
}
__attribute__((target("avx2"))) std::int64_t avx2_32(const Input& in, Output out) {
  return run<simd::Lanes<32, std::int32_t>>(in, out);
}
__attribute__((target("avx512bw"))) std::int64_t avx512_16(const Input& in, Output out) {
  return run<simd::Lanes<64, std::int16_t>>(in, out);
}
__attribute__((target("avx512bw"))) std::int64_t avx512_32(const Input& in, Output out) {
  return run<simd::Lanes<64, std::int32_t>>(in, out);
}
#endif

std::int64_t run(const Input& in, Output out, choice::Pass pass) {
  return choice::by_vector_pass(pass, [&](auto set, auto width) {
    constexpr bool narrow = width == choice::Lane_Width::BITS_16;
#if SEQUENCE_ALIGNMENT_X86()
    if constexpr (set == choice::Instruction_Set::AVX512BW) return narrow ? avx512_16(in, out) : avx512_32(in, out);
    if constexpr (set == choice::Instruction_Set::AVX2) return narrow ? avx2_16(in, out) : avx2_32(in, out);
#endif
    return narrow ? generic_16(in, out) : generic_32(in, out);
  });
}

}  // namespace

void fill(const Input& input, cells::Cells& cells, cells::Start_Cells& starts, choice::Pass pass) {
  run(input, Output{&cells, &starts}, pass);
}

std::int64_t quality(const Input& input, choice::Pass pass) { return run(input, Output{nullptr, nullptr}, pass); }

}  // namespace sequence_alignment::kernel::column_lanes
