#include "alignment_random.h"

#include <array>
#include <limits>
#include <utility>

namespace alignment_random {

namespace {

struct Significance_Row {
  float p;  // two-sided tail probability of the standard normal law
  float z;  // its critical value
};

// Falling critical values, so the first row that Z exceeds gives the
// smallest tabulated probability.
constexpr std::array<Significance_Row, 31> significance_table{{
    {1e-09f, 6.10941f}, {1e-08f, 5.73073f}, {1e-07f, 5.32672f}, {1e-06f, 4.89164f},
    {1e-05f, 4.41717f}, {0.0001f, 3.89059f}, {0.001f, 3.29053f}, {0.01f, 2.576f},
    {0.02f, 2.326f},    {0.03f, 2.17f},      {0.04f, 2.054f},   {0.05f, 1.96f},
    {0.06f, 1.881f},    {0.07f, 1.812f},     {0.08f, 1.751f},   {0.09f, 1.695f},
    {0.1f, 1.645f},     {0.15f, 1.44f},      {0.2f, 1.282f},    {0.25f, 1.15f},
    {0.3f, 1.036f},     {0.35f, 0.935f},     {0.4f, 0.842f},    {0.45f, 0.755f},
    {0.5f, 0.674f},     {0.6f, 0.524f},      {0.7f, 0.385f},    {0.8f, 0.253f},
    {0.9f, 0.126f},     {0.99f, 0.013f},     {1.0f, 0.0f},
}};

constexpr float percent = 100.0f;

template <class Array>
void shuffle(Array& codes) {
  // The draw comes first, whatever the array, so that every shuffle moves
  // the program-wide generator by exactly one step.
  const auto seed = std::int32_t(Program_Generator().random());
  if (codes.is_null() || codes.last() < codes.first()) return;
  platform::Uniform_Discrete local(codes.first(), codes.last());
  local.reset(seed);
  const std::int64_t length = std::int64_t(codes.last()) - codes.first() + 1;
  for (std::int64_t step = 0; step < length; ++step) {
    const auto i = std::int32_t(local.random());
    const auto j = std::int32_t(local.random());
    std::swap(codes(i), codes(j));
  }
}

}  // namespace

platform::Uniform_Discrete& Program_Generator() {
  static platform::Uniform_Discrete generator = [] {
    platform::Uniform_Discrete made(std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
    made.reset_from_clock();
    return made;
  }();
  return generator;
}

void Shuffle_Nucleotides(sequence_specifications::basic::Nucleotide_Array& codes) {
  shuffle(codes);
}

void Shuffle_Amino_Acids(sequence_specifications::basic::Amino_Acid_Array& codes) {
  shuffle(codes);
}

float Significance(float z_score) {
  for (const Significance_Row& row : significance_table) {
    if (z_score > row.z) return percent * row.p;
  }
  return percent;
}

}  // namespace alignment_random
