// The vector layer of the row passes: a row's columns in vectors of 16-bit
// or 32-bit lanes, 16, 32 or 64 bytes wide (the GCC and clang vector
// extensions), the lane shifts, and the suffix scans that run a chain of
// cells across a vector in log2(width) steps. Everything here is inlined
// into functions compiled for one instruction set
// (sequence_alignment-kernel-column_lanes).
//
// Vectors go to these helpers by reference and come back through a
// reference: a vector wider than 16 bytes passed by value to a function
// compiled without AVX is refused by clang, even when inlined.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sequence_alignment::kernel::simd {

#define SEQUENCE_ALIGNMENT_INLINE __attribute__((always_inline)) inline

// Lane t of a vector holds the column First + t of a block of a row.
template <int Bytes, class T>
struct Lanes {
  static constexpr int width = Bytes / int(sizeof(T));
  using value_type = T;
  using unsigned_type = std::make_unsigned_t<T>;
  typedef T vector __attribute__((vector_size(Bytes)));
  typedef unsigned_type unsigned_vector __attribute__((vector_size(Bytes)));
  typedef std::uint8_t bytes __attribute__((vector_size(Bytes / sizeof(T))));
};

template <class V>
inline constexpr int width_of = int(sizeof(V) / sizeof(std::declval<V>()[0]));

template <class V, class T>
SEQUENCE_ALIGNMENT_INLINE void load(V& out, const T* from) noexcept {
  std::memcpy(&out, from, sizeof(V));
}
template <class V, class T>
SEQUENCE_ALIGNMENT_INLINE void store(T* to, const V& v) noexcept {
  std::memcpy(to, &v, sizeof(V));
}

// Every lane Value.
template <class V, class T>
SEQUENCE_ALIGNMENT_INLINE void fill(V& out, T value) noexcept {
  using E = std::remove_reference_t<decltype(out[0])>;
  out = V{} + E(value);
}

// Lane t, for t from 0 to Width - 1: 0 + Step * (t + Offset).
template <class V>
SEQUENCE_ALIGNMENT_INLINE void steps(V& out, std::int64_t step, std::int64_t offset) noexcept {
  using E = std::remove_reference_t<decltype(out[0])>;
  for (int t = 0; t < width_of<V>; ++t) out[t] = E(step * (t + offset));
}

namespace detail {
template <std::size_t Bytes>
struct Halves {
  typedef std::uint16_t type __attribute__((vector_size(Bytes)));
};
template <std::size_t Bytes>
struct Words {
  typedef std::uint64_t type __attribute__((vector_size(Bytes)));
};
template <int S, class V, std::size_t... I>
SEQUENCE_ALIGNMENT_INLINE void from_right(V& out, const V& v, const V& beyond, std::index_sequence<I...>) noexcept {
  out = __builtin_shufflevector(v, beyond, (int(I) + S)...);
}
template <class V, std::size_t... I>
SEQUENCE_ALIGNMENT_INLINE void first_lane(V& out, const V& v, std::index_sequence<I...>) noexcept {
  out = __builtin_shufflevector(v, v, (int(I) * 0)...);
}
}  // namespace detail

// Lane t takes lane t + S of V, the last S lanes the first lanes of Beyond:
// each column takes the value of the column S to its right.
template <int S, class V>
SEQUENCE_ALIGNMENT_INLINE void from_right(V& out, const V& v, const V& beyond) noexcept {
#if defined(__SSE2__) && !defined(__SSSE3__)
  if constexpr (sizeof(V) == 16) {
    // Baseline x86 has no lane-pair shift (palignr): two byte shifts,
    // where the compiler would move lane by lane.
    constexpr int bytes = S * int(sizeof(v[0]));
    const __m128i low = _mm_srli_si128(reinterpret_cast<const __m128i&>(v), bytes);
    const __m128i high = _mm_slli_si128(reinterpret_cast<const __m128i&>(beyond), 16 - bytes);
    const __m128i both = _mm_or_si128(low, high);
    std::memcpy(&out, &both, 16);
    return;
  }
#endif
  detail::from_right<S>(out, v, beyond, std::make_index_sequence<std::size_t(width_of<V>)>());
}

// Lane 0 of V in every lane.
template <class V>
SEQUENCE_ALIGNMENT_INLINE void first_lane(V& out, const V& v) noexcept {
  detail::first_lane(out, v, std::make_index_sequence<std::size_t(width_of<V>)>());
}

// Lane t := the maximum of lanes t to Width - 1, in log2(Width) steps of
// shift and max (the scan never adds, so Floor may be the lowest value).
template <int S = 1, class V>
SEQUENCE_ALIGNMENT_INLINE void suffix_max(V& v, const V& floor) noexcept {
  if constexpr (S < width_of<V>) {
    V shifted;
    from_right<S>(shifted, v, floor);
    v = v > shifted ? v : shifted;
    suffix_max<2 * S>(v, floor);
  }
}

// The same, and At := At of the last of the lanes t to Width - 1 that
// hold the maximum, in one chain of steps (Beyond: the positions shifted
// in with Floor).
template <int S = 1, class V, class P>
SEQUENCE_ALIGNMENT_INLINE void suffix_max_at(V& v, P& at, const V& floor, const P& beyond) noexcept {
  if constexpr (S < width_of<V>) {
    V shifted;
    P shifted_at;
    from_right<S>(shifted, v, floor);
    from_right<S>(shifted_at, at, beyond);
    at = (shifted >= v) ? shifted_at : at;
    v = v > shifted ? v : shifted;
    suffix_max_at<2 * S>(v, at, floor, beyond);
  }
}

// The low byte of each lane. From 32-bit lanes by way of 16 bits: the
// compiler expands the direct conversion lane by lane.
template <class B, class V>
SEQUENCE_ALIGNMENT_INLINE void to_bytes(B& out, const V& v) noexcept {
  if constexpr (sizeof(v[0]) == 4) {
    using Halves = typename detail::Halves<sizeof(V) / 2>::type;
    const Halves halves = __builtin_convertvector(v, Halves);
    out = __builtin_convertvector(halves, B);
  } else {
    out = __builtin_convertvector(v, B);
  }
}

// Whether some lane of a comparison mask is set.
template <class V>
SEQUENCE_ALIGNMENT_INLINE bool any(const V& mask) noexcept {
  static_assert(sizeof(V) % 8 == 0);
  typename detail::Words<sizeof(V)>::type words;
  std::memcpy(&words, &mask, sizeof(V));
  std::uint64_t all = 0;
  for (int w = 0; w < int(sizeof(V) / 8); ++w) all |= words[w];
  return all != 0;
}

// The largest lane.
template <class V>
SEQUENCE_ALIGNMENT_INLINE std::int64_t largest(const V& v) noexcept {
  std::int64_t best = v[0];
  for (int t = 1; t < width_of<V>; ++t) best = best > v[t] ? best : std::int64_t(v[t]);
  return best;
}

}  // namespace sequence_alignment::kernel::simd
