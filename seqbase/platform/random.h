// Uniform discrete random generators over an integer range.
#pragma once

#include <cstdint>

namespace platform {

// n mod D for any 64-bit n, by a multiplication and shifts; D (at least 1)
// is divided once, when the reduction is made.
class Remainder_By {
 public:
  explicit Remainder_By(std::uint64_t divisor) noexcept;
  std::uint64_t operator()(std::uint64_t n) const noexcept {
    const std::uint64_t t = std::uint64_t((unsigned __int128)multiplier_ * n >> 64);
    const std::uint64_t quotient = (t + ((n - t) >> shift_1_)) >> shift_2_;
    return n - quotient * divisor_;
  }

 private:
  std::uint64_t divisor_;
  std::uint64_t multiplier_;
  int shift_1_;
  int shift_2_;
};

class Uniform_Discrete {
 public:
  // Draws integers in Low..High (both included); an empty range (High below
  // Low) can be made but raises CONSTRAINT_ERROR when drawn from.
  Uniform_Discrete(std::int64_t low, std::int64_t high);

  // Equal seeds give equal sequences of draws.
  void reset(std::int32_t seed);
  void reset_from_clock();
  // Inline, so that a loop of draws (a shuffle) keeps the state in registers.
  std::int64_t random() {
    if (high_ < low_) [[unlikely]] refuse_empty_range();
    if (whole_span_) return std::int64_t(next());
    std::uint64_t draw;
    do {
      draw = next();
    } while (draw < threshold_);
    // Summed in unsigned 64 bits: a remainder beyond 2^63 - 1 (ranges wider
    // than half the span) would overflow a signed sum on the way to High.
    return std::int64_t(std::uint64_t(low_) + remainder_(draw));
  }

 private:
  std::uint64_t next() {  // xoshiro256**
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
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  [[noreturn]] static void refuse_empty_range();

  std::int64_t low_;
  std::int64_t high_;
  std::uint64_t state_[4];
  // Found once from the range: whether it is the whole 64-bit span (drawn
  // as is), the rejection threshold and the reduction by its size.
  bool whole_span_;
  std::uint64_t threshold_ = 0;
  Remainder_By remainder_;
};

}  // namespace platform
