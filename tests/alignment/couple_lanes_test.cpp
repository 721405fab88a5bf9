// The randomisation rounds' lanes called directly, 32-bit lanes at each
// instruction set (a set this processor lacks is skipped, by name), against
// the score-only pass of each couple alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "instruction_sets.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel-couple_lanes.h"
#include "path_oracle.h"

using namespace sequence_alignment;
using namespace sequence_alignment::kernel;
using choice::Instruction_Set;

namespace {

template <class A>
void check_lanes(Instruction_Set set, std::uint32_t seed, int trials) {
  using Code = typename A::code_type;
  const choice::Pass pass{set, choice::Lane_Width::BITS_32};
  const int lanes = choice::lanes_of(pass);
  std::mt19937 random(seed);
  for (int trial = 0; trial < trials; ++trial) {
    std::uniform_int_distribution<int> length(1, 40), code(0, A::size - 1), value(-9, 9);
    std::vector<Code> a(std::size_t(length(random)));
    for (Code& x : a) x = Code(code(random));
    const std::int32_t len2 = length(random);
    std::vector<std::vector<Code>> b(static_cast<std::size_t>(lanes), std::vector<Code>(static_cast<std::size_t>(len2)));
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
      const couple_lanes::Layout layout =
          couple_lanes::layout_of(4, choice::facts(set).vector_bytes, exact_gaps(gap, gap_length),
                                  couple_lanes::profile_rows<A>(couples.codes_used));
      couple_lanes::Storage storage(couple_lanes::storage_size(layout, len2));
      std::vector<std::int64_t> scores(std::size_t(lanes), -12345);
      couple_lanes::function_of<A>(pass)(couples, storage.data(), scores.data());
      for (int lane = 0; lane < lanes; ++lane) {
        const Problem<A> one{w1, {b[std::size_t(lane)].data(), 1, len2}, &matrix, gap, gap_length, method};
        EXPECT_EQ(scores[std::size_t(lane)], Compute_Quality<A>(one)) << "lane " << lane;
      }
    }
  }
}

class RandomisationLanes : public instruction_sets::Each_Instruction_Set {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, RandomisationLanes, instruction_sets::every_instruction_set,
                         instruction_sets::set_name);

TEST_P(RandomisationLanes, AgreeWithTheScoreOnlyPass) {
  check_lanes<Nucleic>(GetParam(), 5, 150);
  check_lanes<Protein>(GetParam(), 6, 150);
}
