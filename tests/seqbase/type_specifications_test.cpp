#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "type_specifications.h"

using namespace type_specifications;

TEST(TypeSpecifications, ScalingsAreExactInSinglePrecision) {
  static_assert(sizeof(Integer) == 4 && sizeof(Float) == 4);
  // Each result is the single-precision product rounded, then divided and
  // rounded; folding the constants, or the float nearest to pi, gives the
  // neighbouring value for most of these.
  struct Case {
    Float x;
    Float by_pi_over_360;
    Float by_360_over_pi;
  };
  const Case cases[] = {
      {1.0f, 0x1.1df46ap-7f, 0x1.ca5dc4p+6f},
      {180.0f, 0x1.921fb4p+0f, 0x1.4249eep+14f},
      {360.0f, 0x1.921fb4p+1f, 0x1.4249eep+15f},
      {-90.0f, -0x1.921fb4p-1f, -0x1.4249eep+13f},
      {0.1f, 0x1.c9870ep-11f, 0x1.6eb168p+3f},
      {1000.0f, 0x1.1740aep+3f, 0x1.bf9f90p+16f},
      {0.0f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Scale_By_Pi_Over_360(c.x), c.by_pi_over_360) << c.x;
    EXPECT_EQ(Scale_By_360_Over_Pi(c.x), c.by_360_over_pi) << c.x;
  }
  // The product overflows before the quotient could bring it back.
  EXPECT_EQ(Scale_By_360_Over_Pi(std::numeric_limits<Float>::max()),
            std::numeric_limits<Float>::infinity());
}

TEST(TypeSpecifications, ScalingsMatchAWiderReference) {
  // A product or quotient of two floats computed in double and rounded once
  // to float is the correctly rounded float result.
  const double pi = double(3.1415925f);
  for (Float x = -1000.0f; x <= 1000.0f; x += 0.37f) {
    const Float product = Float(double(x) * pi);
    EXPECT_EQ(Scale_By_Pi_Over_360(x), Float(double(product) / 360.0)) << x;
    const Float scaled = Float(double(x) * 360.0);
    EXPECT_EQ(Scale_By_360_Over_Pi(x), Float(double(scaled) / pi)) << x;
  }
}
