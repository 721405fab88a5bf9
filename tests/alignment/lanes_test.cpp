// The randomisation rounds scored several at once, one per vector lane,
// against the score-only pass of each couple alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-couple_lanes.h"
#include "path_oracle.h"

using namespace sequence_alignment;
using namespace sequence_alignment::kernel;

namespace {

template <class A>
void check_lanes(std::uint32_t seed, int trials) {
  using Code = typename A::code_type;
  std::mt19937 random(seed);
  for (int trial = 0; trial < trials; ++trial) {
    std::uniform_int_distribution<int> length(1, 40), code(0, A::size - 1), value(-9, 9);
    std::vector<Code> a(std::size_t(length(random)));
    for (Code& x : a) x = Code(code(random));
    const std::int32_t len2 = length(random);
    std::vector<std::vector<Code>> b(8, std::vector<Code>(std::size_t(len2)));
    for (auto& w : b) {
      for (Code& x : w) x = Code(code(random));
    }
    typename A::matrix_type matrix;
    for (auto& row : matrix) {
      for (auto& v : row) v = value(random);
    }
    // Gap weights of either sign: the rows of the lanes follow the same
    // rules as the scalar pass, openings that reward included.
    const std::int32_t gap = std::uniform_int_distribution<int>(-12, 3)(random);
    const std::int32_t gap_length = std::uniform_int_distribution<int>(-4, 1)(random);
    const Code_Window<Code> w1{a.data(), 7, std::int32_t(7 + a.size() - 1)};
    std::vector<const Code*> windows;
    for (const auto& w : b) windows.push_back(w.data());
    for (const Method method : every_method) {
      SCOPED_TRACE("trial " + std::to_string(trial) + ", " + path_oracle::name(method));
      ASSERT_TRUE(bounds::scores_fit_32_bits(matrix, w1.length(), len2, gap, gap_length));
      const couple_lanes::Couples<A> couples{w1, len2, windows.data(), &matrix, gap, gap_length, method};
      std::int64_t four[4], eight[8];
      couple_lanes::Storage narrow(
          couple_lanes::storage_size(couple_lanes::layout_of<A, std::int32_t, 16>(couples), len2));
      couple_lanes::generic_pass<A, std::int32_t>(couples, narrow.data(), four);
#ifdef SEQUENCE_ALIGNMENT_X86
      const bool wide = Runs_Here(Rounds_Pass::avx2_32);
      couple_lanes::Storage storage(
          couple_lanes::storage_size(couple_lanes::layout_of<A, std::int32_t, 32>(couples), len2));
      if (wide) couple_lanes::avx2_pass<A, std::int32_t>(couples, storage.data(), eight);
#else
      const bool wide = false;
#endif
      for (int lane = 0; lane < 8; ++lane) {
        const Problem<A> one{w1, {b[std::size_t(lane)].data(), 1, len2}, &matrix, gap, gap_length, method};
        const std::int32_t expected = Compute_Quality<A>(one);
        if (lane < 4) {
          EXPECT_EQ(four[lane], expected) << "lane " << lane;
        }
        if (wide) {
          EXPECT_EQ(eight[lane], expected) << "lane " << lane;
        }
      }
    }
  }
}

}  // namespace

TEST(RandomisationLanes, AgreeWithTheScoreOnlyPass) {
  check_lanes<Nucleic>(5, 150);
  check_lanes<Protein>(6, 150);
}
