// The random draws against the division-based algorithm they replace: the
// same generator state must give the same values for every range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "platform/random.h"

using platform::Remainder_By;
using platform::Uniform_Discrete;

namespace {

constexpr std::uint64_t top = ~std::uint64_t(0);
constexpr std::int64_t int64_min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t int64_max = std::numeric_limits<std::int64_t>::max();

// The generator as it was: xoshiro256** seeded by splitmix64, rejection
// below 2^64 mod Range, then a remainder, both by division (Low and the
// remainder summed unsigned, as a signed sum overflows for the widest ranges).
class Reference_Generator {
 public:
  Reference_Generator(std::int64_t low, std::int64_t high, std::int32_t seed) : low_(low), high_(high) {
    std::uint64_t x = std::uint64_t(std::uint32_t(seed)) ^ 0x5A524E5F524E4400ull;
    for (auto& word : state_) {
      std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      word = z ^ (z >> 31);
    }
  }
  std::int64_t random() {
    const std::uint64_t span = std::uint64_t(high_) - std::uint64_t(low_);
    if (span == top) return std::int64_t(next());
    const std::uint64_t range = span + 1;
    const std::uint64_t threshold = (0 - range) % range;
    std::uint64_t draw;
    do {
      draw = next();
    } while (draw < threshold);
    return std::int64_t(std::uint64_t(low_) + draw % range);
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }
  std::int64_t low_, high_;
  std::uint64_t state_[4];
};

// Divisors where a reciprocal is most likely to be off by one: powers of
// two and their neighbours at every size, the ends of the 64-bit span, and
// random ones of every length.
std::vector<std::uint64_t> hard_divisors() {
  std::vector<std::uint64_t> divisors{1, 2, 3, 5, 6, 7, 10, 15, 24, 300, 641, 6700417, 1000000007ull,
                                      top, top - 1, top / 2, top / 3, top / 3 + 1, 0xAAAAAAAAAAAAAAABull};
  for (int k = 1; k < 64; ++k) {
    const std::uint64_t p = std::uint64_t(1) << k;
    divisors.insert(divisors.end(), {p - 1, p, p + 1});
  }
  std::mt19937_64 random(19);
  for (int k = 0; k < 300; ++k) divisors.push_back((random() >> (k % 64)) | 1);
  return divisors;
}

}  // namespace

TEST(RandomDraws, RemainderByMultiplicationIsExact) {
  std::mt19937_64 random(23);
  for (const std::uint64_t d : hard_divisors()) {
    const Remainder_By remainder(d);
    // The numbers around multiples of D (where the quotient steps), the
    // largest multiple, the ends of the span and random ones.
    const std::uint64_t last_multiple = top / d * d;
    std::vector<std::uint64_t> numbers{0, 1, top, top - 1, std::uint64_t(1) << 63, (std::uint64_t(1) << 63) - 1,
                                       last_multiple, last_multiple - 1, 0 - d};
    for (std::uint64_t k : {std::uint64_t(1), std::uint64_t(2), std::uint64_t(3), top / d / 2, top / d}) {
      if (k == 0 || k > top / d) continue;
      for (std::uint64_t delta : {std::uint64_t(0), std::uint64_t(1), std::uint64_t(2)}) {
        numbers.push_back(k * d - delta);
        if (k * d + delta >= k * d) numbers.push_back(k * d + delta);
      }
    }
    for (int k = 0; k < 200; ++k) numbers.push_back(random() >> (k % 64));
    for (const std::uint64_t n : numbers) {
      ASSERT_EQ(remainder(n), n % d) << n << " mod " << d;
    }
  }
}

TEST(RandomDraws, SameValuesAsTheDivisionBasedDraws) {
  struct Range {
    std::int64_t low, high;
  };
  std::vector<Range> ranges{
      {5, 9},          {0, 0},           {-3, -3},        {1, 2},          {0, 1},           {1, 300},
      {11, 50},        {0, 14},          {1, 64},         {0, 1023},       {-512, 511},      {7, 7 + 255},
      {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()},  // 2^32
      {0, (std::int64_t(1) << 31) - 2}, {0, (std::int64_t(1) << 31) - 1}, {0, std::int64_t(1) << 31},
      {1, std::numeric_limits<std::int32_t>::max()},   {-100, std::int64_t(1) << 32},
      {0, int64_max - 1}, {0, int64_max},  {-1, int64_max}, {int64_min, -1},  {int64_min, 0},
      {int64_min, int64_max - 1},  {int64_min + 1, int64_max},  {int64_min, int64_max},  // the whole span
      {int64_min / 2, int64_max / 2 + 1}, {-(std::int64_t(1) << 62), std::int64_t(1) << 62},
  };
  std::mt19937_64 random(29);
  for (int k = 0; k < 40; ++k) {
    const std::int64_t a = std::int64_t(random() >> (k % 63)), b = std::int64_t(random() >> (k % 63));
    ranges.push_back({std::min(a, b) - std::int64_t(k), std::max(a, b)});
  }
  for (const Range& r : ranges) {
    for (const std::int32_t seed : {0, 1, -1, 1234, 20240611, std::numeric_limits<std::int32_t>::min()}) {
      Uniform_Discrete generator(r.low, r.high);
      generator.reset(seed);
      Reference_Generator reference(r.low, r.high, seed);
      for (int draw = 0; draw < 500; ++draw) {
        ASSERT_EQ(generator.random(), reference.random())
            << "range " << r.low << ".." << r.high << ", seed " << seed << ", draw " << draw;
      }
    }
  }
  // Before any reset the generator is seeded with 0.
  Uniform_Discrete fresh(1, 6);
  Reference_Generator reference(1, 6, 0);
  for (int draw = 0; draw < 50; ++draw) ASSERT_EQ(fresh.random(), reference.random());
}
