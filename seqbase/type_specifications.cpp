#include "type_specifications.h"

namespace type_specifications {

namespace {

constexpr Float pi = 3.1415925f;
constexpr Float degrees = 360.0f;

}  // namespace

// The product is kept in a Float of its own so that it is rounded to single
// precision before the division; nothing is reassociated without fast-math.
Float Scale_By_Pi_Over_360(Float x) noexcept {
  const Float product = x * pi;
  return product / degrees;
}

Float Scale_By_360_Over_Pi(Float x) noexcept {
  const Float product = x * degrees;
  return product / pi;
}

}  // namespace type_specifications
