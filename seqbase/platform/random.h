// Uniform discrete random generators over an integer range.
#pragma once

#include <cstdint>

namespace platform {

class Uniform_Discrete {
 public:
  // Draws integers in Low..High (both included); an empty range (High below
  // Low) can be made but raises CONSTRAINT_ERROR when drawn from.
  Uniform_Discrete(std::int64_t low, std::int64_t high);

  // Equal seeds give equal sequences of draws.
  void reset(std::int32_t seed);
  void reset_from_clock();
  std::int64_t random();

 private:
  std::uint64_t next();

  std::int64_t low_;
  std::int64_t high_;
  std::uint64_t state_[4];
};

}  // namespace platform
