// The score-only pass for several couples at once, one per vector lane:
// sequence 1's window with as many windows of sequence 2 of one length (the
// randomisation rounds). Each lane follows the recurrences of the scalar
// passes exactly, in 16 or 32 bits (the caller has checked the bound). The
// lanes come in three sizes of vector: the generic vectors of any processor
// (16 bytes), and on x86 AVX2 (32 bytes) and AVX-512BW (64 bytes), which
// only a processor that has them may run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <type_traits>

#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel-simd.h"
#include "kernel/sequence_alignment-kernel.h"
#include "platform/work_block.h"

#if SEQUENCE_ALIGNMENT_X86()
#include <immintrin.h>
#endif

namespace sequence_alignment::kernel::couple_lanes {

// The vector sizes of the passes, in bytes.
inline constexpr int generic_bytes = choice::vector_bytes<choice::Instruction_Set::GENERIC>;
inline constexpr int avx2_bytes = choice::vector_bytes<choice::Instruction_Set::AVX2>;
inline constexpr int avx512_bytes = choice::vector_bytes<choice::Instruction_Set::AVX512BW>;

// Lanes elements of S, which may stand at any boundary of S and be
// written through S pointers as well (the profile).
template <class S, int Lanes>
struct Vector {
  typedef S type __attribute__((vector_size(Lanes * sizeof(S)), aligned(sizeof(S)), may_alias));
};

template <class A>
struct Couples {
  Code_Window<typename A::code_type> codes_1;
  std::int32_t len2;
  const typename A::code_type* const* codes_2;  // Lanes windows of Len2 codes
  const typename A::matrix_type* matrix;
  std::int32_t gap_weight, gap_length_weight;
  Method method;
  // The codes of window 1, a bit each: only their rows of the profile are
  // made.
  std::uint32_t codes_used = ~std::uint32_t(0);
};

// How many codes Codes_Used holds (those of window 1): a profile row each.
template <class A>
int profile_rows(std::uint32_t codes_used) noexcept {
  return __builtin_popcount(codes_used & ((std::uint32_t(1) << A::size) - 1));
}

// What a pass keeps, per column of window 2: H (and one more), E, and Y for
// the exact recurrences, each a vector; a profile row for each code of
// window 1, unless the pass permutes a matrix row held in registers; and
// the lanes' codes where the pass reads them, Code_Bytes a column.
struct Layout {
  int vector_bytes;
  bool exact;
  int profile_rows;
  int code_bytes;
};

// The 64-byte passes permute, with the lanes' codes as lanes of their own
// width: 24 protein rows of 64 bytes would take more than the 32-byte
// passes do; the AVX2 16-bit pass makes its profile from byte codes.
// Always inlined, so that a pass folds it to its own constants.
__attribute__((always_inline)) constexpr Layout layout_of(int lane_bytes, int vector_bytes, bool exact,
                                                          int rows) noexcept {
  if (vector_bytes == avx512_bytes) return {vector_bytes, exact, 0, vector_bytes};
  if (vector_bytes == avx2_bytes && lane_bytes == 2) return {vector_bytes, exact, rows, vector_bytes / lane_bytes};
  return {vector_bytes, exact, rows, 0};
}

template <class A, class S, int Bytes>
Layout layout_of(const Couples<A>& c) noexcept {
  return layout_of(int(sizeof(S)), Bytes, exact_gaps(c.gap_weight, c.gap_length_weight), profile_rows<A>(c.codes_used));
}

// In bytes.
inline std::size_t storage_size(const Layout& layout, std::int32_t len2) noexcept {
  const std::size_t n = std::size_t(len2 > 0 ? len2 : 0);
  const std::size_t vectors = (2 + std::size_t(layout.exact) + std::size_t(layout.profile_rows)) * n + 1;
  return std::size_t(layout.vector_bytes) * vectors + std::size_t(layout.code_bytes) * n;
}

// Bytes on a cache-line boundary: a vector of the rows then never
// straddles two lines (measurably faster than wherever the heap puts it).
// They are lent by the run's work block, which the alignment of the couple
// has just left: the rounds mostly take no memory of their own. Left as the
// block holds them: a pass writes each row before it reads it.
class Storage {
 public:
  explicit Storage(std::size_t bytes) : size_(bytes + line) {
    void* start = loan_.block().allocate(size_);
    std::size_t space = size_;
    data_ = std::align(line, bytes, start, space);
  }
  void* data() noexcept { return data_; }
  // All it asks for, the alignment's slack included.
  std::size_t size() const noexcept { return size_; }

 private:
  static constexpr std::size_t line = 64;
  platform::Work_Loan loan_;
  std::size_t size_;
  void* data_;
};

// Where the layout puts each row in the storage.
template <class S, int Lanes>
struct Storage_Rows {
  using V = typename Vector<S, Lanes>::type;
  V* h;
  V* e;
  V* y;
  V* profile;
  void* codes;
  Storage_Rows(void* storage, std::int32_t len2, const Layout& layout) noexcept {
    const std::size_t n = std::size_t(len2);
    h = static_cast<V*>(storage);
    e = h + n + 1;
    y = e + n;
    profile = y + (layout.exact ? n : 0);
    codes = profile + std::size_t(layout.profile_rows) * n;
  }
};

// The gap chains start far below any value of the pass, where adding a gap
// weight cannot wrap: minus_infinity_16 in 16 bits, whose bound
// scores_fit_16_bits proves (these lanes add no scan steps).
template <class S>
constexpr S lane_minus_infinity(std::int32_t gap_length_weight) noexcept {
  if constexpr (sizeof(S) == 2) {
    return bounds::minus_infinity_16(gap_length_weight);
  } else {
    return bounds::minus_infinity_32;
  }
}

// The profile: for each code of window 1 and each column, the lanes'
// matrix scores, Matrix(code, Codes_2[lane](jj)). Only the codes of window 1
// have a row, in the order of the codes.
inline int profile_row(std::uint32_t codes_used, int code) noexcept {
  return __builtin_popcount(codes_used & ((std::uint32_t(1) << code) - 1));
}

// Made on any processor: each lane's code in a column gives one column of
// the matrix, spread down the profile rows.
template <class A, class S, int Lanes>
__attribute__((always_inline)) inline void scalar_profile(const Couples<A>& c, const Storage_Rows<S, Lanes>& rows) {
  const std::size_t n = std::size_t(c.len2), stride = n * Lanes;
  S* const profile = reinterpret_cast<S*>(rows.profile);
  int made = 0;
  S columns[A::size][A::size];  // each code's column of the matrix, window 1's codes only
  for (int code = 0; code < A::size; ++code) {
    if (!(c.codes_used >> code & 1)) continue;
    for (int other = 0; other < A::size; ++other) {
      columns[other][made] = S((*c.matrix)[std::size_t(code)][std::size_t(other)]);
    }
    ++made;
  }
  // Column by column, so that the vectors being written stay in the cache.
  for (std::size_t jj = 0; jj < n; ++jj) {
    for (int lane = 0; lane < Lanes; ++lane) {
      const S* const column = columns[std::size_t(c.codes_2[lane][jj])];
      S* out = profile + jj * Lanes + std::size_t(lane);
      for (int row = 0; row < made; ++row, out += stride) *out = column[row];
    }
  }
}

// The pair scores of a row, read from a profile made beforehand.
template <class S, int Lanes>
struct Profile_Pairs {
  using V = typename Vector<S, Lanes>::type;
  struct Row {
    const V* scores;
  };
  const V* profile;
  std::size_t len2;
  std::uint32_t codes_used;
  __attribute__((always_inline)) void row(int code, Row& r) const noexcept {
    r.scores = profile + std::size_t(profile_row(codes_used, code)) * len2;
  }
  __attribute__((always_inline)) void at(const Row& r, std::int32_t jj, V& pair) const noexcept { pair = r.scores[jj]; }
};

// The recurrences of one cell, from the cell below it (its H, and its E and
// Y, which become this cell's), the cell diagonal to it, the pair's score,
// and the row's horizontal chain (F, and X of the cell to its right, which
// becomes this cell's X). Exact: a vertical gap opens from Y, and Y is kept.
template <class S, int Lanes, Method M, bool Exact>
struct Recurrences {
  using V = typename Vector<S, Lanes>::type;
  V zero, g, l, gl;
  __attribute__((always_inline)) void cell(const V& below, V& e, V& y, const V& diag, const V& pair, V& f, V& x, V& h,
                                           V& d) const noexcept {
    const V extend = e + l, open = (Exact ? y : below) + gl;
    e = extend > open ? extend : open;
    d = diag + pair;
    V here = d > e ? d : e;
    if constexpr (M == Method::LOCAL) here = here > zero ? here : zero;
    const V reach = x + g;
    f = (f > reach ? f : reach) + l;
    h = f > here ? f : here;
    if constexpr (Exact) {
      y = d > f ? d : f;
      if constexpr (M == Method::LOCAL) y = y > zero ? y : zero;
    }
    x = here;
  }
};

// The pass over the rows laid out and the pairs ready. Rows go two to a
// sweep of the columns, the lower one taking the upper one's values from
// registers: a sweep reads and writes the rows of the storage once for
// both. The last row (and the one before it when they do not pair up) goes
// alone, where a global path's start cells are read.
template <class A, class S, Method M, bool Exact, int Lanes, class Pairs>
__attribute__((always_inline)) inline void qualities(const Couples<A>& c, const Storage_Rows<S, Lanes>& rows,
                                                     Pairs& pairs, std::int64_t* out) {
  using V = typename Vector<S, Lanes>::type;
  using Row = typename Pairs::Row;
  constexpr bool Local = M == Method::LOCAL, Charged_Ends = M == Method::GLOBAL_WEIGHTED_ENDS,
                 Free_Ends = M == Method::GLOBAL_FREE_ENDS;
  const std::int32_t len1 = c.codes_1.length(), n = c.len2;
  V* const h = rows.h;
  V* const e = rows.e;
  V* const y = rows.y;
  const S G = S(c.gap_weight), L = S(c.gap_length_weight);
  const V zero = V{};
  const V minus_infinity = zero + lane_minus_infinity<S>(c.gap_length_weight);
  const Recurrences<S, Lanes, M, Exact> r{zero, zero + G, zero + L, zero + S(G + L)};
  // H at the column beyond the last, in row Ii.
  const auto right_of = [&](std::int32_t ii) {
    return Charged_Ends ? S(std::int64_t(G) + std::int64_t(L) * (len1 - ii)) : S(0);
  };
  for (std::int32_t jj = 0; jj < n; ++jj) {
    if constexpr (Charged_Ends) {
      h[jj] = zero + S(std::int64_t(G) + std::int64_t(L) * (n - jj));
      e[jj] = h[jj];
    } else {
      h[jj] = zero;
      e[jj] = minus_infinity;
    }
    if constexpr (Exact) y[jj] = h[jj];
  }
  h[n] = zero;
  V best = zero + (!Local ? std::numeric_limits<S>::min() : S(0));
  std::int32_t ii = len1 - 1;
  for (; ii >= 2; ii -= 2) {
    Row row_a, row_b;
    pairs.row(int(c.codes_1.codes[ii]), row_a);
    pairs.row(int(c.codes_1.codes[ii - 1]), row_b);
    const V right_a = zero + right_of(ii), right_b = zero + right_of(ii - 1);
    V f_a = Charged_Ends ? right_a : minus_infinity, f_b = Charged_Ends ? right_b : minus_infinity;
    V x_a = right_a, x_b = right_b;
    V diag_a = h[n], diag_b = right_a;
    V start_a = zero;  // where the upper row's first cell leaves a global path's start
    h[n] = right_b;
    for (std::int32_t jj = n - 1; jj >= 0; --jj) {
      V p_a, p_b;
      pairs.at(row_a, jj, p_a);
      pairs.at(row_b, jj, p_b);
      const V below = h[jj];
      V ev = e[jj], yv = Exact ? y[jj] : below;
      V cell_a, cell_b, d;
      r.cell(below, ev, yv, diag_a, p_a, f_a, x_a, cell_a, d);
      diag_a = below;
      if constexpr (Local) best = best > cell_a ? best : cell_a;
      if constexpr (Free_Ends) start_a = Exact ? yv : cell_a;
      r.cell(cell_a, ev, yv, diag_b, p_b, f_b, x_b, cell_b, d);
      diag_b = cell_a;
      if constexpr (Local) best = best > cell_b ? best : cell_b;
      h[jj] = cell_b;
      e[jj] = ev;
      if constexpr (Exact) y[jj] = yv;
    }
    if constexpr (Free_Ends) {
      const V start_b = Exact ? y[0] : h[0];
      best = best > start_a ? best : start_a;
      best = best > start_b ? best : start_b;
    }
  }
  for (; ii >= 0; --ii) {
    Row row;
    pairs.row(int(c.codes_1.codes[ii]), row);
    const V right = zero + right_of(ii);
    V f = Charged_Ends ? right : minus_infinity;
    V x = right;
    V diag = h[n];
    V pair = zero;  // D of the row's first cell
    h[n] = right;
    for (std::int32_t jj = n - 1; jj >= 0; --jj) {
      V p;
      pairs.at(row, jj, p);
      const V below = h[jj];
      V ev = e[jj], yv = Exact ? y[jj] : below;
      V cell, d;
      r.cell(below, ev, yv, diag, p, f, x, cell, d);
      diag = below;
      h[jj] = cell;
      e[jj] = ev;
      if constexpr (Exact) {
        y[jj] = yv;
        if constexpr (Free_Ends) {
          // X of the last row, first column aside, are where a path starts.
          if (ii == 0 && jj > 0) best = best > x ? best : x;
          pair = d;
        }
      }
      if constexpr (Local) best = best > cell ? best : cell;
    }
    if constexpr (Free_Ends) {
      const V start = !Exact ? h[0] : ii > 0 ? y[0] : pair;
      best = best > start ? best : start;
    }
  }
  if constexpr (Free_Ends) {
    for (std::int32_t jj = Exact ? n : 1; jj <= n; ++jj) best = best > h[jj] ? best : h[jj];
  }
  if constexpr (Charged_Ends) best = h[0];
  for (int lane = 0; lane < Lanes; ++lane) out[lane] = best[lane];
}

// The pass of the couples' method and gap weights.
template <class A, class S, int Lanes, class Pairs>
__attribute__((always_inline)) inline void dispatch(const Couples<A>& c, const Storage_Rows<S, Lanes>& rows,
                                                    Pairs& pairs, std::int64_t* out) {
  by_method_and_gaps(
      c.method,
      exact_gaps(c.gap_weight, c.gap_length_weight), [&](auto method, auto exact) __attribute__((always_inline)) {
        qualities<A, S, method, exact, Lanes>(c, rows, pairs, out);
      });
}

// Over a profile made on any processor.
template <class A, class S, int Bytes>
__attribute__((always_inline)) inline void over_profile(const Couples<A>& c, void* storage, std::int64_t* out) {
  constexpr int Lanes = Bytes / int(sizeof(S));
  const Storage_Rows<S, Lanes> rows(storage, c.len2, layout_of<A, S, Bytes>(c));
  scalar_profile<A, S, Lanes>(c, rows);
  Profile_Pairs<S, Lanes> pairs{rows.profile, std::size_t(c.len2), c.codes_used};
  dispatch<A, S, Lanes>(c, rows, pairs, out);
}

// Sixteen bytes of lanes, on any processor: 4 in 32 bits, 8 in 16 bits.
template <class A, class S>
void generic_pass(const Couples<A>& c, void* storage, std::int64_t* out) {
  over_profile<A, S, generic_bytes>(c, storage, out);
}

#if SEQUENCE_ALIGNMENT_X86()

// The lanes' codes of each column, as a vector of Lanes elements of T.
template <class A, class T, int Lanes>
__attribute__((always_inline)) inline void lane_codes(const Couples<A>& c, void* place) {
  T* const codes = static_cast<T*>(place);
  for (std::size_t jj = 0; jj < std::size_t(c.len2); ++jj) {
    for (int lane = 0; lane < Lanes; ++lane) codes[jj * Lanes + std::size_t(lane)] = T(c.codes_2[lane][jj]);
  }
}

// With AVX2 and a matrix of bytes: a row of the profile is a byte table
// lookup of the lanes' codes, in two tables of 16 codes.
template <class A>
__attribute__((target("avx2"))) inline bool byte_profile(const Couples<A>& c,
                                                         const Storage_Rows<std::int16_t, avx2_bytes / 2>& rows) {
  constexpr int Lanes = avx2_bytes / 2;
  alignas(16) std::int8_t tables[A::size][32] = {};
  int made = 0;
  for (int code = 0; code < A::size; ++code) {
    if (!(c.codes_used >> code & 1)) continue;
    for (int other = 0; other < A::size; ++other) {
      const std::int32_t v = (*c.matrix)[std::size_t(code)][std::size_t(other)];
      if (v < -128 || v > 127) return false;
      tables[made][other] = std::int8_t(v);
    }
    ++made;
  }
  const std::size_t n = std::size_t(c.len2);
  lane_codes<A, std::int8_t, Lanes>(c, rows.codes);
  const auto* const codes = static_cast<const std::int8_t*>(rows.codes);
  auto* out = reinterpret_cast<__m256i*>(rows.profile);
  const __m128i fifteen = _mm_set1_epi8(15);
  for (int row = 0; row < made; ++row) {
    const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[row]));
    const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[row] + 16));
    for (std::size_t jj = 0; jj < n; ++jj) {
      const __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + jj * Lanes));
      const __m128i bytes =
          _mm_blendv_epi8(_mm_shuffle_epi8(low, index), _mm_shuffle_epi8(high, index), _mm_cmpgt_epi8(index, fifteen));
      _mm256_storeu_si256(out++, _mm256_cvtepi8_epi16(bytes));
    }
  }
  return true;
}

// Thirty-two bytes of lanes (8 or 16); only where the processor has AVX2.
template <class A, class S>
__attribute__((target("avx2"))) void avx2_pass(const Couples<A>& c, void* storage, std::int64_t* out) {
  constexpr int Lanes = avx2_bytes / int(sizeof(S));
  if constexpr (sizeof(S) == 2) {
    const Storage_Rows<S, Lanes> rows(storage, c.len2, layout_of<A, S, avx2_bytes>(c));
    if (byte_profile<A>(c, rows)) {
      Profile_Pairs<S, Lanes> pairs{rows.profile, std::size_t(c.len2), c.codes_used};
      dispatch<A, S, Lanes>(c, rows, pairs, out);
      return;
    }
  }
  over_profile<A, S, avx2_bytes>(c, storage, out);
}

// With AVX-512BW, no profile: each pair score is the matrix row of window
// 1's code, held in one register (two for 32-bit lanes), permuted by the
// lanes' codes of the column. The table of every code is made once a call.
template <class A, class S>
struct Permuted_Pairs {
  static constexpr int Lanes = avx512_bytes / int(sizeof(S));
  static_assert(A::size <= 32);
  using V = typename Vector<S, Lanes>::type;
  struct Row {
    __m512i first, second;
  };
  const __m512i* codes;
  alignas(64) S tables[A::size][32];
  __attribute__((target("avx512bw"))) Permuted_Pairs(const Couples<A>& c, const void* lane_codes)
      : codes(static_cast<const __m512i*>(lane_codes)), tables{} {
    for (int code = 0; code < A::size; ++code) {
      for (int other = 0; other < A::size; ++other) {
        tables[code][other] = S((*c.matrix)[std::size_t(code)][std::size_t(other)]);
      }
    }
  }
  __attribute__((target("avx512bw"))) void row(int code, Row& r) const noexcept {
    r.first = _mm512_load_si512(tables[code]);
    if constexpr (sizeof(S) == 4) r.second = _mm512_load_si512(tables[code] + 16);
  }
  __attribute__((target("avx512bw"))) void at(const Row& r, std::int32_t jj, V& pair) const noexcept {
    const __m512i index = _mm512_load_si512(codes + jj);
    if constexpr (sizeof(S) == 2) {
      pair = V(_mm512_permutexvar_epi16(index, r.first));
    } else {
      pair = V(_mm512_permutex2var_epi32(r.first, index, r.second));
    }
  }
};

// Sixty-four bytes of lanes (16 or 32); only where the processor has
// AVX-512BW. Flattened, so that the permutes come inline into the loops.
template <class A, class S>
__attribute__((target("avx512bw"), flatten)) void avx512_pass(const Couples<A>& c, void* storage, std::int64_t* out) {
  constexpr int Lanes = avx512_bytes / int(sizeof(S));
  const Storage_Rows<S, Lanes> rows(storage, c.len2, layout_of<A, S, avx512_bytes>(c));
  lane_codes<A, S, Lanes>(c, rows.codes);
  Permuted_Pairs<A, S> pairs(c, rows.codes);
  dispatch<A, S, Lanes>(c, rows, pairs, out);
}
#endif

template <class A>
using Pass_Function = void (*)(const Couples<A>&, void*, std::int64_t*);

// The function of a vector pass, which the processor must run.
template <class A>
Pass_Function<A> function_of(choice::Pass pass) noexcept {
  return choice::by_vector_pass(pass, []([[maybe_unused]] auto set, auto width) -> Pass_Function<A> {
    using S = std::conditional_t<width == choice::Lane_Width::BITS_16, std::int16_t, std::int32_t>;
#if SEQUENCE_ALIGNMENT_X86()
    if constexpr (set == choice::Instruction_Set::AVX512BW) return avx512_pass<A, S>;
    if constexpr (set == choice::Instruction_Set::AVX2) return avx2_pass<A, S>;
#endif
    return generic_pass<A, S>;
  });
}

}  // namespace sequence_alignment::kernel::couple_lanes
