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

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

Uniform_Discrete::Uniform_Discrete(std::int64_t low, std::int64_t high) : low_(low), high_(high) {
  reset(0);
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

std::uint64_t Uniform_Discrete::next() {  // xoshiro256**
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

std::int64_t Uniform_Discrete::random() {
  if (high_ < low_) raise(standard::CONSTRAINT_ERROR, "random draw from an empty range");
  const std::uint64_t span = std::uint64_t(high_) - std::uint64_t(low_);
  if (span == ~std::uint64_t(0)) return std::int64_t(next());
  const std::uint64_t range = span + 1;
  // Draws below 2^64 mod Range are refused so that every value is equally likely.
  const std::uint64_t threshold = (0 - range) % range;
  std::uint64_t draw;
  do {
    draw = next();
  } while (draw < threshold);
  return low_ + std::int64_t(draw % range);
}

}  // namespace platform
