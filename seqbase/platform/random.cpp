#include "platform/random.h"

#include <sys/time.h>
#include <unistd.h>

#include "platform/exceptions.h"

namespace platform {

namespace {

std::uint64_t splitmix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// The size of Low..High less 1 (all ones for the whole span); 0 for an
// empty range, which is never drawn from.
std::uint64_t span_of(std::int64_t low, std::int64_t high) {
  return high < low ? 0 : std::uint64_t(high) - std::uint64_t(low);
}

}  // namespace

// Division by an invariant integer, round-up method (Granlund and
// Montgomery). With 2^(l-1) < D <= 2^l and M = 2^64 + floor(2^64 (2^l - D)
// / D) + 1, M D lies in [2^(64+l), 2^(64+l) + 2^l], which makes
// floor(n / D) = floor(M n / 2^(64+l)) for every n below 2^64. With t the
// high half of (M - 2^64) n, so t <= n, that is floor((n + t) / 2^l),
// taken as (t + (n - t) / 2) / 2^(l-1) so that no sum exceeds 64 bits. For
// D = 1 (l = 0) the multiplier is 1, t is 0 and neither shift applies.
// M - 2^64 fits 64 bits because 2^l - D < D.
Remainder_By::Remainder_By(std::uint64_t divisor) noexcept : divisor_(divisor == 0 ? 1 : divisor) {
  const int l = divisor_ == 1 ? 0 : 64 - __builtin_clzll(divisor_ - 1);
  const unsigned __int128 above = ((unsigned __int128)1 << l) - divisor_;
  multiplier_ = std::uint64_t((above << 64) / divisor_) + 1;
  shift_1_ = l < 1 ? l : 1;
  shift_2_ = l > 1 ? l - 1 : 0;
}

Uniform_Discrete::Uniform_Discrete(std::int64_t low, std::int64_t high)
    : low_(low),
      high_(high),
      whole_span_(span_of(low, high) == ~std::uint64_t(0)),
      remainder_(span_of(low, high) + 1) {
  reset(0);
  // Draws below 2^64 mod Range are refused so that every value is equally likely.
  const std::uint64_t range = span_of(low, high) + 1;
  if (!whole_span_) threshold_ = remainder_(0 - range);
}

void Uniform_Discrete::reset(std::int32_t seed) {
  std::uint64_t x = std::uint64_t(std::uint32_t(seed)) ^ 0x5A524E5F524E4400ull;
  for (auto& word : state_) word = splitmix(x);
}

void Uniform_Discrete::reset_from_clock() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  // Two runs started in the same microsecond still differ by process id.
  std::uint64_t x = std::uint64_t(now.tv_sec) * 1000003u ^ std::uint64_t(now.tv_usec) << 20 ^
                    std::uint64_t(::getpid());
  for (auto& word : state_) word = splitmix(x);
}

void Uniform_Discrete::refuse_empty_range() {
  raise(standard::CONSTRAINT_ERROR, "random draw from an empty range");
}

}  // namespace platform
