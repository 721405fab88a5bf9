// The score-only pass for several couples at once, one per vector lane:
// sequence 1's window with as many windows of sequence 2 of one length (the
// randomisation rounds). Each lane follows the recurrences of the scalar
// passes exactly, in 32 bits (the caller has checked the bound). Eight
// lanes need AVX2, chosen at run time on x86; elsewhere four lanes of the
// generic vectors serve.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::lanes {

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

// Storage_Size int32 on a cache-line boundary: a vector of the rows then
// never straddles two lines (measurably faster than wherever the heap puts it).
class Storage {
 public:
  explicit Storage(std::size_t int32_count) : block_(int32_count + line / sizeof(std::int32_t)) {
    void* start = block_.data();
    std::size_t space = block_.size() * sizeof(std::int32_t);
    data_ = static_cast<std::int32_t*>(std::align(line, int32_count * sizeof(std::int32_t), start, space));
  }
  std::int32_t* data() noexcept { return data_; }

 private:
  static constexpr std::size_t line = 64;
  std::vector<std::int32_t> block_;
  std::int32_t* data_;
};

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

#if defined(__x86_64__) || defined(__i386__)
#define SEQUENCE_ALIGNMENT_EIGHT_LANES 1
#endif

// Four couples at once, on any processor.
template <class A>
void qualities_4(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  dispatch<A, 4>(c, storage, out);
}

#ifdef SEQUENCE_ALIGNMENT_EIGHT_LANES
// Eight couples at once; only where lane_count() says 8.
template <class A>
__attribute__((target("avx2"))) void qualities_8(const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
  dispatch<A, 8>(c, storage, out);
}
#endif

// How many couples one pass of this processor scores: 8 or 4.
inline int lane_count() noexcept {
#ifdef SEQUENCE_ALIGNMENT_EIGHT_LANES
  return __builtin_cpu_supports("avx2") ? 8 : 4;
#else
  return 4;
#endif
}

// Up to Lanes_Wanted couples (4 or 8) by the widest pass there is.
template <class A>
void qualities(int lanes_wanted, const Couples<A>& c, std::int32_t* storage, std::int64_t* out) {
#ifdef SEQUENCE_ALIGNMENT_EIGHT_LANES
  if (lanes_wanted == 8) {
    qualities_8<A>(c, storage, out);
    return;
  }
#endif
  (void)lanes_wanted;
  qualities_4<A>(c, storage, out);
}

}  // namespace sequence_alignment::kernel::lanes
