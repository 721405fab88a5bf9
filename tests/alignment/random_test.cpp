#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "alignment_random.h"
#include "platform/random.h"

using namespace alignment_random;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;
using sequence_specifications::basic::Amino_Acid_Array;
using sequence_specifications::basic::Nucleotide_Array;

namespace {

constexpr std::int32_t seed = 20240611;

// A generator like the program-wide one, reset from the same seed, to tell
// how many draws a shuffle took from it.
platform::Uniform_Discrete twin_of_program_generator() {
  platform::Uniform_Discrete twin(std::numeric_limits<std::int32_t>::min(),
                                  std::numeric_limits<std::int32_t>::max());
  twin.reset(seed);
  return twin;
}

Nucleotide_Array nucleotides(std::int32_t first, const std::vector<int>& codes) {
  Nucleotide_Array array = Nucleotide_Array::make(first, std::int32_t(first + codes.size() - 1));
  for (std::size_t i = 0; i < codes.size(); ++i) array.data()[i] = Nucleotide(codes[i]);
  return array;
}

std::vector<int> contents(const Nucleotide_Array& array) {
  std::vector<int> codes;
  for (Nucleotide n : array.span()) codes.push_back(int(n));
  return codes;
}

}  // namespace

TEST(Significance, FirstRowWhoseCriticalValueIsExceeded) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  struct Case {
    float z;
    float expected;
  };
  const Case cases[] = {
      {2.0f, 5.0f},               // row 12: 1.96 < 2.0
      {1.96f, 6.0f},              // row 12 fails the strict test, row 13 matches
      {7.0f, 0x1.ad7f28p-24f},    // 100 * 1e-9 in 32-bit arithmetic, just below 1e-7f
      {infinity, 0x1.ad7f28p-24f},
      {6.10941f, 1e-06f},         // equal to row 1's Z: row 2, 100 * 1e-8
      {0.5f, 70.0f},              // row 27: 0.524 is not exceeded, 0.385 is
      {0.013f, 100.0f},           // only row 31 (Z 0) remains
      {0.0131f, 99.0f},           // row 30
      {1e-30f, 100.0f},
      {0.0f, 100.0f},             // no row: Z must exceed 0
      {-3.0f, 100.0f},
      {-infinity, 100.0f},
      {nan, 100.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Significance(c.z), c.expected) << "Z " << c.z;
  }
}

TEST(Shuffle, KeepsTheCodesAndTakesOneProgramDraw) {
  std::vector<int> codes;
  for (int i = 0; i < 40; ++i) codes.push_back(i % 15);
  Nucleotide_Array array = nucleotides(11, codes);  // bounds 11..50, not from 1

  Program_Generator().reset(seed);
  Shuffle_Nucleotides(array);
  platform::Uniform_Discrete twin = twin_of_program_generator();
  twin.random();
  EXPECT_EQ(Program_Generator().random(), twin.random());

  EXPECT_EQ(array.first(), 11);
  EXPECT_EQ(array.last(), 50);
  std::vector<int> shuffled = contents(array);
  EXPECT_NE(shuffled, codes);
  std::sort(shuffled.begin(), shuffled.end());
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(shuffled, codes);
}

TEST(Shuffle, EmptyOrSingleArraysAreUnchangedButStillDraw) {
  Nucleotide_Array one = nucleotides(7, {3});
  Nucleotide_Array empty = Nucleotide_Array::make(5, 4);
  Nucleotide_Array none;
  Nucleotide_Array* arrays[] = {&one, &empty, &none};
  for (Nucleotide_Array* array : arrays) {
    Program_Generator().reset(seed);
    Shuffle_Nucleotides(*array);
    platform::Uniform_Discrete twin = twin_of_program_generator();
    twin.random();
    EXPECT_EQ(Program_Generator().random(), twin.random());
  }
  EXPECT_EQ(contents(one), std::vector<int>{3});
  EXPECT_EQ(one.first(), 7);
  EXPECT_EQ(empty.first(), 5);
  EXPECT_EQ(empty.last(), 4);
  EXPECT_TRUE(none.is_null());
}

TEST(Shuffle, EqualSeedsGiveEqualShuffles) {
  auto shuffled_amino_acids = [](std::int32_t from_seed) {
    Amino_Acid_Array array = Amino_Acid_Array::make(1, 24);
    for (int i = 0; i < 24; ++i) array.data()[i] = Amino_Acid(i);
    Program_Generator().reset(from_seed);
    Shuffle_Amino_Acids(array);
    Shuffle_Amino_Acids(array);  // starts from the order the first one left
    return std::vector<Amino_Acid>(array.span().begin(), array.span().end());
  };
  const std::vector<Amino_Acid> first = shuffled_amino_acids(seed);
  EXPECT_EQ(shuffled_amino_acids(seed), first);
  EXPECT_NE(shuffled_amino_acids(seed + 1), first);
  std::vector<Amino_Acid> sorted = first;
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < 24; ++i) EXPECT_EQ(sorted[std::size_t(i)], Amino_Acid(i));
}

TEST(ProgramGenerator, DrawsOverTheWhole32BitRange) {
  Program_Generator().reset(seed);
  std::int64_t low = 0;
  std::int64_t high = 0;
  for (int i = 0; i < 1000; ++i) {
    const std::int64_t draw = Program_Generator().random();
    ASSERT_GE(draw, std::numeric_limits<std::int32_t>::min());
    ASSERT_LE(draw, std::numeric_limits<std::int32_t>::max());
    low = std::min(low, draw);
    high = std::max(high, draw);
  }
  EXPECT_LT(low, -(std::int64_t(1) << 30));
  EXPECT_GT(high, std::int64_t(1) << 30);
}
