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
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::lanes {

template <class S, int Lanes>
struct Vector;
template <>
struct Vector<std::int32_t, 4> {
  typedef std::int32_t type __attribute__((vector_size(16), aligned(4), may_alias));
};
template <>
struct Vector<std::int32_t, 8> {
  typedef std::int32_t type __attribute__((vector_size(32), aligned(4), may_alias));
};
template <>
struct Vector<std::int32_t, 16> {
  typedef std::int32_t type __attribute__((vector_size(64), aligned(4), may_alias));
};
template <>
struct Vector<std::int16_t, 8> {
  typedef std::int16_t type __attribute__((vector_size(16), aligned(2), may_alias));
};
template <>
struct Vector<std::int16_t, 16> {
  typedef std::int16_t type __attribute__((vector_size(32), aligned(2), may_alias));
};
template <>
struct Vector<std::int16_t, 32> {
  typedef std::int16_t type __attribute__((vector_size(64), aligned(2), may_alias));
};

template <class A>
struct Couples {
  Code_Window<typename A::code_type> codes_1;
  std::int32_t len2;
  const typename A::code_type* const* codes_2;  // Lanes windows of Len2 codes
  const typename A::matrix_type* matrix;
  std::int32_t gap_weight, gap_length_weight;
  bool global, end_weight;
  // The codes of window 1, a bit each: only their rows of the profile are
  // made.
  std::uint32_t codes_used = ~std::uint32_t(0);
};

// How many codes Codes_Used holds (those of window 1): a profile row each.
template <class A>
int profile_rows(std::uint32_t codes_used) noexcept {
  return __builtin_popcount(codes_used & ((std::uint32_t(1) << A::size) - 1));
}

// Storage: (Len2 + 1) H, Len2 E, Rows * Len2 profile vectors, and for the
// exact recurrences Len2 Y and Len2 X, in elements of the lanes' width.
template <class A>
std::size_t storage_size(int lanes, std::int32_t len2, int rows = A::size) noexcept {
  return std::size_t(lanes) * (std::size_t(len2) * (4 + std::size_t(rows)) + 1);
}
template <class A, int Lanes>
std::size_t storage_size(std::int32_t len2) noexcept {
  return storage_size<A>(Lanes, len2);
}

// Bytes on a cache-line boundary: a vector of the rows then never
// straddles two lines (measurably faster than wherever the heap puts it).
class Storage {
 public:
  explicit Storage(std::size_t bytes) : block_(bytes + line) {
    void* start = block_.data();
    std::size_t space = block_.size();
    data_ = std::align(line, bytes, start, space);
  }
  void* data() noexcept { return data_; }

 private:
  static constexpr std::size_t line = 64;
  std::vector<unsigned char> block_;
  void* data_;
};

// The gap chains start far below any value of the pass, where adding a gap
// weight cannot wrap: minus_infinity_16 in 16 bits, whose bound
// scores_fit_16_bits proves (these lanes add no scan steps).
template <class S>
constexpr S lane_minus_infinity(std::int32_t gap_length_weight) noexcept {
  if constexpr (sizeof(S) == 2) {
    return detail::minus_infinity_16(gap_length_weight);
  } else {
    return detail::minus_infinity_32;
  }
}

// The profile: for each code of window 1 and each column, the lanes'
// matrix scores, Matrix(code, Codes_2[lane](jj)). Only the codes of window 1
// have a row, in the order of the codes.
inline int profile_row(std::uint32_t codes_used, int code) noexcept {
  return __builtin_popcount(codes_used & ((std::uint32_t(1) << code) - 1));
}

template <class A, class S, int Lanes>
S* profile_of(S* storage, std::int32_t len2) noexcept {
  return storage + std::size_t(Lanes) * (2 * std::size_t(len2) + 1);
}

// Made on any processor: each lane's code in a column gives one column of
// the matrix, spread down the profile rows.
template <class A, class S, int Lanes>
__attribute__((always_inline)) inline void scalar_profile(const Couples<A>& c, S* storage) {
  const std::size_t n = std::size_t(c.len2), stride = n * Lanes;
  S* const profile = profile_of<A, S, Lanes>(storage, c.len2);
  int rows = 0;
  S columns[A::size][A::size];  // each code's column of the matrix, window 1's codes only
  for (int code = 0; code < A::size; ++code) {
    if (!(c.codes_used >> code & 1)) continue;
    for (int other = 0; other < A::size; ++other) {
      columns[other][rows] = S((*c.matrix)[std::size_t(code)][std::size_t(other)]);
    }
    ++rows;
  }
  // Column by column, so that the vectors being written stay in the cache.
  for (std::size_t jj = 0; jj < n; ++jj) {
    for (int lane = 0; lane < Lanes; ++lane) {
      const S* const column = columns[std::size_t(c.codes_2[lane][jj])];
      S* out = profile + jj * Lanes + std::size_t(lane);
      for (int row = 0; row < rows; ++row, out += stride) *out = column[row];
    }
  }
}

// The pass over a profile already made. Exact: the recurrences of the
// exact pass (a vertical gap opens from Y, free leading gaps go on from X
// and Y), for gaps that may cost nothing.
template <class A, class S, bool Global, bool Weighted, bool Exact, int Lanes>
__attribute__((always_inline)) inline void qualities(const Couples<A>& c, S* storage, std::int64_t* out) {
  using V = typename Vector<S, Lanes>::type;
  const std::int32_t len1 = c.codes_1.length(), n = c.len2;
  V* const h = reinterpret_cast<V*>(storage);
  V* const e = h + n + 1;
  const V* const profile = e + n;
  V* const y = e + n + std::size_t(profile_rows<A>(c.codes_used)) * std::size_t(n);
  V* const row_x = y + n;
  const S G = S(c.gap_weight), L = S(c.gap_length_weight), GL = S(G + L);
  const V zero = V{};
  const V minus_infinity = zero + lane_minus_infinity<S>(c.gap_length_weight);
  for (std::int32_t jj = 0; jj < n; ++jj) {
    if constexpr (Global && Weighted) {
      h[jj] = zero + S(std::int64_t(G) + std::int64_t(L) * (n - jj));
      e[jj] = h[jj];
    } else {
      h[jj] = zero;
      e[jj] = minus_infinity;
    }
    if constexpr (Exact) y[jj] = h[jj];
  }
  h[n] = zero;
  V best = zero + (Global ? std::numeric_limits<S>::min() : S(0));
  for (std::int32_t ii = len1 - 1; ii >= 0; --ii) {
    const V* const p = profile + std::size_t(profile_row(c.codes_used, int(c.codes_1.codes[ii]))) * std::size_t(n);
    const S right = Global && Weighted ? S(std::int64_t(G) + std::int64_t(L) * (len1 - ii)) : S(0);
    V f = Global && Weighted ? zero + right : minus_infinity;
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

template <class A, class S, bool Exact, int Lanes>
__attribute__((always_inline)) inline void dispatch_method(const Couples<A>& c, S* storage, std::int64_t* out) {
  if (!c.global) {
    qualities<A, S, false, false, Exact, Lanes>(c, storage, out);
  } else if (c.end_weight) {
    qualities<A, S, true, true, Exact, Lanes>(c, storage, out);
  } else {
    qualities<A, S, true, false, Exact, Lanes>(c, storage, out);
  }
}

template <class A, class S, int Lanes>
__attribute__((always_inline)) inline void dispatch(const Couples<A>& c, S* storage, std::int64_t* out) {
  if (exact_gaps(c.gap_weight, c.gap_length_weight)) {
    dispatch_method<A, S, true, Lanes>(c, storage, out);
  } else {
    dispatch_method<A, S, false, Lanes>(c, storage, out);
  }
}

// Sixteen bytes of lanes, on any processor: 4 in 32 bits, 8 in 16 bits.
template <class A, class S>
void generic_pass(const Couples<A>& c, S* storage, std::int64_t* out) {
  scalar_profile<A, S, int(16 / sizeof(S))>(c, storage);
  dispatch<A, S, int(16 / sizeof(S))>(c, storage, out);
}

#if defined(__x86_64__) || defined(__i386__)
#define SEQUENCE_ALIGNMENT_X86_LANES 1

// The lanes' codes of each column, as a vector of Lanes elements of T, in
// the rows' place for the exact recurrences (made afterwards).
template <class A, class T, int Lanes>
__attribute__((always_inline)) inline T* lane_codes(const Couples<A>& c, void* place) {
  T* const codes = static_cast<T*>(place);
  for (std::size_t jj = 0; jj < std::size_t(c.len2); ++jj) {
    for (int lane = 0; lane < Lanes; ++lane) codes[jj * Lanes + std::size_t(lane)] = T(c.codes_2[lane][jj]);
  }
  return codes;
}

template <class A, class S, int Lanes>
void* rows_place(const Couples<A>& c, S* storage) noexcept {
  return profile_of<A, S, Lanes>(storage, c.len2) +
         std::size_t(profile_rows<A>(c.codes_used)) * std::size_t(c.len2) * Lanes;
}

// With AVX2 and a matrix of bytes: a row of the profile is a byte table
// lookup of the lanes' codes, in two tables of 16 codes.
template <class A>
__attribute__((target("avx2"))) inline bool byte_profile(const Couples<A>& c, std::int16_t* storage) {
  constexpr int Lanes = 16;
  alignas(16) std::int8_t tables[A::size][32] = {};
  int rows = 0;
  for (int code = 0; code < A::size; ++code) {
    if (!(c.codes_used >> code & 1)) continue;
    for (int other = 0; other < A::size; ++other) {
      const std::int32_t v = (*c.matrix)[std::size_t(code)][std::size_t(other)];
      if (v < -128 || v > 127) return false;
      tables[rows][other] = std::int8_t(v);
    }
    ++rows;
  }
  const std::size_t n = std::size_t(c.len2);
  const auto* const codes = lane_codes<A, std::int8_t, Lanes>(c, rows_place<A, std::int16_t, Lanes>(c, storage));
  auto* out = reinterpret_cast<__m256i*>(profile_of<A, std::int16_t, Lanes>(storage, c.len2));
  const __m128i fifteen = _mm_set1_epi8(15);
  for (int row = 0; row < rows; ++row) {
    const __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[row]));
    const __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(tables[row] + 16));
    for (std::size_t jj = 0; jj < n; ++jj) {
      const __m128i index = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + jj * Lanes));
      const __m128i bytes = _mm_blendv_epi8(_mm_shuffle_epi8(low, index), _mm_shuffle_epi8(high, index),
                                            _mm_cmpgt_epi8(index, fifteen));
      _mm256_storeu_si256(out++, _mm256_cvtepi8_epi16(bytes));
    }
  }
  return true;
}

// With AVX-512BW: a row of the profile is a permutation of the matrix row
// by the lanes' codes (at most 32 codes).
template <class A, class S>
__attribute__((target("avx512bw"))) inline void permuted_profile(const Couples<A>& c, S* storage) {
  constexpr int Lanes = int(64 / sizeof(S));
  static_assert(A::size <= 32);
  const std::size_t n = std::size_t(c.len2);
  const S* const codes = lane_codes<A, S, Lanes>(c, rows_place<A, S, Lanes>(c, storage));
  auto* out = reinterpret_cast<__m512i*>(profile_of<A, S, Lanes>(storage, c.len2));
  for (int code = 0; code < A::size; ++code) {
    if (!(c.codes_used >> code & 1)) continue;
    alignas(64) S table[64 / sizeof(S) * (sizeof(S) == 4 ? 2 : 1)] = {};
    for (int other = 0; other < A::size; ++other) table[other] = S((*c.matrix)[std::size_t(code)][std::size_t(other)]);
    const __m512i first = _mm512_load_si512(table);
    for (std::size_t jj = 0; jj < n; ++jj) {
      const __m512i index = _mm512_loadu_si512(codes + jj * Lanes);
      if constexpr (sizeof(S) == 2) {
        _mm512_storeu_si512(out++, _mm512_permutexvar_epi16(index, first));
      } else {
        const __m512i second = _mm512_load_si512(table + 16);
        _mm512_storeu_si512(out++, _mm512_permutex2var_epi32(first, index, second));
      }
    }
  }
}

// Thirty-two bytes of lanes (8 or 16); only where the processor has AVX2.
template <class A, class S>
__attribute__((target("avx2"))) void avx2_pass(const Couples<A>& c, S* storage, std::int64_t* out) {
  bool made = false;
  if constexpr (sizeof(S) == 2) made = byte_profile<A>(c, storage);
  if (!made) scalar_profile<A, S, int(32 / sizeof(S))>(c, storage);
  dispatch<A, S, int(32 / sizeof(S))>(c, storage, out);
}

// Sixty-four bytes of lanes (16 or 32); only where the processor has
// AVX-512BW.
template <class A, class S>
__attribute__((target("avx512bw"))) void avx512_pass(const Couples<A>& c, S* storage, std::int64_t* out) {
  permuted_profile<A, S>(c, storage);
  dispatch<A, S, int(64 / sizeof(S))>(c, storage, out);
}
#endif

// Four couples at once in 32 bits, on any processor.
template <class A>
void qualities_4(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  generic_pass<A, std::int32_t>(c, storage, out);
}

#ifdef SEQUENCE_ALIGNMENT_X86_LANES
// Eight couples at once in 32 bits; only where the processor has AVX2.
template <class A>
void qualities_8(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  avx2_pass<A, std::int32_t>(c, storage, out);
}
#endif

}  // namespace sequence_alignment::kernel::lanes
