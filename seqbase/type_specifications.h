// The basic numeric types and the angle scalings on single-precision floats.
#pragma once

#include <cstdint>

namespace type_specifications {

using Integer = std::int32_t;
using Float = float;

// X * 3.1415925 / 360.0 and X * 360.0 / 3.1415925 in single precision, the
// product rounded before the quotient. 3.1415925 is the constant as rounded
// to single precision, one step below the float nearest to pi.
Float Scale_By_Pi_Over_360(Float x) noexcept;
Float Scale_By_360_Over_Pi(Float x) noexcept;

}  // namespace type_specifications
