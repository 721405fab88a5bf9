// The fills and the score-only pass of one couple, a row's columns in
// vector lanes. A pass is one function for each vector (instruction set
// and lane width), method, fill (fast or exact) and output (cells or the
// score only), named by them in a profile or a debugger:
// avx512_variant<simd::Lanes<64, short>, Method::LOCAL, false, true> is
// the fast local fill in 32 lanes of 16 bits. It runs in named steps:
//
//   start_rows           the boundary beyond the last row
//   for each row, from the last:
//     start_row          the row's running state (Row_State)
//     for each vector, from the end of the row, a vector ahead:
//       vertical_and_pair  E, D and X, from the row below
//       chain_scan         the horizontal chain across the vector
//     and then:
//       horizontal_chain   F and H, with the carry from the vector to the right
//       cell_moves         the moves of the cells
//       cell_bytes         their bytes: moves, and planes or gap states
//       store_row          the row's values, for the row above
//       write_cells        the bytes into the cells
//     long_gaps          cells with both gap moves and a gap over a byte
//     local_starts       the row's local start cells
//     end_of_row         free ends: the first column's start cell
//   end_of_pass          the start cells and best score by the method's rule
#include "kernel/sequence_alignment-kernel-column_lanes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-choice.h"
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
struct Padded_Rows {
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
  Padded_Rows(const Input& in, int width, bool exact, bool full) {
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

// The weights, and the lane numbers, in every lane.
template <class Lanes>
struct Lane_Constants {
  using V = typename Lanes::vector;
  using UV = typename Lanes::unsigned_vector;
  using T = typename Lanes::value_type;
  using U = typename Lanes::unsigned_type;
  static constexpr int W = Lanes::width;

  V L, G, GL, width_L, step, step_next, lowest, zero{};
  UV lane, none, one, high_byte, width_step, pad_lanes;

  SEQUENCE_ALIGNMENT_INLINE Lane_Constants(const Frame& fr, std::size_t pad) noexcept {
    simd::fill(L, fr.l);
    simd::fill(G, fr.g);
    simd::fill(GL, std::int64_t(fr.g) + fr.l);
    simd::fill(width_L, std::int64_t(W) * fr.l);
    simd::steps(step, fr.l, 0);       // t L
    simd::steps(step_next, fr.l, 1);  // (t + 1) L
    simd::fill(lowest, std::numeric_limits<T>::min());
    simd::steps(lane, 1, 0);  // t
    simd::fill(none, std::numeric_limits<U>::max());
    simd::fill(one, 1);
    simd::fill(high_byte, std::uint32_t(~0u << 8));
    simd::fill(width_step, W);
    simd::fill(pad_lanes, pad);  // lane < Pad: left of the window, in the row's first vector
  }
};

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
class Row_Pass {
  using T = typename Lanes::value_type;
  using U = typename Lanes::unsigned_type;
  using V = typename Lanes::vector;
  using UV = typename Lanes::unsigned_vector;
  using B = typename Lanes::bytes;
  static constexpr int W = Lanes::width;
  static constexpr bool Local = M == Method::LOCAL, Charged_Ends = M == Method::GLOBAL_WEIGHTED_ENDS,
                        Free_Ends = M == Method::GLOBAL_FREE_ENDS, Fast_Full = Full && !Exact;

 public:
  SEQUENCE_ALIGNMENT_INLINE Row_Pass(const Input& in, Padded_Rows<T>& rows, Output out) noexcept
      : in_(in),
        fr_(*in.frame),
        rows_(rows),
        out_(out),
        n_(std::size_t(fr_.len2)),
        k_(fr_, rows.pad),
        minus_infinity_(sizeof(T) == 2 ? bounds::minus_infinity_16(fr_.l) : T(bounds::minus_infinity_32)) {}

  SEQUENCE_ALIGNMENT_INLINE std::int64_t run() {
    // What the calls out of the pass take the address of stays out of the
    // pass's object, whose values then stay in registers.
    cells::Pass_Best<M, Full> best(out_.starts);
    std::int64_t local_best = best.local_start;  // local fill: positive scores only
    std::uint8_t pending = 0;                    // the high half of a byte whose low half is the next row's
    start_rows();
    for (std::int32_t i = fr_.last1; i >= fr_.first1; --i) {
      Row_State row{};
      start_row(i, row);
      // Each vector's chain-free part is computed before the vector to its
      // right is finished: two vectors' scans for the processor at once.
      Ahead current;
      ahead(current, rows_.columns - W, row.x_beyond, row);
      for (std::size_t at = rows_.columns - W; at > 0; at -= W) {
        Ahead next;
        ahead(next, at - W, current.x, row);
        finish(current, at, std::false_type(), row);
        current = next;
      }
      finish(current, 0, std::true_type(), row);
      if constexpr (Fast_Full) long_gaps(row);
      if constexpr (Full) cells::pack_row(flags_, row.base, n_, rows_.moves + rows_.pad, pending);
      if constexpr (Full && Local) local_starts(row, local_best);
      if constexpr (Free_Ends) end_of_row(row, best);
      std::swap(below_, above_);
      if constexpr (Exact) std::swap(y_below_, y_above_);
    }
    return end_of_pass(best, local_best);
  }

 private:
  // The running state of a row, carried from each vector to the one on its
  // left.
  struct Row_State {
    std::int32_t i;
    std::size_t base;  // the cell number of (I, First2)
    const T* profile;  // the pair scores of Codes_1(I)
    V x_beyond;        // X beyond the last column
    V f_carry;         // F of the column right of the vector, every lane
    UV open_carry;     // where the gap of the column right of the vector opens, every lane
    UV column;         // the column of each lane of the next vector to start
    UV long_gaps;      // fast fill: some cell with both gap moves and a gap longer than a byte
    V row_best;        // local fill: the row's best
    bool keep_x;       // free ends: row First1, whose X starts paths after a free leading gap
  };

  // A vector's values up to the horizontal chain, which need no carry from
  // the vector to the right (its X only).
  struct Ahead {
    V v, d, x;
    V scan;              // max over t' >= t of C(t')
    UV column;           // the column of each lane
    UV record;           // fast fill: the last column of that maximum
    UV vertical_length;  // fast fill
  };

  // A vector's cells after the chain.
  struct Chain {
    V f, h;
    UV horizontal_length;  // fast fill
  };

  // The bytes of a vector's cells for the planes (fast fill: P, Q) or the
  // gap states (exact fill: first only).
  struct Cell_Bytes {
    std::uint8_t first[W], second[W];
  };

  // The boundary beyond the last row: the row below the first one computed.
  SEQUENCE_ALIGNMENT_INLINE void start_rows() noexcept {
    const std::size_t pad = rows_.pad;
    for (std::size_t jj = 0; jj < n_; ++jj) {
      const T boundary = T(rows::below_boundary<M>(fr_, std::int32_t(jj)));
      below_[pad + jj] = boundary;
      if constexpr (Exact) y_below_[pad + jj] = boundary;
      rows_.e[pad + jj] = Charged_Ends ? boundary : minus_infinity_;
    }
    below_[rows_.columns] = 0;
    if constexpr (Full) out_.starts->list.reserve(std::size_t(fr_.len1) + n_ + 1);
  }

  SEQUENCE_ALIGNMENT_INLINE void start_row(std::int32_t i, Row_State& row) noexcept {
    row.i = i;
    row.base = std::size_t(i - fr_.first1) * n_;
    row.profile = rows_.profile_of(in_.codes_1[i - fr_.first1]);
    const T right = T(rows::right_boundary<M>(fr_, i));
    above_[rows_.columns] = right;
    simd::fill(row.x_beyond, right);
    simd::fill(row.f_carry, Charged_Ends ? right : minus_infinity_);
    simd::fill(row.open_carry, n_ - 1);
    simd::fill(row.column, std::int64_t(rows_.columns) - W - std::int64_t(rows_.pad));
    row.column += k_.lane;
    row.row_best = k_.lowest;
    row.long_gaps = UV{};
    row.keep_x = Exact && Free_Ends && i == fr_.first1;
  }

  // Ahead: the steps of the vector at At that need only X of the vector to
  // its right (lane 0 of X_Right: its first column). Called once a vector,
  // right to left: it advances the row's running column.
  SEQUENCE_ALIGNMENT_INLINE void ahead(Ahead& a, std::size_t at, const V& x_right, Row_State& row) const noexcept {
    vertical_and_pair(a, at, row.profile);
    chain_scan(a, x_right, row.column);
  }

  // E, the vertical gap (and its length), D, the pair, and X = max(D, E).
  SEQUENCE_ALIGNMENT_INLINE void vertical_and_pair(Ahead& a, std::size_t at, const T* profile) const noexcept {
    V h_below, h_pair, matrix_score, e_old;
    simd::load(h_below, below_ + at);
    simd::load(h_pair, below_ + at + 1);
    simd::load(matrix_score, profile + at);
    simd::load(e_old, rows_.e + at);
    V open_from = h_below;
    if constexpr (Exact) simd::load(open_from, y_below_ + at);
    const V extend = e_old + k_.L, open = open_from + k_.GL;
    a.v = extend > open ? extend : open;
    a.d = h_pair + matrix_score;
    a.x = a.d > a.v ? a.d : a.v;
    if constexpr (Local) a.x = a.x > k_.zero ? a.x : k_.zero;
    if constexpr (Fast_Full) {
      UV length;
      simd::load(length, rows_.e_length + at);
      a.vertical_length = (extend < open) ? k_.one : length + k_.one;
    }
  }

  // The suffix maximum S of C = A + (t + 1) L across the vector (A: X of
  // the column to the right, plus G), and for the fast fill the last
  // column of each maximum.
  SEQUENCE_ALIGNMENT_INLINE void chain_scan(Ahead& a, const V& x_right, UV& column) const noexcept {
    V c;
    from_right<1>(c, a.x, x_right);
    c += k_.G + k_.step_next;
    a.scan = c;
    if constexpr (Fast_Full) {
      // Without the carry, the gap of a cell opens at the last column of
      // the maximum of C at or after it (a tie extends); the carry wins
      // only where it is at least that maximum.
      a.column = column;
      column -= k_.width_step;  // a running vector: the compiler would build column + t lane by lane
      a.record = a.column;
      simd::suffix_max_at(a.scan, a.record, k_.lowest, k_.none);
    } else {
      simd::suffix_max(a.scan, k_.lowest);
    }
  }

  // The rest of the vector at At, once the vector to its right is done.
  // Edge: the row's first vector, whose lanes left of the window stay 0.
  template <bool Edge>
  SEQUENCE_ALIGNMENT_INLINE void finish(const Ahead& a, std::size_t at, std::bool_constant<Edge>,
                                        Row_State& row) noexcept {
    Chain chain;
    horizontal_chain(a, row, chain);
    V x_moves, moves;
    cell_moves(a, chain, x_moves, moves);
    V y_value{};  // exact only
    if constexpr (Exact) y_of(a, chain, y_value);
    Cell_Bytes bytes;
    if constexpr (Full) cell_bytes<Edge>(a, chain, x_moves, moves, y_value, at, row, bytes);
    store_row<Edge>(a, chain, y_value, at, row);
    if constexpr (Full) write_cells<Edge>(bytes, at, row);
    first_lane(row.f_carry, chain.f);  // the carry for the vector to the left, last: one vector less live
  }

  // F and H with the carry from the vector to the right (F becomes the
  // carry of the vector to the left once the vector is done); for the fast
  // fill where each gap opens.
  SEQUENCE_ALIGNMENT_INLINE void horizontal_chain(const Ahead& a, Row_State& row, Chain& chain) const noexcept {
    const V carried = row.f_carry + k_.width_L;
    chain.f = ((a.scan > carried) ? a.scan : carried) - k_.step;
    chain.h = chain.f > a.x ? chain.f : a.x;
    if constexpr (Fast_Full) {
      const UV opens_at = (a.scan > carried) ? a.record : row.open_carry;
      chain.horizontal_length = opens_at - a.column + k_.one;
      first_lane(row.open_carry, opens_at);
    }
  }

  // The moves that reach X, and those that reach H (the cell's flags).
  SEQUENCE_ALIGNMENT_INLINE void cell_moves(const Ahead& a, const Chain& chain, V& x_moves, V& moves) const noexcept {
    const V &f = chain.f, &x = a.x;
    x_moves = ((a.d == x) & cells::align_bit) | ((a.v == x) & cells::insert_2_bit);
    if constexpr (Local) x_moves |= (x == k_.zero) & cells::stop_bit;
    // Comparisons stand in the conditions themselves: a mask kept in a
    // vector and tested later is expanded lane by lane with AVX-512.
    moves = ((f > x) ? k_.zero : x_moves) | ((f >= x) & cells::insert_1_bit);
  }

  // Exact: Y = max(D, F, and 0 when local), from which a vertical gap opens.
  SEQUENCE_ALIGNMENT_INLINE void y_of(const Ahead& a, const Chain& chain, V& y) const noexcept {
    y = a.d > chain.f ? a.d : chain.f;
    if constexpr (Local) y = y > k_.zero ? y : k_.zero;
  }

  // The cells' bytes: their moves, and those of the two planes (fast fill)
  // or of the gap states (exact fill); the fast fill's gap lengths.
  template <bool Edge>
  SEQUENCE_ALIGNMENT_INLINE void cell_bytes(const Ahead& a, const Chain& chain, const V& x_moves, const V& moves,
                                            const V& y_value, std::size_t at, Row_State& row,
                                            Cell_Bytes& bytes) noexcept {
    if constexpr (Fast_Full) {
      const UV &horizontal_length = chain.horizontal_length, &vertical_length = a.vertical_length;
      const V gap_moves = moves & cells::gap_bits;
      const UV p = (gap_moves == cells::insert_2_bit) ? vertical_length >> 8 : horizontal_length;
      const UV q = ((moves & cells::insert_2_bit) != 0) ? vertical_length : horizontal_length >> 8;
      B p_bytes, q_bytes;
      simd::to_bytes(p_bytes, p);
      simd::to_bytes(q_bytes, q);
      std::memcpy(bytes.first, &p_bytes, W);
      std::memcpy(bytes.second, &q_bytes, W);
      row.long_gaps |=
          (gap_moves == cells::gap_bits) ? (horizontal_length | vertical_length) & k_.high_byte : UV{};
      simd::store(rows_.h_length + at, horizontal_length);
      if constexpr (Edge) {
        simd::store(rows_.e_length + at, (k_.lane >= k_.pad_lanes) ? vertical_length : UV{});
      } else {
        simd::store(rows_.e_length + at, vertical_length);
      }
    } else {
      const V &f = chain.f, &x = a.x;
      V y_moves = ((a.d == y_value) & cells::align_bit) | ((f == y_value) & cells::insert_1_bit);
      if constexpr (Local) y_moves |= (y_value == k_.zero) & cells::stop_bit;
      V state = moves == cells::insert_1_bit ? x_moves : moves == cells::insert_2_bit ? y_moves : k_.zero;
      state |= ((f >= x + k_.G) & cells::horizontal_goes_on) | ((a.v >= y_value + k_.G) & cells::vertical_goes_on);
      B state_bytes;
      simd::to_bytes(state_bytes, state);
      std::memcpy(bytes.first, &state_bytes, W);
    }
    B move_bytes;
    simd::to_bytes(move_bytes, moves);
    simd::store(rows_.moves + at, move_bytes);
  }

  // The bytes into the cells; the first vector of a row writes only the
  // window's.
  template <bool Edge>
  SEQUENCE_ALIGNMENT_INLINE void write_cells(const Cell_Bytes& bytes, std::size_t at, const Row_State& row) noexcept {
    const std::size_t skip = Edge ? rows_.pad : 0;
    const std::size_t k = row.base + at + skip - rows_.pad;
    if constexpr (Exact) {
      std::memcpy(gap_states_ + k, bytes.first + skip, std::size_t(W) - skip);
    } else {
      std::memcpy(plane_h_ + k, bytes.first + skip, std::size_t(W) - skip);
      std::memcpy(plane_v_ + k, bytes.second + skip, std::size_t(W) - skip);
    }
  }

  // The row's values, which the row above reads; the lanes left of the
  // window stay 0. Local: the best so far.
  template <bool Edge>
  SEQUENCE_ALIGNMENT_INLINE void store_row(const Ahead& a, const Chain& chain, const V& y_value, std::size_t at,
                                           Row_State& row) noexcept {
    if constexpr (Edge) {
      simd::store(above_ + at, (k_.lane >= k_.pad_lanes) ? chain.h : k_.zero);
      simd::store(rows_.e + at, (k_.lane >= k_.pad_lanes) ? a.v : k_.zero);
      if constexpr (Exact) simd::store(y_above_ + at, (k_.lane >= k_.pad_lanes) ? y_value : k_.zero);
    } else {
      simd::store(above_ + at, chain.h);
      simd::store(rows_.e + at, a.v);
      if constexpr (Exact) simd::store(y_above_ + at, y_value);
    }
    if constexpr (Exact && Free_Ends) {
      if (row.keep_x) simd::store(rows_.x + at, a.x);
    }
    if constexpr (Local) {
      V h_window = chain.h;
      if constexpr (Edge) h_window = (k_.lane >= k_.pad_lanes) ? chain.h : k_.lowest;
      V& best_so_far = Full ? row.row_best : pass_best_;
      best_so_far = h_window > best_so_far ? h_window : best_so_far;
    }
  }

  // The cells of the row with both gap moves and a gap longer than a byte,
  // by the rule every fill of planes shares. Such cells are few, but many
  // rows of a global call have one.
  SEQUENCE_ALIGNMENT_INLINE void long_gaps(const Row_State& row) {
    if (!simd::any(row.long_gaps)) [[likely]] return;
    std::uint8_t* const moves = rows_.moves;
    const U* const h_length = rows_.h_length;
    const U* const e_length = rows_.e_length;
    const std::size_t pad = rows_.pad, base = row.base;
    const std::int32_t i = row.i, first2 = fr_.first2;
    cells::Cells& cells = *out_.cells;
    const auto test = [&](UV& found, std::size_t k) __attribute__((always_inline)) {
      B cell_moves;
      UV horizontal_length, vertical_length;
      simd::load(cell_moves, moves + k);
      simd::load(horizontal_length, h_length + k);
      simd::load(vertical_length, e_length + k);
      const UV gap_moves = __builtin_convertvector(cell_moves, UV) & cells::gap_bits;
      found = (gap_moves == cells::gap_bits) ? (horizontal_length | vertical_length) & k_.high_byte : UV{};
    };
    each_marked<W, UV>(rows_.columns, pad, test, [&](std::size_t p) {
      if ((moves[p] & cells::gap_bits) == cells::gap_bits && (h_length[p] | e_length[p]) > 255) {
        const std::size_t jj = p - pad;
        cells::both_gaps(cells, i, std::int32_t(jj) + first2, base + jj, h_length[p], e_length[p], moves + pad);
      }
    });
  }

  // Start cells in discovery order, from the end of the row: a cell at
  // least the best so far joins the list, one above it restarts it. What
  // stays of a row is every cell of the row's best, when that is at least
  // the best so far.
  SEQUENCE_ALIGNMENT_INLINE void local_starts(const Row_State& row, std::int64_t& local_best) {
    const std::int64_t row_top = simd::largest(row.row_best);
    if (row_top < local_best) return;
    std::vector<Cell_Position>& list = out_.starts->list;
    if (row_top > local_best) {
      local_best = row_top;
      list.clear();
    }
    V top;
    simd::fill(top, row_top);
    const T* const above = above_;
    const std::size_t pad = rows_.pad;
    const std::int32_t i = row.i, first2 = fr_.first2;
    const auto test = [&](V& found, std::size_t k) __attribute__((always_inline)) {
      V h;
      simd::load(h, above + k);
      found = h == top;
    };
    each_marked<W, V>(rows_.columns, pad, test, [&](std::size_t p) {
      if (above[p] == row_top) list.push_back({i, std::int32_t(p - pad) + first2});
    });
  }

  // Free ends: the row's first cell, which a path starting with a free
  // leading gap over Codes_1(First1..i-1) starts from. Exact: such a gap
  // goes on from Y; at (First1, First2) the pair is the only move.
  SEQUENCE_ALIGNMENT_INLINE void end_of_row(const Row_State& row, cells::Pass_Best<M, Full>& best) const {
    const std::size_t pad = rows_.pad;
    std::int64_t start = above_[pad];
    if constexpr (Exact) {
      start = row.i > fr_.first1 ? std::int64_t(y_above_[pad]) : std::int64_t(below_[pad + 1]) + row.profile[pad];
    }
    best.first_column(start, row.i, fr_);
  }

  // The last row computed is now Below. Free ends: a free leading gap over
  // Codes_2(First2..j-1) goes on from X; beyond the last column nothing is
  // aligned.
  SEQUENCE_ALIGNMENT_INLINE std::int64_t end_of_pass(cells::Pass_Best<M, Full>& best, std::int64_t local_best) const {
    const std::size_t pad = rows_.pad, n = n_;
    const T* const below = below_;
    const T* const x = rows_.x;
    std::int64_t found = below[pad];
    if constexpr (Local) found = Full ? local_best : std::max<std::int64_t>(0, simd::largest(pass_best_));
    return best.finish(fr_, found, [&](std::size_t jj) {
      return Exact && jj < n ? std::int64_t(x[pad + jj]) : std::int64_t(below[pad + jj]);
    });
  }

  const Input& in_;
  const Frame& fr_;
  Padded_Rows<T>& rows_;
  Output out_;
  const std::size_t n_;
  const Lane_Constants<Lanes> k_;
  const T minus_infinity_;
  // The rows below and being computed, which change places after each row.
  T* below_ = rows_.below;
  T* above_ = rows_.above;
  T* y_below_ = rows_.y_below;
  T* y_above_ = rows_.y_above;
  // The cells' storage.
  std::uint8_t* const flags_ = Full ? out_.cells->flag_bytes() : nullptr;
  std::uint8_t* const plane_h_ = Fast_Full ? out_.cells->plane_h() : nullptr;
  std::uint8_t* const plane_v_ = Fast_Full ? out_.cells->plane_v() : nullptr;
  std::uint8_t* const gap_states_ = Full && Exact ? out_.cells->gap_states() : nullptr;
  V pass_best_ = k_.lowest;  // local score only: the best so far
};

// One pass, all of it, for one vector, method, fill and output.
template <class Lanes, Method M, bool Exact, bool Full>
SEQUENCE_ALIGNMENT_INLINE std::int64_t variant(const Input& in, Output out) {
  Padded_Rows<typename Lanes::value_type> rows(in, Lanes::width, Exact, Full);
  return Row_Pass<Lanes, M, Exact, Full>(in, rows, out).run();
}

// Each instruction set's variants, compiled for it.
template <class Lanes, Method M, bool Exact, bool Full>
__attribute__((noinline)) std::int64_t generic_variant(const Input& in, Output out) {
  return variant<Lanes, M, Exact, Full>(in, out);
}
#if SEQUENCE_ALIGNMENT_X86()
template <class Lanes, Method M, bool Exact, bool Full>
__attribute__((target("avx2"), noinline)) std::int64_t avx2_variant(const Input& in, Output out) {
  return variant<Lanes, M, Exact, Full>(in, out);
}
template <class Lanes, Method M, bool Exact, bool Full>
__attribute__((target("avx512bw"), noinline)) std::int64_t avx512_variant(const Input& in, Output out) {
  return variant<Lanes, M, Exact, Full>(in, out);
}
#endif

// The variant of the pass, the frame's method and gap weights, and the
// output. A vector pass that the processor runs only: any other would be
// taken for another, or stop the program.
std::int64_t run_variant(const Input& in, Output out, choice::Pass pass) {
  if (pass.width == choice::Lane_Width::SCALAR || !choice::runs(pass.set)) {
    platform::raise(standard::CONSTRAINT_ERROR, "vector pass not available on this processor");
  }
  return choice::by_vector_pass(pass, [&](auto set, auto width) {
    using T = std::conditional_t<width == choice::Lane_Width::BITS_16, std::int16_t, std::int32_t>;
    using Lanes = simd::Lanes<choice::vector_bytes<set>, T>;
    return by_method_and_gaps(in.frame->method, in.frame->exact(), [&](auto method, auto exact) {
      const auto variant_of = [&](auto full) {
#if SEQUENCE_ALIGNMENT_X86()
        if constexpr (set == choice::Instruction_Set::AVX512BW) {
          return avx512_variant<Lanes, method, exact, full>(in, out);
        }
        if constexpr (set == choice::Instruction_Set::AVX2) return avx2_variant<Lanes, method, exact, full>(in, out);
#endif
        return generic_variant<Lanes, method, exact, full>(in, out);
      };
      return out.cells ? variant_of(std::true_type()) : variant_of(std::false_type());
    });
  });
}

}  // namespace

void fill(const Input& input, cells::Cells& cells, cells::Start_Cells& starts, choice::Pass pass) {
  run_variant(input, Output{&cells, &starts}, pass);
}

std::int64_t quality(const Input& input, choice::Pass pass) {
  return run_variant(input, Output{nullptr, nullptr}, pass);
}

}  // namespace sequence_alignment::kernel::column_lanes
