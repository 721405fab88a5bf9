// The dynamic-programming kernel shared by the local and the global
// aligner, as a template over the residue alphabet, and the driver that
// both run. Included only by sequence_alignment-local.cpp and
// sequence_alignment-global.cpp, which instantiate them; the two methods
// differ in a few marked branches.
//
// One backward pass fills, per cell, 4 bits of co-optimal moves (two cells
// a byte) and one byte in each of two gap-length planes: 2.5 bytes a cell.
// Scores are kept for one row, updated in place, beside the row of vertical
// gaps. They are computed in 32 bits when a bound on the weights proves it
// exact and in 64 bits otherwise, so no weight or matrix value can overflow
// them; the final score must fit 32 bits.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <type_traits>
#include <string>
#include <unordered_map>
#include <vector>

#include "alignment_random.h"
#include "alignment_results.h"
#include "platform/exceptions.h"
#include "platform/text_io.h"
#include "sequence_alignment-utils.h"
#include "sequence_alignment.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"

namespace sequence_alignment::kernel {

using utils::Cell_Position;
using utils::Code_Window;
using utils::Path;
using utils::Path_Step;
using utils::Step_Kind;

template <class Code, int Size, char (*Letter)(Code)>
struct Alphabet {
  using code_type = Code;
  static constexpr int size = Size;
  using matrix_type = std::array<std::array<std::int32_t, Size>, Size>;
  static char letter(Code code) { return Letter(code); }
};

// The windows and the settings of one call.
template <class A>
struct Problem {
  Code_Window<typename A::code_type> codes_1;
  Code_Window<typename A::code_type> codes_2;
  const typename A::matrix_type* matrix;
  std::int32_t gap_weight;
  std::int32_t gap_length_weight;
  bool global;
  bool end_weight;  // global only
};

struct Path_Settings {
  std::int32_t match_weight;
  std::int32_t mismatch_weight;
  Backward_Mode backward;
  Building_Mode building;
  Optimize_Mode optimize;
  std::int32_t similarity_threshold;
};

// Where the consistency checks of one instance raise.
struct Instance {
  const platform::Exception_Id* internal_error;
  const char* unit;          // "sequence_alignment-local"
  int instantiated_at;       // line of the instantiation in that unit
};

// The planes hold 16-bit gap lengths.
inline constexpr std::int32_t max_window = 65535;

namespace detail {

// Far below any score, yet safe to add a weight to.
inline constexpr std::int64_t minus_infinity = std::numeric_limits<std::int64_t>::min() / 4;

inline constexpr std::uint8_t stop_bit = 1, align_bit = 2, insert_1_bit = 4, insert_2_bit = 8;

[[noreturn]] inline void internal_error(const Instance& instance, int line, const char* printed) {
  if (printed) platform::standard_output().put_line(printed);
  platform::raise(*instance.internal_error, platform::place(instance.unit, line) + " instantiated at " +
                                                 platform::place(instance.unit, instance.instantiated_at));
}

inline std::int32_t to_score(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    platform::raise(standard::CONSTRAINT_ERROR, "alignment score beyond the 32-bit range");
  }
  return std::int32_t(value);
}

// The flags and the two length planes of every cell, in one block. A large
// block is mapped on its own with transparent huge pages advised: a fresh
// block per call then costs a few page faults instead of thousands.
class Cell_Storage {
 public:
  Cell_Storage() = default;
  Cell_Storage(const Cell_Storage&) = delete;
  Cell_Storage& operator=(const Cell_Storage&) = delete;
  ~Cell_Storage() { release(); }

  std::uint8_t* allocate(std::size_t bytes) {
    release();
    if (bytes >= mapped_from) {
      void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (block == MAP_FAILED) platform::raise(standard::STORAGE_ERROR, "alignment matrices");
      ::madvise(block, bytes, MADV_HUGEPAGE);  // advice only: failing it changes nothing
      data_ = static_cast<std::uint8_t*>(block);
      mapped_ = bytes;
    } else {
      data_ = new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes];
      if (!data_) platform::raise(standard::STORAGE_ERROR, "alignment matrices");
    }
    return data_;
  }

  void release() noexcept {
    if (mapped_ != 0) {
      ::munmap(data_, mapped_);
    } else {
      delete[] data_;
    }
    data_ = nullptr;
    mapped_ = 0;
  }

 private:
  static constexpr std::size_t mapped_from = std::size_t(4) << 20;
  std::uint8_t* data_ = nullptr;
  std::size_t mapped_ = 0;
};

// Every score of a pass is that of an alignment of at most Len1 + Len2
// columns (or a gap or two beside one), so this bound keeps 32-bit
// arithmetic exact; beyond it a pass runs in 64 bits.
template <class Matrix>
bool scores_fit_32_bits(const Matrix& matrix, std::int32_t len1, std::int32_t len2, std::int32_t g,
                        std::int32_t l) noexcept {
  std::int64_t largest = 0;
  for (const auto& row : matrix) {
    for (std::int32_t v : row) largest = std::max<std::int64_t>(largest, v < 0 ? -std::int64_t(v) : v);
  }
  const std::int64_t gap = g < 0 ? -std::int64_t(g) : g, length = l < 0 ? -std::int64_t(l) : l;
  const std::int64_t bound = (std::int64_t(len1) + len2 + 2) * (largest + gap + length) + gap + length;
  return bound < (std::int64_t(1) << 29);
}

inline constexpr std::int32_t minus_infinity_32 = -(std::int32_t(1) << 30);

}  // namespace detail

// Whether some gap of k residues, G + k L, costs nothing or adds to the
// score; the fast passes assume that none does.
constexpr bool exact_gaps(std::int32_t g, std::int32_t l) noexcept {
  return !(g <= 0 && l <= 0 && std::int64_t(g) + l < 0);
}

namespace detail {

inline std::uint64_t hash_steps(const Path_Step* steps, std::int32_t n) noexcept {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ std::uint64_t(n);
  for (std::int32_t k = 0; k < n; ++k) {
    const std::uint64_t a = std::uint64_t(std::uint32_t(steps[k].Column)) << 32 |
                            std::uint64_t(steps[k].Spare) << 8 | std::uint64_t(steps[k].Move);
    const std::uint64_t b = std::uint64_t(std::uint32_t(steps[k].I)) << 32 | std::uint32_t(steps[k].J);
    h = (h ^ a) * 0xFF51AFD7ED558CCDull;
    h = (h ^ b) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
  }
  return h;
}

// Two step arrays of N steps each.
inline bool same_steps(const Path_Step* steps, const Path_Step* q, std::int32_t n) noexcept {
  for (std::int32_t k = 0; k < n; ++k) {
    if (steps[k].Column != q[k].Column || steps[k].Spare != q[k].Spare || steps[k].Move != q[k].Move ||
        steps[k].I != q[k].I || steps[k].J != q[k].J) {
      return false;
    }
  }
  return true;
}

}  // namespace detail

// The scoring recurrences, written once for both passes. Scores run
// backwards: H(i, j) is the best score of what starts at (i, j) and runs
// towards the ends of the windows.
template <class A>
class Kernel {
  using Code = typename A::code_type;

 public:
  explicit Kernel(const Problem<A>& problem)
      : p_(problem),
        first1_(problem.codes_1.first),
        last1_(problem.codes_1.last),
        first2_(problem.codes_2.first),
        last2_(problem.codes_2.last),
        len1_(std::max(0, problem.codes_1.length())),
        len2_(std::max(0, problem.codes_2.length())),
        g_(problem.gap_weight),
        l_(problem.gap_length_weight) {}

  // ---------------------------------------------------------------- score only

  // The best score, as the full pass finds it, without flags or planes.
  std::int64_t quality() {
    if (len1_ == 0 || len2_ == 0) return 0;
    if (scores_fit_32_bits()) return dispatch_quality<std::int32_t>();
    return dispatch_quality<std::int64_t>();
  }

  // True when some gap costs nothing or adds to the score. The fast passes
  // rely on every gap costing something: a gap then never ends where its
  // own direction is the best move, and a free leading gap is never worth
  // continuing in its own direction. Otherwise the exact pass keeps, per
  // cell, what the traceback needs to honour the rule that a maximal run of
  // gap steps in one direction is one gap.
  bool exact() const noexcept { return exact_gaps(g_, l_); }

  // ---------------------------------------------------------------- full kernel

  alignment_results::Alignment_Array_Access run(const Path_Settings& settings,
                                                const Instance& instance) {
    if (len1_ > max_window || len2_ > max_window) {
      platform::raise(standard::STORAGE_ERROR, "alignment windows are limited to 65535 residues");
    }
    instance_ = &instance;
    settings_ = &settings;
    if (len1_ == 0 || len2_ == 0) return std::make_unique<alignment_results::Alignment_Array>(1, 0);

    cells_ = std::size_t(len1_) * std::size_t(len2_);
    starts_.reserve(std::size_t(len1_) + std::size_t(len2_) + 1);
    if (exact()) {
      // Flags and one byte of gap states a cell; the flags are or-ed in.
      flags_ = storage_.allocate((cells_ + 1) / 2 + cells_);
      std::memset(flags_, 0, (cells_ + 1) / 2);
      gap_states_ = flags_ + (cells_ + 1) / 2;
    } else {
      flags_ = storage_.allocate((cells_ + 1) / 2 + 2 * cells_);
      plane_h_ = flags_ + (cells_ + 1) / 2;
      plane_v_ = plane_h_ + cells_;
    }
    if (scores_fit_32_bits()) {
      dispatch_full<std::int32_t>();
    } else {
      dispatch_full<std::int64_t>();
    }
    build_paths();
    return results();
  }

 private:
  // ---------------------------------------------------------------- storage

  std::size_t cell(std::int32_t i, std::int32_t j) const noexcept {
    return std::size_t(i - first1_) * std::size_t(len2_) + std::size_t(j - first2_);
  }
  std::uint8_t flags_at(std::size_t k) const noexcept { return (flags_[k >> 1] >> ((k & 1) * 4)) & 15; }

  bool scores_fit_32_bits() const noexcept {
    return detail::scores_fit_32_bits(*p_.matrix, len1_, len2_, g_, l_);
  }

  template <class S>
  void dispatch_full() {
    if (exact()) {
      if (!p_.global) {
        exact_pass<S, false, false, true>();
      } else if (p_.end_weight) {
        exact_pass<S, true, true, true>();
      } else {
        exact_pass<S, true, false, true>();
      }
    } else if (!p_.global) {
      full_pass<S, false, false>();
    } else if (p_.end_weight) {
      full_pass<S, true, true>();
    } else {
      full_pass<S, true, false>();
    }
  }
  template <class S>
  std::int64_t dispatch_quality() {
    if (exact()) {
      if (!p_.global) return exact_pass<S, false, false, false>();
      return p_.end_weight ? exact_pass<S, true, true, false>() : exact_pass<S, true, false, false>();
    }
    if (!p_.global) return quality_pass<S, false, false>();
    return p_.end_weight ? quality_pass<S, true, true>() : quality_pass<S, true, false>();
  }

  // Far below any score, yet safe to add a weight to.
  template <class S>
  static constexpr S minus_infinity() noexcept {
    return std::is_same_v<S, std::int32_t> ? S(detail::minus_infinity_32) : S(detail::minus_infinity);
  }

  // ---------------------------------------------------------------- boundaries

  // H beyond the last row, at column index jj (j - First2), and beyond the
  // last column in row i. Weighted global ends charge the end gap there.
  template <bool Global, bool Weighted>
  std::int64_t below_boundary(std::int32_t jj) const noexcept {
    if constexpr (Global && Weighted) return std::int64_t(g_) + std::int64_t(l_) * (len2_ - jj);
    return 0;
  }
  template <bool Global, bool Weighted>
  std::int64_t right_boundary(std::int32_t i) const noexcept {
    if constexpr (Global && Weighted) return std::int64_t(g_) + std::int64_t(l_) * (last1_ - i + 1);
    return 0;
  }
  // The gap scores a row or a column starts from. Where the boundary is
  // charged, a gap that runs into it extends the end gap; elsewhere the
  // first cell opens a gap of length 1.
  template <class S, bool Global, bool Weighted>
  S initial_vertical(std::int32_t jj) const noexcept {
    if constexpr (Global && Weighted) return S(below_boundary<Global, Weighted>(jj));
    return minus_infinity<S>();
  }
  template <class S, bool Global, bool Weighted>
  S initial_horizontal(std::int32_t i) const noexcept {
    if constexpr (Global && Weighted) return S(right_boundary<Global, Weighted>(i));
    return minus_infinity<S>();
  }

  // ---------------------------------------------------------------- rows

  // The working rows of one pass. H holds, before a row is computed, the
  // row below it, and afterwards the row itself; index len2 is the column
  // beyond the window.
  template <class S>
  struct Rows {
    std::vector<S> h, e, x;
    std::vector<std::uint32_t> e_length;
    std::vector<std::int32_t> profile;  // Matrix(code, Codes_2(j)) for every code, row by row

    Rows(const Kernel& k, bool full) {
      const std::size_t n = std::size_t(k.len2_);
      h.resize(n + 1);
      e.resize(n);
      x.resize(std::min(n, block_columns));
      if (full) e_length.resize(n);
      profile.resize(std::size_t(A::size) * n);
      for (int code = 0; code < A::size; ++code) {
        const auto& scores = (*k.p_.matrix)[std::size_t(code)];
        std::int32_t* out = profile.data() + std::size_t(code) * n;
        for (std::size_t jj = 0; jj < n; ++jj) out[jj] = scores[std::size_t(k.p_.codes_2.codes[jj])];
      }
    }
    const std::int32_t* profile_of(Code code, std::size_t n) const noexcept {
      return profile.data() + std::size_t(code) * n;
    }
  };

  template <class S, bool Global, bool Weighted>
  void start_rows(Rows<S>& rows) const {
    for (std::int32_t jj = 0; jj < len2_; ++jj) {
      rows.h[std::size_t(jj)] = S(below_boundary<Global, Weighted>(jj));
      rows.e[std::size_t(jj)] = initial_vertical<S, Global, Weighted>(jj);
      if (!rows.e_length.empty()) rows.e_length[std::size_t(jj)] = 0;
    }
    rows.h[std::size_t(len2_)] = 0;
  }

  // The vertical gap and the pair of every cell of a row depend only on the
  // row below, so they are computed for a whole block at once; X is the
  // best of them (and of 0 for a local cell), and its flags (Full) say
  // which of them reach X.
  template <class S, bool Global, bool Full>
  static void vertical_and_pairs(std::size_t n, const S* __restrict below, S* __restrict e,
                                 std::uint32_t* __restrict e_length, const std::int32_t* __restrict profile,
                                 S* __restrict x, std::uint8_t* __restrict x_flags, S L, S GL) noexcept {
    for (std::size_t jj = 0; jj < n; ++jj) {
      const S extend = S(e[jj] + L), open = S(below[jj] + GL);
      const S v = std::max(extend, open);
      const S d = S(below[jj + 1] + profile[jj]);
      e[jj] = v;
      S best = std::max(v, d);
      if constexpr (!Global) best = std::max(best, S(0));
      x[jj] = best;
      if constexpr (Full) {
        const std::uint32_t opens = extend < open;
        e_length[jj] = ((e_length[jj] + 1) & (opens - 1)) | opens;
        std::uint32_t fl = std::uint32_t(d == best) << 1 | std::uint32_t(v == best) << 3;
        if constexpr (!Global) fl |= std::uint32_t(best == 0);
        x_flags[jj] = std::uint8_t(fl);
      }
    }
  }

  // Bytes of flags from pairs of cells, the even cell (low half) first.
  static void pack_pairs(std::uint8_t* __restrict out, const std::uint8_t* __restrict cells,
                         std::size_t pairs) noexcept {
    for (std::size_t b = 0; b < pairs; ++b) out[b] = std::uint8_t(cells[2 * b] | cells[2 * b + 1] << 4);
  }

  static constexpr std::size_t block_columns = 512;

  // Flags and gap lengths of a row, each cell on its own. One gap move:
  // its 16-bit length, low byte in its own plane; both: one byte each, or
  // (the result says whether any cell needs them) the long-gap rules.
  // F_Len comes as the column index (First for the first cell) where each
  // horizontal gap opens and leaves as the gap's length.
  template <class S>
  static std::uint32_t flags_and_planes(std::uint32_t n, std::uint32_t first, const S* __restrict x,
                                        const S* __restrict f, std::uint32_t* __restrict f_len,
                                        const std::uint32_t* __restrict e_len, std::uint8_t* __restrict fl,
                                        std::uint8_t* __restrict ph, std::uint8_t* __restrict pv,
                                        S* __restrict h) noexcept {
    std::uint32_t long_pair = 0;
    for (std::uint32_t jj = 0; jj < n; ++jj) {
      const std::uint32_t hl = f_len[jj] - (first + jj) + 1;
      f_len[jj] = hl;
      h[jj] = std::max(f[jj], x[jj]);
      // H = max(F, X): F above X leaves only the horizontal move, F equal
      // to X adds it to X's moves, F below X leaves X's.
      const std::uint32_t above = f[jj] > x[jj], equal = f[jj] == x[jj];
      const std::uint32_t h_bit = above | equal;
      const std::uint32_t moves = (std::uint32_t(fl[jj]) & (above - 1)) | h_bit << 2;
      fl[jj] = std::uint8_t(moves);
      const std::uint32_t v_bit = (moves >> 3) & 1;
      const std::uint32_t vl = e_len[jj];
      const std::uint32_t vertical_only = 0u - (v_bit & ~h_bit), vertical = 0u - v_bit;
      ph[jj] = std::uint8_t(hl ^ ((hl ^ (vl >> 8)) & vertical_only));
      pv[jj] = std::uint8_t((hl >> 8) ^ (((hl >> 8) ^ vl) & vertical));
      long_pair |= (v_bit & h_bit) & std::uint32_t((hl | vl) > 255);
    }
    return long_pair;
  }

  // ---------------------------------------------------------------- the score-only pass

  // The horizontal gap is the recurrence carried along a row: "open :=
  // X(i, j+1) + G + L, extend := F(i, j+1) + L, a tie extends" is F :=
  // max(F(i, j+1), X(i, j+1) + G) + L, opening when F(i, j+1) < X(i, j+1)
  // + G: the same values and lengths with a shorter chain from cell to
  // cell. (With G <= 0 opening from H(i, j+1) gives the same, as no gap
  // then ends where continuing it would score more.)
  template <class S, bool Global, bool Weighted>
  std::int64_t quality_pass() {
    Rows<S> rows(*this, false);
    start_rows<S, Global, Weighted>(rows);
    const std::size_t n = std::size_t(len2_);
    const S L = S(l_), G = S(g_), GL = S(std::int64_t(g_) + l_);
    const std::size_t block = std::min(n, block_columns);
    S* const h = rows.h.data();
    S* const e = rows.e.data();
    S* const x = rows.x.data();
    std::int64_t best = Global ? std::numeric_limits<std::int64_t>::min() : 0;
    S local_best = 0;
    for (std::int32_t i = last1_; i >= first1_; --i) {
      const std::int32_t* const profile = rows.profile_of(p_.codes_1(i), n);
      const S right = S(right_boundary<Global, Weighted>(i));
      S f = initial_horizontal<S, Global, Weighted>(i);
      S x_right = right;
      S below_end = h[n];
      h[n] = right;
      for (std::size_t hi = n; hi > 0;) {
        const std::size_t lo = hi > block ? hi - block : 0;
        const S new_end = h[hi];
        h[hi] = below_end;
        below_end = h[lo];
        vertical_and_pairs<S, Global, false>(hi - lo, h + lo, e + lo, nullptr, profile + lo, x, nullptr, L, GL);
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

  // ---------------------------------------------------------------- the full pass

  template <class S, bool Global, bool Weighted>
  void full_pass() {
    Rows<S> rows(*this, true);
    start_rows<S, Global, Weighted>(rows);
    const std::size_t n = std::size_t(len2_);
    const S L = S(l_), G = S(g_), GL = S(std::int64_t(g_) + l_);
    const std::size_t block = std::min(n, block_columns);
    std::vector<S> f_block(block);
    std::vector<std::uint32_t> f_length(block);
    std::vector<std::uint8_t> row_flags(n);
    std::vector<std::int32_t> row_js(n);
    S* const h = rows.h.data();
    S* const e = rows.e.data();
    std::uint32_t* const e_len = rows.e_length.data();
    S* const f_out = f_block.data();
    S* const x = rows.x.data();
    std::uint32_t* const f_len = f_length.data();
    std::uint8_t* const fl_out = row_flags.data();
    std::uint8_t* const flags = flags_;
    std::uint8_t pending = 0;  // the high half of a byte whose low half is the next row's

    // Local start cells: positive scores only; none means every cell.
    std::int64_t best = Global ? std::numeric_limits<std::int64_t>::min() : 1;
    S local_best = 1;

    for (std::int32_t i = last1_; i >= first1_; --i) {
      const std::size_t base = std::size_t(i - first1_) * n;
      std::uint8_t* const ph = plane_h_ + base;
      std::uint8_t* const pv = plane_v_ + base;
      const std::int32_t* const profile = rows.profile_of(p_.codes_1(i), n);
      const S right = S(right_boundary<Global, Weighted>(i));

      // The horizontal chain runs from the end of the row through blocks
      // of columns small enough to stay in the first-level cache. The gap
      // of a cell opens at the nearest cell at or after it that opens
      // (every cell when G > 0; the row's first cell always).
      S f = initial_horizontal<S, Global, Weighted>(i);
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
        vertical_and_pairs<S, Global, true>(width, h + lo, e + lo, e_len + lo, profile + lo, x, fl_out + lo, L, GL);
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
                starts_.clear();
                row_count = 0;
              }
              row_js[row_count++] = std::int32_t(jj) + first2_;
            }
          }
        }

        const std::uint32_t long_pair = flags_and_planes<S>(std::uint32_t(width), std::uint32_t(lo), x, f_out, f_len,
                                                            e_len + lo, fl_out + lo, ph + lo, pv + lo, h + lo);
        if (long_pair) [[unlikely]] {
          for (std::size_t jj = hi; jj-- > lo;) {
            if ((fl_out[jj] & 12) == 12 && (f_len[jj - lo] | e_len[jj]) > 255) {
              both_gaps(i, std::int32_t(jj) + first2_, base + jj, f_len[jj - lo], e_len[jj], fl_out);
            }
          }
        }
        hi = lo;
      }

      // Two cells a byte, the odd cell in the high half; a row may begin
      // or end in the middle of a byte.
      std::size_t rest = n;
      if (((base + n - 1) & 1) == 0) {
        flags[(base + n - 1) >> 1] = std::uint8_t(pending | fl_out[n - 1]);
        --rest;
      }
      const std::size_t odd = base & 1;  // cell 0 is a high half, alone in this row
      pack_pairs(flags + ((base + odd) >> 1), fl_out + odd, (rest - odd) / 2);
      if (odd) {
        pending = std::uint8_t(fl_out[0] << 4);
        flags[base >> 1] = pending;  // readable by the long-gap rules of the next row
      }

      if constexpr (!Global) {
        for (std::size_t r = 0; r < row_count; ++r) starts_.push_back({i, row_js[r]});
      } else {
        offer_start(h[0], i, first2_, best);
      }
    }

    if constexpr (Global && Weighted) {
      starts_.clear();
      starts_.push_back({first1_, first2_});
      best = h[0];
    } else if constexpr (Global) {
      for (std::size_t jj = 1; jj <= n; ++jj) offer_start(h[jj], first1_, std::int32_t(jj) + first2_, best);
    } else {
      best = local_best;
      if (starts_.empty()) {
        best = 0;
        every_cell_starts_ = true;
      }
    }
    quality_ = detail::to_score(best);
  }


  // ---------------------------------------------------------------- the exact pass

  // For gap weights under which some gap costs nothing or rewards. Per cell
  // it keeps, besides H, the values a gap reaching the cell may go on from:
  // X = max(D, E, 0 when local), from which a horizontal gap opens, and
  // Y = max(D, F, 0 when local), from which a vertical gap opens, so that a
  // gap never opens again right after a gap in its own direction:
  //
  //   E(i, j) = max(E(i+1, j) + L, Y(i+1, j) + G + L)   a tie extends
  //   F(i, j) = max(F(i, j+1) + L, X(i, j+1) + G + L)   a tie extends
  //   D(i, j) = H(i+1, j+1) + Matrix(Codes_1(i), Codes_2(j))
  //   H = max(X, F) = max(Y, E)
  //
  // The flags are the moves reaching H, as in the fast pass. When F alone
  // reaches H ("horizontal only", flags 4) or E alone (flags 8), the moves
  // reaching X, or Y, may differ from the flags, so the cell's gap-state
  // byte holds them:
  //
  //   bits 0-3   flags 4: the moves reaching X (stop 1, D 2, V 8)
  //              flags 8: the moves reaching Y (stop 1, D 2, H 4)
  //              otherwise 0 (X = Y = H: the flags less the gap's own move)
  //   bit 4      a horizontal gap reaching this cell goes on through it
  //              (F >= X + G: the cell to the left extends)
  //   bit 5      a vertical gap reaching this cell goes on through it
  //              (E >= Y + G: the cell above extends)
  //
  // Gap lengths are then found by following bits 4 and 5, so no length
  // plane is needed: 1.5 bytes a cell.
  template <class S, bool Global, bool Weighted, bool Full>
  std::int64_t exact_pass() {
    const std::size_t n = std::size_t(len2_);
    std::vector<S> h(n + 1), y(n + 1), e(n), first_row_x(n);
    std::vector<std::int32_t> profile(std::size_t(A::size) * n);
    for (int code = 0; code < A::size; ++code) {
      const auto& scores = (*p_.matrix)[std::size_t(code)];
      for (std::size_t jj = 0; jj < n; ++jj) {
        profile[std::size_t(code) * n + jj] = scores[std::size_t(p_.codes_2.codes[jj])];
      }
    }
    for (std::int32_t jj = 0; jj < len2_; ++jj) {
      h[std::size_t(jj)] = y[std::size_t(jj)] = S(below_boundary<Global, Weighted>(jj));
      e[std::size_t(jj)] = initial_vertical<S, Global, Weighted>(jj);
    }
    h[n] = 0;
    const S L = S(l_), G = S(g_), GL = S(std::int64_t(g_) + l_);
    // Local start cells: positive scores only; none means every cell.
    std::int64_t best = Global ? std::numeric_limits<std::int64_t>::min() : 0;
    S local_best = Full ? 1 : 0;

    for (std::int32_t i = last1_; i >= first1_; --i) {
      const std::int32_t* const row_profile = profile.data() + std::size_t(p_.codes_1(i)) * n;
      const S right = S(right_boundary<Global, Weighted>(i));
      const std::size_t base = std::size_t(i - first1_) * n;
      S f = initial_horizontal<S, Global, Weighted>(i);
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
        if constexpr (!Global) x = std::max(x, S(0));
        f = std::max(S(f + L), S(x_right + GL));
        x_right = x;
        S yv = std::max(d, f);
        if constexpr (!Global) yv = std::max(yv, S(0));
        const S cell = std::max(x, f);
        h[jj] = cell;
        y[jj] = yv;
        if constexpr (Global && !Weighted) {
          first_row_x[jj] = x;
          pair = d;
        }
        if constexpr (Full) {
          std::uint32_t x_moves = std::uint32_t(d == x) << 1 | std::uint32_t(v == x) << 3;
          if constexpr (!Global) x_moves |= std::uint32_t(x == 0);
          const std::uint32_t flags = f > x ? detail::insert_1_bit : f == x ? (x_moves | detail::insert_1_bit) : x_moves;
          std::uint32_t state = 0;
          if (flags == detail::insert_1_bit) {
            state = x_moves;
          } else if (flags == detail::insert_2_bit) {
            state = std::uint32_t(d == yv) << 1 | std::uint32_t(f == yv) << 2;
            if constexpr (!Global) state |= std::uint32_t(yv == 0);
          }
          state |= std::uint32_t(f >= S(x + G)) << 4 | std::uint32_t(v >= S(yv + G)) << 5;
          const std::size_t k = base + jj;
          flags_[k >> 1] = std::uint8_t(flags_[k >> 1] | flags << ((k & 1) * 4));
          gap_states_[k] = std::uint8_t(state);
          if constexpr (!Global) {
            // Start cells in discovery order: from the end of the row.
            if (cell >= local_best) {
              if (cell > local_best) {
                local_best = cell;
                starts_.clear();
              }
              starts_.push_back({i, std::int32_t(jj) + first2_});
            }
          }
        } else if constexpr (!Global) {
          local_best = std::max(local_best, cell);
        }
      }
      if constexpr (Global && !Weighted) {
        // A free leading gap over Codes_1(First1..i-1) goes on from Y. At
        // (First1, First2) a gap would be the free leading gap itself, which
        // the other start cells stand for: the pair is the only move there.
        const std::int64_t start = i > first1_ ? std::int64_t(y[0]) : std::int64_t(pair);
        if constexpr (Full) {
          offer_start(start, i, first2_, best);
        } else {
          best = std::max(best, start);
        }
      }
    }

    if constexpr (Global && Weighted) {
      best = h[0];
      if constexpr (Full) {
        starts_.clear();
        starts_.push_back({first1_, first2_});
      }
    } else if constexpr (Global) {
      // A free leading gap over Codes_2(First2..j-1) goes on from X; beyond
      // the last column nothing is aligned.
      for (std::size_t jj = 1; jj <= n; ++jj) {
        const std::int64_t start = jj < n ? std::int64_t(first_row_x[jj]) : std::int64_t(h[n]);
        if constexpr (Full) {
          offer_start(start, first1_, std::int32_t(jj) + first2_, best);
        } else {
          best = std::max(best, start);
        }
      }
    } else {
      best = local_best;
      if constexpr (Full) {
        if (starts_.empty()) {
          best = 0;
          every_cell_starts_ = true;
        }
      }
    }
    if constexpr (Full) quality_ = detail::to_score(best);
    return best;
  }

  void offer_start(std::int64_t h, std::int32_t i, std::int32_t j, std::int64_t& best) {
    if (h > best) {
      best = h;
      starts_.clear();
    }
    if (h == best) starts_.push_back({i, j});
  }

  // A cell with both gap moves and a gap longer than one byte: the long
  // gap is reached through a cell of the same gap that has no other move,
  // within 255 cells, whose own 16-bit length finishes it. Failing such a
  // cell, the exact lengths are kept aside so that the traceback still
  // follows the gap the score was made of.
  void both_gaps(std::int32_t i, std::int32_t j, std::size_t k, std::uint32_t h, std::uint32_t v,
                 const std::uint8_t* row_flags) {
    // The cells of this row are not packed yet.
    const auto flags_of = [&](std::size_t kc) { return row_flags[std::size_t(j - first2_) + (kc - k)]; };
    std::uint8_t p = std::uint8_t(h), q = std::uint8_t(v);
    Overflow aside{k, 0, 0};
    if (h > 255) {
      p = 0;
      for (std::int32_t c = std::min(j + 255, last2_); c > j; --c) {
        const std::size_t kc = k + std::size_t(c - j);
        if (flags_of(kc) == detail::insert_1_bit &&
            std::uint32_t(plane_h_[kc]) + 256u * plane_v_[kc] + std::uint32_t(c) == h + std::uint32_t(j)) {
          p = std::uint8_t(c - j);
          break;
        }
      }
      if (p == 0) {
        p = 255;
        aside.h = h;
      }
    }
    if (v > 255) {
      q = 0;
      for (std::int32_t r = std::min(i + 255, last1_); r > i; --r) {
        const std::size_t kr = k + std::size_t(r - i) * std::size_t(len2_);
        if (flags_at(kr) == detail::insert_2_bit &&
            std::uint32_t(plane_v_[kr]) + 256u * plane_h_[kr] + std::uint32_t(r) == v + std::uint32_t(i)) {
          q = std::uint8_t(r - i);
          break;
        }
      }
      if (q == 0) {
        q = 255;
        aside.v = v;
      }
    }
    plane_h_[k] = p;
    plane_v_[k] = q;
    if (aside.h != 0 || aside.v != 0) overflows_.push_back(aside);
  }

  // The exact length of a both-gap cell's gap whose byte says 255, or 0.
  std::uint32_t aside_length(std::size_t k, bool horizontal) const noexcept {
    // Kept in decreasing cell order.
    auto at = std::lower_bound(overflows_.begin(), overflows_.end(), k,
                               [](const Overflow& o, std::size_t key) { return o.cell > key; });
    if (at == overflows_.end() || at->cell != k) return 0;
    return horizontal ? at->h : at->v;
  }

  // ---------------------------------------------------------------- traceback

  // One move from (i, j) by the order; the step is written and (i, j)
  // advanced. False when the cell has none of the three moves.
  bool step(std::int32_t& i, std::int32_t& j, std::int32_t& column, const utils::Move_Order& order,
            Path_Step& out) const noexcept {
    const std::size_t k = cell(i, j);
    const std::uint8_t fl = flags_at(k);
    for (Step_Kind move : order) {
      if (!(fl & (1u << unsigned(move)))) continue;
      std::int32_t length = 1;
      const std::uint32_t p = plane_h_[k], q = plane_v_[k];
      if (move == Step_Kind::INSERT_1) {
        length = std::int32_t((fl & detail::insert_2_bit) ? p : p + 256 * q);
        if ((fl & detail::insert_2_bit) && p == 255) {
          if (const std::uint32_t exact = aside_length(k, true)) length = std::int32_t(exact);
        }
      } else if (move == Step_Kind::INSERT_2) {
        length = std::int32_t((fl & detail::insert_1_bit) ? q : q + 256 * p);
        if ((fl & detail::insert_1_bit) && q == 255) {
          if (const std::uint32_t exact = aside_length(k, false)) length = std::int32_t(exact);
        }
      }
      column += length;
      out = Path_Step{column, 0, move, i, j};
      if (move == Step_Kind::ALIGN) {
        ++i;
        ++j;
      } else if (move == Step_Kind::INSERT_1) {
        j += length;
      } else {
        i += length;
      }
      return true;
    }
    return false;
  }

  std::int32_t trace(Cell_Position start, const utils::Move_Order& order) {
    if (exact()) return trace_exact(start, order);
    Path_Step* out = buffer_.data();
    std::int32_t n = 0;
    std::int32_t column = 0;
    std::int32_t i = start.I, j = start.J;
    if (!p_.global) {
      // The alignment begins with the pair at the start cell, unless gaps
      // that cost nothing made the score there without it.
      if (quality_ == 0 || (flags_at(cell(i, j)) & detail::align_bit)) {
        out[n++] = Path_Step{1, 0, Step_Kind::ALIGN, i, j};
        column = 1;
        ++i;
        ++j;
      }
      while (i <= last1_ && j <= last2_) {
        if (flags_at(cell(i, j)) & detail::stop_bit) break;
        if (!step(i, j, column, order, out[n])) detail::internal_error(*instance_, 551, nullptr);
        ++n;
      }
      return n;
    }

    // Global: a free or charged leading gap brings the path to its start cell.
    if (i == first1_ && j > first2_) {
      column = j - first2_;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_1, first1_, first2_};
    } else if (j == first2_ && i > first1_) {
      column = i - first1_;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_2, first1_, first2_};
    } else if (i != first1_ || j != first2_) {
      detail::internal_error(*instance_, 528, "Error IE001");
    }
    while (i <= last1_ && j <= last2_) {
      if (!step(i, j, column, order, out[n])) detail::internal_error(*instance_, 662, "Error IE003");
      ++n;
    }
    return finish_global(out, n, i, j, column);
  }

  // ---------------------------------------------------------------- traceback of the exact pass

  // How the path reached a cell: its move there must not continue a gap
  // that has just ended, in the gap's own direction.
  enum class Arrival : std::uint8_t { FREE, AFTER_INSERT_1, AFTER_INSERT_2 };

  std::uint32_t moves_at(std::size_t k, Arrival arrival) const noexcept {
    const std::uint32_t flags = flags_at(k), own = gap_states_[k] & 15u;
    switch (arrival) {
      case Arrival::FREE:
        break;
      case Arrival::AFTER_INSERT_1:
        if (flags == detail::insert_1_bit) return own;
        return flags == detail::insert_2_bit ? flags : flags & ~std::uint32_t(detail::insert_1_bit);
      case Arrival::AFTER_INSERT_2:
        if (flags == detail::insert_2_bit) return own;
        return flags == detail::insert_1_bit ? flags : flags & ~std::uint32_t(detail::insert_2_bit);
    }
    return flags;
  }

  // One move from (i, j) among Moves by the order; the step is written,
  // (i, j) advanced and Arrival updated. A gap runs as long as the cells it
  // reaches say it goes on. False when no move is left.
  bool exact_step(std::int32_t& i, std::int32_t& j, std::int32_t& column, std::uint32_t moves,
                  const utils::Move_Order& order, Arrival& arrival, Path_Step& out) const noexcept {
    for (Step_Kind move : order) {
      if (!(moves & (1u << unsigned(move)))) continue;
      std::int32_t length = 1;
      if (move == Step_Kind::INSERT_1) {
        std::int32_t to = j + 1;
        while (to <= last2_ && (gap_states_[cell(i, to)] & 16)) ++to;
        length = to - j;
        arrival = Arrival::AFTER_INSERT_1;
      } else if (move == Step_Kind::INSERT_2) {
        std::int32_t to = i + 1;
        while (to <= last1_ && (gap_states_[cell(to, j)] & 32)) ++to;
        length = to - i;
        arrival = Arrival::AFTER_INSERT_2;
      } else {
        arrival = Arrival::FREE;
      }
      column += length;
      out = Path_Step{column, 0, move, i, j};
      if (move == Step_Kind::ALIGN) {
        ++i;
        ++j;
      } else if (move == Step_Kind::INSERT_1) {
        j += length;
      } else {
        i += length;
      }
      return true;
    }
    return false;
  }

  std::int32_t trace_exact(Cell_Position start, const utils::Move_Order& order) {
    Path_Step* out = buffer_.data();
    std::int32_t n = 0;
    std::int32_t column = 0;
    std::int32_t i = start.I, j = start.J;
    Arrival arrival = Arrival::FREE;
    if (!p_.global) {
      if (quality_ == 0 || (flags_at(cell(i, j)) & detail::align_bit)) {
        out[n++] = Path_Step{1, 0, Step_Kind::ALIGN, i, j};
        column = 1;
        ++i;
        ++j;
      }
      while (i <= last1_ && j <= last2_) {
        const std::uint32_t moves = moves_at(cell(i, j), arrival);
        if (moves & detail::stop_bit) break;
        if (!exact_step(i, j, column, moves, order, arrival, out[n])) detail::internal_error(*instance_, 551, nullptr);
        ++n;
      }
      return n;
    }

    if (i == first1_ && j > first2_) {
      column = j - first2_;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_1, first1_, first2_};
      arrival = Arrival::AFTER_INSERT_1;
    } else if (j == first2_ && i > first1_) {
      column = i - first1_;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_2, first1_, first2_};
      arrival = Arrival::AFTER_INSERT_2;
    } else if (i != first1_ || j != first2_) {
      detail::internal_error(*instance_, 528, "Error IE001");
    } else if (!p_.end_weight) {
      // Without a leading gap the path begins with the pair (see the start
      // cells of the exact pass).
      out[n++] = Path_Step{1, 0, Step_Kind::ALIGN, i, j};
      column = 1;
      ++i;
      ++j;
    }
    while (i <= last1_ && j <= last2_) {
      if (!exact_step(i, j, column, moves_at(cell(i, j), arrival), order, arrival, out[n])) {
        detail::internal_error(*instance_, 662, "Error IE003");
      }
      ++n;
    }
    return finish_global(out, n, i, j, column);
  }

  // The trailing gap that a global path needs to reach the ends of both
  // windows, and its final step.
  std::int32_t finish_global(Path_Step* out, std::int32_t n, std::int32_t i, std::int32_t j,
                             std::int32_t column) const noexcept {
    if (i > last1_ && j <= last2_) {
      column += last2_ - j + 1;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_1, i, j};
    } else if (j > last2_ && i <= last1_) {
      column += last1_ - i + 1;
      out[n++] = Path_Step{column, 0, Step_Kind::INSERT_2, i, j};
    }
    out[n++] = Path_Step{column, 0, Step_Kind::STOP, last1_ + 1, last2_ + 1};
    return n;
  }

  // ---------------------------------------------------------------- building and keeping

  void keep(std::int32_t n, Backward_Mode mode) {
    const Path_Step* steps = buffer_.data();
    const std::int32_t length = steps[n - 1].Column;
    switch (utils::Compare(steps[n - 1], best_length_, settings_->optimize)) {
      case utils::Comparison::BAD:
        return;
      case utils::Comparison::GOOD:
        utils::Clear_Paths(kept_);
        kept_index_.clear();
        best_length_ = length;
        break;
      case utils::Comparison::EQUAL:
        break;
    }
    // Kept once, with the mode of the first.
    const std::uint64_t h = detail::hash_steps(steps, n);
    const auto [from, to] = kept_index_.equal_range(h);
    for (auto at = from; at != to; ++at) {
      if (at->second.n == n && detail::same_steps(steps, at->second.steps, n)) return;
    }
    Path copy = Path::copy_of(steps, n, 1);
    // The steps stay where they are while the list holds the path.
    const Path_Step* held = copy.data();
    kept_.Push(utils::Optimal_Path(std::move(copy), mode));
    kept_index_.emplace(h, Held_Steps{held, n});
  }

  void build_paths() {
    buffer_.assign(std::size_t(len1_) + std::size_t(len2_) + 2, Path_Step{});
    best_length_ = settings_->optimize == Optimize_Mode::SHORT ? std::numeric_limits<std::int32_t>::max()
                                                                : std::numeric_limits<std::int32_t>::min();
    const auto each_start = [&](auto&& visit) {
      if (every_cell_starts_) {
        for (std::int32_t i = last1_; i >= first1_; --i) {
          for (std::int32_t j = last2_; j >= first2_; --j) {
            if (!visit(Cell_Position{i, j})) return;
          }
        }
      } else {
        for (const Cell_Position& start : starts_) {
          if (!visit(start)) return;
        }
      }
    };
    switch (settings_->building) {
      case Building_Mode::ONE:
        each_start([&](Cell_Position start) {
          keep(trace(start, utils::Backward_Order(settings_->backward)), settings_->backward);
          return false;
        });
        break;
      case Building_Mode::ALL_FIRSTS:
        each_start([&](Cell_Position start) {
          keep(trace(start, utils::Backward_Order(settings_->backward)), settings_->backward);
          return true;
        });
        break;
      case Building_Mode::FULL:
        each_start([&](Cell_Position start) {
          for (int mode = 0; mode < 6; ++mode) {
            const Backward_Mode backward = Backward_Mode(mode);
            keep(trace(start, utils::Backward_Order(backward)), backward);
          }
          return true;
        });
        break;
    }
    kept_index_.clear();
    starts_ = {};
    buffer_ = {};
  }

  // ---------------------------------------------------------------- results

  float similarity_threshold() const noexcept {
    if (settings_->similarity_threshold >= 0) return float(settings_->similarity_threshold);
    float sum = 0.0f;
    int count = 0;
    for (int a = 0; a < A::size; ++a) {
      for (int b = 0; b < A::size; ++b) {
        const std::int32_t value = (*p_.matrix)[std::size_t(a)][std::size_t(b)];
        if (a != b && value > 0) {
          sum += float(value);
          ++count;
        }
      }
    }
    return count == 0 ? 0.0f : sum / float(count);
  }

  alignment_results::Alignment_Array_Access results() {
    auto array = std::make_unique<alignment_results::Alignment_Array>(1, kept_.Count());
    const float threshold = similarity_threshold();
    for (std::int32_t index = 1; kept_.Is_Not_Empty(); ++index) {
      utils::Optimal_Path kept = kept_.Pop();
      (*array)(index) = fill(kept, threshold);
    }
    storage_.release();
    flags_ = plane_h_ = plane_v_ = gap_states_ = nullptr;
    return array;
  }

  alignment_results::Alignment_Access fill(utils::Optimal_Path& kept, float threshold) const {
    const bool global = p_.global;
    auto result = std::make_unique<alignment_results::Alignment>();
    alignment_results::Alignment& r = *result;
    const Path_Step* steps = kept.Path.data();
    const std::int32_t n = kept.Path.length();
    r.Method = global ? Alignment_Method::GLOBAL_ALIGNMENT : Alignment_Method::LOCAL_ALIGNMENT;
    r.Backward = kept.Backward;
    r.Match_Weight = settings_->match_weight;
    r.Mismatch_Weight = settings_->mismatch_weight;
    r.Gap_Weight = g_;
    r.Gap_Length_Weight = l_;
    r.Length = steps[n - 1].Column;
    r.Start_1 = global ? first1_ : steps[0].I;
    r.Start_2 = global ? first2_ : steps[0].J;
    r.Aligned_1 = strlib::String_Pointer(platform::Heap_Array<char>::make(1, r.Length));
    r.Aligned_2 = strlib::String_Pointer(platform::Heap_Array<char>::make(1, r.Length));
    char* out_1 = r.Aligned_1.data();
    char* out_2 = r.Aligned_2.data();

    const auto& matrix = *p_.matrix;
    std::int32_t similar = 0, run = 0, aligned = 0;
    std::int32_t p = 0;
    const auto close_run = [&] {
      if (run > 0) {
        r.Continuous_Matches = std::max(r.Continuous_Matches, run);
        run = 0;
      }
    };
    for (std::int32_t s = 0; s < n; ++s) {
      const Path_Step& st = steps[s];
      if (st.Move == Step_Kind::STOP) {
        if (global && s == n - 1) break;
        if (global) detail::internal_error(*instance_, 812, "Error IE004");
        detail::internal_error(*instance_, 696, nullptr);
      }
      // A step's length: to the next step's cell in a global path (which
      // always ends with its STOP step), by the columns in a local one.
      std::int32_t length;
      if (global) {
        length = st.Move == Step_Kind::INSERT_1 ? steps[s + 1].J - st.J
                 : st.Move == Step_Kind::INSERT_2 ? steps[s + 1].I - st.I
                                                  : 1;
      } else {
        length = st.Column - (s == 0 ? 0 : steps[s - 1].Column);
      }
      const bool new_gap = s == 0 || steps[s - 1].Move != st.Move;
      switch (st.Move) {
        case Step_Kind::ALIGN: {
          const Code a = p_.codes_1(st.I), b = p_.codes_2(st.J);
          if (threshold <= float(matrix[std::size_t(a)][std::size_t(b)])) ++similar;
          out_1[p] = A::letter(a);
          out_2[p] = A::letter(b);
          ++p;
          ++aligned;
          if (a == b) {
            ++run;
            ++r.Number_Of_Match;
          } else {
            ++r.Number_Of_Mismatch;
            close_run();
          }
          break;
        }
        case Step_Kind::INSERT_1:
          for (std::int32_t x = 0; x < length; ++x, ++p) {
            out_1[p] = '.';
            out_2[p] = A::letter(p_.codes_2(st.J + x));
          }
          if (new_gap) ++r.Nb_Gaps;
          r.Gaps_Length += length;
          close_run();
          break;
        case Step_Kind::INSERT_2:
          for (std::int32_t x = 0; x < length; ++x, ++p) {
            out_1[p] = A::letter(p_.codes_1(st.I + x));
            out_2[p] = '.';
          }
          if (new_gap) ++r.Nb_Gaps;
          r.Gaps_Length += length;
          close_run();
          break;
        case Step_Kind::STOP:
          break;
      }
    }
    r.Continuous_Matches = std::max(r.Continuous_Matches, run);
    r.Quality = quality_;

    if (global) {
      r.Stop_1 = steps[n - 1].I - 1;
      r.Stop_2 = steps[n - 1].J - 1;
      if (!p_.end_weight) {
        // Free end gaps are no gaps.
        if (steps[0].Move == Step_Kind::INSERT_1 || steps[0].Move == Step_Kind::INSERT_2) {
          --r.Nb_Gaps;
          r.Gaps_Length -= steps[0].Column;
        }
        if (n >= 2) {
          const Path_Step& end = steps[n - 2];
          if (end.Move == Step_Kind::INSERT_1) {
            --r.Nb_Gaps;
            r.Gaps_Length -= last2_ - end.J + 1;
          } else if (end.Move == Step_Kind::INSERT_2) {
            --r.Nb_Gaps;
            r.Gaps_Length -= last1_ - end.I + 1;
          }
        }
      }
      r.Ratio = float(r.Quality) / float(std::min(len1_, len2_));
    } else {
      // The last residue of each sequence that the alignment holds: the
      // last step's cell when it is a pair. (A local path ends with a gap
      // only when gaps reward.)
      const Path_Step& last = steps[n - 1];
      const std::int32_t length = last.Column - (n == 1 ? 0 : steps[n - 2].Column);
      r.Stop_1 = last.I + (last.Move == Step_Kind::INSERT_2 ? length - 1 : last.Move == Step_Kind::INSERT_1 ? -1 : 0);
      r.Stop_2 = last.J + (last.Move == Step_Kind::INSERT_1 ? length - 1 : last.Move == Step_Kind::INSERT_2 ? -1 : 0);
      // A gap alone holds no residue of one sequence.
      const std::int32_t shorter = std::min(r.Stop_1 - r.Start_1, r.Stop_2 - r.Start_2) + 1;
      r.Ratio = shorter > 0 ? float(r.Quality) / float(shorter) : 0.0f;
    }
    // Both percentages count the aligned pairs; a path without any gives 0.
    if (aligned > 0) {
      r.Percent_Identity = float(100 * r.Number_Of_Match) / float(aligned);
      r.Percent_Similarity = float(100 * similar) / float(aligned);
    }
    utils::Free_Path(kept.Path);
    return result;
  }

  // ---------------------------------------------------------------- state

  struct Overflow {
    std::size_t cell;
    std::uint32_t h;
    std::uint32_t v;
  };

  Problem<A> p_;
  std::int32_t first1_, last1_, first2_, last2_;
  std::int32_t len1_, len2_;
  std::int32_t g_, l_;
  const Instance* instance_ = nullptr;
  const Path_Settings* settings_ = nullptr;

  std::size_t cells_ = 0;
  detail::Cell_Storage storage_;
  std::uint8_t* flags_ = nullptr;  // 4 bits a cell
  std::uint8_t* plane_h_ = nullptr;
  std::uint8_t* plane_v_ = nullptr;
  std::uint8_t* gap_states_ = nullptr;  // exact pass: one byte a cell in place of the planes
  std::vector<Overflow> overflows_;

  std::vector<Cell_Position> starts_;
  bool every_cell_starts_ = false;
  std::int32_t quality_ = 0;

  std::vector<Path_Step> buffer_;
  utils::Kept_Path_List kept_;
  struct Held_Steps {
    const Path_Step* steps;
    std::int32_t n;
  };
  std::unordered_multimap<std::uint64_t, Held_Steps> kept_index_;  // by hash of the steps
  std::int32_t best_length_ = 0;
};

template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem,
                                                             const Path_Settings& settings,
                                                             const Instance& instance) {
  Kernel<A> kernel(problem);
  return kernel.run(settings, instance);
}

template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem) {
  Kernel<A> kernel(problem);
  return detail::to_score(kernel.quality());
}

// ---------------------------------------------------------------- rounds in lanes

// The score-only pass for several couples at once, one per vector lane:
// sequence 1's window with as many windows of sequence 2 of one length (the
// randomisation rounds). Each lane follows the recurrences of the scalar
// pass exactly, in 32 bits (the caller has checked the bound).
namespace lanes {

template <int Lanes>
struct Vector;
template <>
struct Vector<4> {
  typedef std::int32_t type __attribute__((vector_size(16), aligned(4), may_alias));
};
template <>
struct Vector<8> {
  typedef std::int32_t type __attribute__((vector_size(32), aligned(4), may_alias));
};

template <class A>
struct Couples {
  Code_Window<typename A::code_type> codes_1;
  std::int32_t len2;
  const typename A::code_type* const* codes_2;  // Lanes windows of Len2 codes
  const typename A::matrix_type* matrix;
  std::int32_t gap_weight, gap_length_weight;
  bool global, end_weight;
};

// Storage: (Len2 + 1) H, Len2 E, Size * Len2 profile vectors, and for the
// exact recurrences Len2 Y and Len2 X, as int32.
template <class A, int Lanes>
std::size_t storage_size(std::int32_t len2) noexcept {
  return std::size_t(Lanes) * (std::size_t(len2) * (4 + std::size_t(A::size)) + 1);
}

// Exact: the recurrences of the exact pass (a vertical gap opens from Y,
// free leading gaps go on from X and Y), for gaps that may cost nothing.
template <class A, bool Global, bool Weighted, bool Exact, int Lanes>
__attribute__((always_inline)) inline void qualities(const Couples<A>& c, std::int32_t* storage,
                                                     std::int64_t* out) {
  using V = typename Vector<Lanes>::type;
  const std::int32_t len1 = c.codes_1.length(), n = c.len2;
  V* const h = reinterpret_cast<V*>(storage);
  V* const e = h + n + 1;
  V* const profile = e + n;
  V* const y = profile + std::size_t(A::size) * std::size_t(n);
  V* const row_x = y + n;
  for (int code = 0; code < A::size; ++code) {
    const auto& scores = (*c.matrix)[std::size_t(code)];
    for (std::int32_t jj = 0; jj < n; ++jj) {
      V p;
      for (int lane = 0; lane < Lanes; ++lane) p[lane] = scores[std::size_t(c.codes_2[lane][jj])];
      profile[std::size_t(code) * std::size_t(n) + std::size_t(jj)] = p;
    }
  }
  const std::int32_t G = c.gap_weight, L = c.gap_length_weight, GL = G + L;
  const V zero = V{} + 0;
  for (std::int32_t jj = 0; jj < n; ++jj) {
    if constexpr (Global && Weighted) {
      h[jj] = zero + (G + L * (n - jj));
      e[jj] = h[jj];
    } else {
      h[jj] = zero;
      e[jj] = zero + detail::minus_infinity_32;
    }
    if constexpr (Exact) y[jj] = h[jj];
  }
  h[n] = zero;
  V best = zero + (Global ? std::numeric_limits<std::int32_t>::min() : 0);
  for (std::int32_t ii = len1 - 1; ii >= 0; --ii) {
    const V* const p = profile + std::size_t(c.codes_1.codes[ii]) * std::size_t(n);
    const std::int32_t right = Global && Weighted ? G + L * (len1 - ii) : 0;
    V f = zero + (Global && Weighted ? right : detail::minus_infinity_32);
    V x_right = zero + right;
    V diag = h[n];
    V pair = zero;  // D of the row's first cell
    h[n] = zero + right;
    for (std::int32_t jj = n - 1; jj >= 0; --jj) {
      const V below = h[jj];
      const V extend = e[jj] + L, open = (Exact ? y[jj] : below) + GL;
      const V v = extend > open ? extend : open;
      e[jj] = v;
      const V d = diag + p[jj];
      V x = d > v ? d : v;
      if constexpr (!Global) x = x > zero ? x : zero;
      const V reach = x_right + G;
      f = (f > reach ? f : reach) + L;
      const V cell = f > x ? f : x;
      h[jj] = cell;
      if constexpr (Exact) {
        V yv = d > f ? d : f;
        if constexpr (!Global) yv = yv > zero ? yv : zero;
        y[jj] = yv;
        if constexpr (Global && !Weighted) {
          row_x[jj] = x;
          pair = d;
        }
      }
      if constexpr (!Global) best = best > cell ? best : cell;
      x_right = x;
      diag = below;
    }
    if constexpr (Global && !Weighted) {
      const V start = !Exact ? h[0] : ii > 0 ? y[0] : pair;
      best = best > start ? best : start;
    }
  }
  if constexpr (Global && !Weighted) {
    for (std::int32_t jj = 1; jj <= n; ++jj) {
      const V start = Exact && jj < n ? row_x[jj] : h[jj];
      best = best > start ? best : start;
    }
  }
  if constexpr (Global && Weighted) best = h[0];
  for (int lane = 0; lane < Lanes; ++lane) out[lane] = best[lane];
}

template <class A, bool Exact, int Lanes>
__attribute__((always_inline)) inline void dispatch_method(const Couples<A>& c, std::int32_t* storage,
                                                           std::int64_t* out) {
  if (!c.global) {
    qualities<A, false, false, Exact, Lanes>(c, storage, out);
  } else if (c.end_weight) {
    qualities<A, true, true, Exact, Lanes>(c, storage, out);
  } else {
    qualities<A, true, false, Exact, Lanes>(c, storage, out);
  }
}

template <class A, int Lanes>
__attribute__((always_inline)) inline void dispatch(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  if (exact_gaps(c.gap_weight, c.gap_length_weight)) {
    dispatch_method<A, true, Lanes>(c, storage, out);
  } else {
    dispatch_method<A, false, Lanes>(c, storage, out);
  }
}

template <class A>
__attribute__((target("avx2"))) void qualities_8(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  dispatch<A, 8>(c, storage, out);
}
template <class A>
void qualities_4(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  dispatch<A, 4>(c, storage, out);
}

inline int lane_count() noexcept { return __builtin_cpu_supports("avx2") ? 8 : 4; }

}  // namespace lanes

// ---------------------------------------------------------------- drivers

using Nucleic = Alphabet<sequence_specifications::Nucleotide, sequence_specifications::Nucleotide_Count,
                         &sequence_specifications::Nucleotide_Image>;
using Protein = Alphabet<sequence_specifications::Amino_Acid, sequence_specifications::Amino_Acid_Count,
                         &sequence_specifications::Amino_Acid_Image>;

// The places of a driver's own checks, and its kernels' instances.
struct Driver_Places {
  const char* unit;
  int models_differ, model_no, no_nucleotides, no_amino_acids, range, rna;
  Instance nucleic, protein;
};

// Everything of one driver call but the two sequences.
struct Driver_Call {
  std::int32_t start_1, stop_1, start_2, stop_2;
  strlib::Plain_View matrix_name;
  std::int32_t match_weight, mismatch_weight, gap_weight, gap_length_weight;
  Backward_Mode backward;
  Building_Mode building;
  Optimize_Mode optimize;
  bool global, end_weight;
  std::int32_t similarity_threshold, randomization;
};

namespace detail {

template <class Code>
Code_Window<Code> window(const platform::Heap_Array<Code>& codes, std::int32_t first, std::int32_t last) {
  // The caller keeps windows inside the sequences; a window that is not
  // would be read out of bounds.
  if (first < codes.first() || last > codes.last()) {
    platform::raise(standard::CONSTRAINT_ERROR, "alignment window outside the sequence");
  }
  return {&codes(first), first, last};
}

// Aligns the windows, then realigns sequence 1's window with shuffled
// copies of sequence 2's: each round shuffles the copy the previous round
// left. A round needs only the score of the path Building ONE would build,
// which the score-only pass gives.
template <class A, class Matrix>
alignment_results::Alignment_Array_Access align_windows(
    const platform::Heap_Array<typename A::code_type>& codes_1, const platform::Heap_Array<typename A::code_type>& codes_2,
    const Matrix& matrix, const Driver_Call& c, const Instance& instance,
    void (*shuffle)(platform::Heap_Array<typename A::code_type>&), float& mean, float& std_dev) {
  Problem<A> problem{window(codes_1, c.start_1, c.stop_1), window(codes_2, c.start_2, c.stop_2), &matrix,
                     c.gap_weight, c.gap_length_weight, c.global, c.end_weight};
  auto results = Compute_Alignments<A>(
      problem, {c.match_weight, c.mismatch_weight, c.backward, c.building, c.optimize, c.similarity_threshold},
      instance);
  mean = 0.0f;
  std_dev = 0.0f;
  if (c.randomization < 1) return results;

  auto shuffled = platform::Heap_Array<typename A::code_type>::copy_of(
      problem.codes_2.codes, problem.codes_2.length(), c.start_2);
  std::int64_t sum = 0, sum_of_squares = 0;
  const auto add = [&](std::int64_t q) {
    if (__builtin_add_overflow(sum, q, &sum) || __builtin_add_overflow(sum_of_squares, q * q, &sum_of_squares)) {
      platform::raise(standard::CONSTRAINT_ERROR, "randomisation sums beyond 64 bits");
    }
  };
  const std::int32_t len2 = problem.codes_2.length();
  if (scores_fit_32_bits(matrix, problem.codes_1.length(), len2, c.gap_weight, c.gap_length_weight)) {
    // The shuffles are drawn in order, each from the copy the previous one
    // left; the rounds are then scored a batch at a time.
    const int width = lanes::lane_count();
    using Code = typename A::code_type;
    std::vector<Code> batch(std::size_t(width) * std::size_t(len2));
    std::vector<const Code*> windows(static_cast<std::size_t>(width));
    for (int lane = 0; lane < width; ++lane) windows[std::size_t(lane)] = batch.data() + std::size_t(lane) * len2;
    std::vector<std::int32_t> storage(width == 8 ? lanes::storage_size<A, 8>(len2) : lanes::storage_size<A, 4>(len2));
    std::int64_t scores[8];
    const lanes::Couples<A> couples{problem.codes_1, len2, windows.data(), &matrix, c.gap_weight, c.gap_length_weight,
                                    c.global, c.end_weight};
    for (std::int32_t done = 0; done < c.randomization;) {
      const int count = int(std::min<std::int32_t>(width, c.randomization - done));
      for (int lane = 0; lane < width; ++lane) {
        // Lanes beyond the last round repeat it and are not counted.
        if (lane < count) shuffle(shuffled);
        std::copy(shuffled.data(), shuffled.data() + len2, batch.data() + std::size_t(lane) * len2);
      }
      if (width == 8) {
        lanes::qualities_8<A>(couples, storage.data(), scores);
      } else {
        lanes::qualities_4<A>(couples, storage.data(), scores);
      }
      for (int lane = 0; lane < count; ++lane) add(detail::to_score(scores[lane]));
      done += count;
    }
  } else {
    problem.codes_2.codes = shuffled.data();
    for (std::int32_t round = 0; round < c.randomization; ++round) {
      shuffle(shuffled);
      add(Compute_Quality<A>(problem));
    }
  }
  const double n = double(c.randomization);
  mean = float(double(sum) / n);
  // n Sum2 - Sum Sum, exact in 128 bits (n and every score are below 2^31,
  // so both products stay below 2^124): equal scores give exactly 0, and
  // no rounding can make it negative.
  const __int128 spread = __int128(c.randomization) * sum_of_squares - __int128(sum) * sum;
  const float variance = float(double(spread) / n / n);
  std_dev = std::sqrt(variance);
  return results;
}

}  // namespace detail

inline alignment_results::Alignment_Array_Access Drive(const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
                                                       const sequence_specifications::basic::SEQUENCE_DATA& seq_2,
                                                       Driver_Call c, const Driver_Places& places) {
  using sequence_specifications::Sequence_Model;
  const auto refuse = [&](const platform::Exception_Id& id, int line) {
    platform::raise(id, platform::place(places.unit, line));
  };
  const Sequence_Model model = seq_1.Model;
  if (model != seq_2.Model) refuse(INCONSISTENT_MODEL, places.models_differ);
  if (model == Sequence_Model::NO) refuse(sequence_specifications::NOT_IMPLEMENTED, places.model_no);
  const bool nucleic = sequence_specifications::Is_Nucleic(model);
  if (nucleic && (seq_1.Nucleotides.is_null() || seq_2.Nucleotides.is_null())) {
    refuse(INVALID_FORMAT, places.no_nucleotides);
  }
  if (model == Sequence_Model::PROTEIN && (seq_1.Amino_Acids.is_null() || seq_2.Amino_Acids.is_null())) {
    refuse(INVALID_FORMAT, places.no_amino_acids);
  }

  const auto first_of = [&](const sequence_specifications::basic::SEQUENCE_DATA& seq) {
    return nucleic ? seq.Nucleotides.first() : seq.Amino_Acids.first();
  };
  const auto last_of = [&](const sequence_specifications::basic::SEQUENCE_DATA& seq) {
    return nucleic ? seq.Nucleotides.last() : seq.Amino_Acids.last();
  };
  if (c.start_1 == Unset_Position) c.start_1 = first_of(seq_1);
  if (c.stop_1 == Unset_Position) c.stop_1 = last_of(seq_1);
  if (c.start_2 == Unset_Position) c.start_2 = first_of(seq_2);
  if (c.stop_2 == Unset_Position) c.stop_2 = last_of(seq_2);
  if (c.start_1 >= c.stop_1 || c.start_2 >= c.stop_2) refuse(INCONSISTENT_RANGE, places.range);

  float mean = 0.0f, std_dev = 0.0f;
  alignment_results::Alignment_Array_Access results;
  if (model == Sequence_Model::DNA) {
    const utils::Nucleic_Score_Matrix matrix = c.matrix_name.empty()
                                                   ? utils::Default_Nucleic_Matrix(c.match_weight, c.mismatch_weight)
                                                   : utils::Read_Nucleic_Matrix(c.matrix_name);
    results = detail::align_windows<Nucleic>(seq_1.Nucleotides, seq_2.Nucleotides, matrix, c, places.nucleic,
                                             &alignment_random::Shuffle_Nucleotides, mean, std_dev);
  } else if (model == Sequence_Model::PROTEIN) {
    const utils::Protein_Score_Matrix matrix =
        c.matrix_name.empty() ? utils::Default_Protein_Matrix() : utils::Read_Protein_Matrix(c.matrix_name);
    results = detail::align_windows<Protein>(seq_1.Amino_Acids, seq_2.Amino_Acids, matrix, c, places.protein,
                                             &alignment_random::Shuffle_Amino_Acids, mean, std_dev);
  } else {
    refuse(sequence_specifications::NOT_IMPLEMENTED, places.rna);
  }

  for (std::int32_t k = results->first(); k <= results->last(); ++k) {
    alignment_results::Alignment& r = *(*results)(k);
    r.Quality_Mean = mean;
    r.Quality_Std = std_dev;
    if (std_dev != 0.0f) {
      r.Quality_Z_Score = std::fabs(float(r.Quality) - mean) / std_dev;
      r.Quality_Significance = alignment_random::Significance(r.Quality_Z_Score);
    } else {
      r.Quality_Z_Score = 0.0f;
      r.Quality_Significance = 0.0f;
    }
  }
  for (std::int32_t k = results->first(); k <= results->last(); ++k) {
    alignment_results::Alignment& r = *(*results)(k);
    r.Name_1 = strlib::Copy_String(seq_1.Identifier, std::move(r.Name_1));
    r.Name_2 = strlib::Copy_String(seq_2.Identifier, std::move(r.Name_2));
    r.Strand_1 = sequence_specifications::Strand::WATSON;
    r.Strand_2 = sequence_specifications::Strand::WATSON;
    r.Model = seq_1.Model;
    r.Matrix_Name = strlib::Copy_Non_Empty(c.matrix_name, std::move(r.Matrix_Name));
  }
  return results;
}

}  // namespace sequence_alignment::kernel
