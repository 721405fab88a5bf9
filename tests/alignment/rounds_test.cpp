// The randomisation rounds at every pass this processor can run, against
// the score-only pass of each couple alone, and the statistics they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "alignment_random.h"
#include "instruction_sets.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "path_oracle.h"
#include "sequence_alignment-utils.h"
#include "test_support.h"

using namespace sequence_alignment;
using namespace sequence_alignment::kernel;

namespace {

using choice::Instruction_Set;

const char* name(Rounds_Pass pass) { return choice::facts(pass).name; }

bool sixteen_bits(Rounds_Pass pass) { return choice::facts(pass).pass.width == choice::Lane_Width::BITS_16; }

// The passes of Set, the 64-bit pass with the generic ones.
std::vector<Rounds_Pass> passes_of(Instruction_Set set) {
  std::vector<Rounds_Pass> passes;
  for (const choice::Rounds_Facts& r : choice::rounds_passes) {
    if (r.pass.set == set) passes.push_back(r.rounds_pass);
  }
  return passes;
}

// Whether the pass takes the problem: the bound of its lanes holds.
template <class A>
bool takes(const Problem<A>& p, Rounds_Pass pass) {
  return choice::rounds_fit(p, choice::facts(pass).pass.width);
}

// Count windows of the problem's window-2 length scored by the pass (or
// refused by it), each against Compute_Quality of that couple alone.
template <class A>
void expect_pass_agrees(const Problem<A>& problem, Rounds_Pass pass,
                        const std::vector<std::vector<typename A::code_type>>& windows, int count) {
  SCOPED_TRACE(name(pass));
  if (!takes(problem, pass)) {
    EXPECT_EQ(test_support::raised([&] { Rounds<A> refused(problem, pass); }),
              "CONSTRAINT_ERROR rounds beyond the bound of the pass's lanes");
    return;
  }
  Rounds<A> rounds(problem, pass);
  ASSERT_EQ(rounds.pass(), pass);
  count = std::min(count, rounds.batch());
  std::vector<const typename A::code_type*> pointers;
  for (int k = 0; k < count; ++k) pointers.push_back(windows[std::size_t(k)].data());
  std::vector<std::int32_t> qualities(static_cast<std::size_t>(count), -12345);
  rounds.score(pointers.data(), count, qualities.data());
  for (int k = 0; k < count; ++k) {
    Problem<A> one = problem;
    one.codes_2.codes = pointers[std::size_t(k)];
    EXPECT_EQ(qualities[std::size_t(k)], Compute_Quality<A>(one)) << "window " << k;
  }
}

struct Weights {
  std::int32_t gap, gap_length;
};

// Every gap costs; some gap costs nothing; some gap adds to the score.
constexpr Weights ordinary[] = {{-11, -1}, {-50, -3}, {-1, 0}, {-3, -4}};
constexpr Weights costless[] = {{0, 0}, {3, -3}, {0, -2}, {-2, 2}};
constexpr Weights rewarding[] = {{5, -1}, {-3, 2}, {2, 1}, {40, -9}};

template <class A>
void check_random_couples(Instruction_Set set, std::uint32_t seed, int trials) {
  using Code = typename A::code_type;
  std::mt19937 random(seed);
  const std::vector<Rounds_Pass> passes = passes_of(set);
  for (int trial = 0; trial < trials; ++trial) {
    // Windows of one or two residues, and longer ones.
    const auto length = [&] {
      const int kind = int(random() % 4);
      return kind == 0 ? 1 : kind == 1 ? 2 : int(random() % 40) + 1;
    };
    std::uniform_int_distribution<int> code(0, A::size - 1);
    std::vector<Code> a(static_cast<std::size_t>(length()));
    for (Code& x : a) x = Code(code(random));
    const std::int32_t len2 = length();
    std::vector<std::vector<Code>> windows(32, std::vector<Code>(static_cast<std::size_t>(len2)));
    for (auto& w : windows) {
      for (Code& x : w) x = Code(code(random));
    }
    // Small scores, and scores beyond a byte (the profile is then made
    // otherwise on some processors).
    const int spread = trial % 3 == 2 ? 300 : 9;
    std::uniform_int_distribution<int> value(-spread, spread);
    typename A::matrix_type matrix;
    for (auto& row : matrix) {
      for (auto& v : row) v = value(random);
    }
    const Weights& weights = trial % 3 == 0   ? ordinary[random() % 4]
                             : trial % 3 == 1 ? costless[random() % 4]
                                              : rewarding[random() % 4];
    // Full batches, one window, and batches that leave lanes empty.
    const int count = trial % 4 == 0 ? 32 : trial % 4 == 1 ? 1 : int(random() % 31) + 1;
    for (const Method method : every_method) {
      const Problem<A> problem{{a.data(), 7, std::int32_t(7 + a.size() - 1)},
                               {windows[0].data(), -3, std::int32_t(-3 + len2 - 1)},
                               &matrix,
                               weights.gap,
                               weights.gap_length,
                               method};
      SCOPED_TRACE("trial " + std::to_string(trial) + ", " + path_oracle::name(method) + ", lengths " +
                   std::to_string(a.size()) + " x " + std::to_string(len2) + ", gaps " + std::to_string(weights.gap) +
                   " " + std::to_string(weights.gap_length));
      for (Rounds_Pass pass : passes) expect_pass_agrees(problem, pass, windows, count);
    }
  }
}

// Window 1 of Len1 residues of code A against windows of Len2 of code B.
template <class A>
struct Runs {
  using Code = typename A::code_type;
  std::vector<Code> one;
  std::vector<std::vector<Code>> windows;
  Runs(int len1, int code_1, int len2, int code_2)
      : one(static_cast<std::size_t>(len1), Code(code_1)),
        windows(32, std::vector<Code>(static_cast<std::size_t>(len2), Code(code_2))) {}
  Problem<A> problem(const typename A::matrix_type& matrix, Weights w, Method method) const {
    return {{one.data(), 1, std::int32_t(one.size())},
            {windows[0].data(), 1, std::int32_t(windows[0].size())},
            &matrix,
            w.gap,
            w.gap_length,
            method};
  }
};

}  // namespace

namespace {

// Each test at the passes of each instruction set, skipped where the
// processor lacks the set.
class RandomisationRounds : public instruction_sets::Each_Instruction_Set {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, RandomisationRounds, instruction_sets::every_instruction_set,
                         instruction_sets::set_name);

TEST_P(RandomisationRounds, EveryPassAgreesWithTheScoreOnlyPass) {
  check_random_couples<Nucleic>(GetParam(), 11, 240);
  check_random_couples<Protein>(GetParam(), 12, 240);
}

TEST(RoundsPasses, TheScalarAndGenericPassesRunEverywhere) {
  for (Rounds_Pass pass : {Rounds_Pass::scalar_64, Rounds_Pass::generic_32, Rounds_Pass::generic_16}) {
    EXPECT_TRUE(Runs_Here(pass)) << name(pass);
  }
}

TEST_P(RandomisationRounds, HighestScoresAtTheEdgeOf16Bits) {
  // Runs of one code: every pair of the shorter window scores M, the
  // highest value the bound allows for. With G -7 and L -1 the bound
  // leaves 32767 - 80 for it: 100 pairs of 326 fit, of 327 do not.
  const Runs<Protein> runs(100, 3, 100, 3);
  for (const std::int32_t m : {326, 327}) {
    Protein::matrix_type matrix{};
    matrix[3][3] = m;
    for (const Method method : every_method) {
      const Problem<Protein> problem = runs.problem(matrix, {-7, -1}, method);
      SCOPED_TRACE("M " + std::to_string(m) + ", " + path_oracle::name(method));
      EXPECT_EQ(bounds::scores_fit_16_bits(matrix, 100, 100, -7, -1, is_global(method)), m == 326);
      EXPECT_EQ(sixteen_bits(Rounds<Protein>(problem).pass()), m == 326);
      EXPECT_EQ(Compute_Quality<Protein>(problem), 100 * m);
      for (Rounds_Pass pass : passes_of(GetParam())) expect_pass_agrees(problem, pass, runs.windows, 32);
    }
  }
}

TEST_P(RandomisationRounds, LowestScoresAtTheEdgeOf16Bits) {
  // Global runs of two codes whose pair costs W: long gaps and costly pairs
  // take the values down to where the bound stops (W -4067 fits, -4068
  // does not) and the gap chains start from their lowest sentinel.
  const Runs<Nucleic> runs(100, 0, 100, 1);
  for (const std::int32_t w : {-4067, -4068}) {
    Nucleic::matrix_type matrix{};
    matrix[0][1] = w;
    matrix[0][0] = 5;
    for (const Method method : {Method::GLOBAL_WEIGHTED_ENDS, Method::GLOBAL_FREE_ENDS}) {
      const Problem<Nucleic> problem = runs.problem(matrix, {-1000, -60}, method);
      SCOPED_TRACE("W " + std::to_string(w) + ", " + path_oracle::name(method));
      EXPECT_EQ(bounds::scores_fit_16_bits(matrix, 100, 100, -1000, -60, true), w == -4067);
      EXPECT_EQ(sixteen_bits(Rounds<Nucleic>(problem).pass()), w == -4067);
      for (Rounds_Pass pass : passes_of(GetParam())) expect_pass_agrees(problem, pass, runs.windows, 32);
    }
  }
}

TEST_P(RandomisationRounds, ScoresAtTheEdgeOf32Bits) {
  // The largest pair score the 32-bit bound takes for two residues a
  // window, and one more: the 32-bit lanes, then the 64-bit pass.
  Protein::matrix_type matrix{};
  const auto fits = [&](std::int32_t m) {
    matrix[5][5] = m;
    return bounds::scores_fit_32_bits(matrix, 2, 2, -11, -1);
  };
  std::int32_t low = 1, high = std::int32_t(1) << 29;
  while (high - low > 1) {
    const std::int32_t middle = low + (high - low) / 2;
    (fits(middle) ? low : high) = middle;
  }
  const Runs<Protein> runs(2, 5, 2, 5);
  for (const std::int32_t m : {low, high}) {
    matrix[5][5] = m;
    for (const Method method : every_method) {
      const Problem<Protein> problem = runs.problem(matrix, {-11, -1}, method);
      SCOPED_TRACE("M " + std::to_string(m) + ", " + path_oracle::name(method));
      const Rounds_Pass chosen = Rounds<Protein>(problem).pass();
      EXPECT_EQ(chosen == Rounds_Pass::scalar_64, m == high);
      EXPECT_FALSE(sixteen_bits(chosen));
      EXPECT_EQ(Compute_Quality<Protein>(problem), 2 * m);
      for (Rounds_Pass pass : passes_of(GetParam())) expect_pass_agrees(problem, pass, runs.windows, 32);
    }
  }
}

TEST_P(RandomisationRounds, EmptyWindowsScoreNothing) {
  // As Compute_Quality has it, even where a charged end gap would be the
  // only path.
  const Runs<Nucleic> runs(5, 1, 0, 2);
  const Runs<Nucleic> none(0, 1, 4, 2);
  const Nucleic::matrix_type matrix = utils::Default_Nucleic_Matrix(10, -9);
  for (const Runs<Nucleic>* couple : {&runs, &none}) {
    for (const Method method : every_method) {
      const Problem<Nucleic> problem = couple->problem(matrix, {-50, -3}, method);
      EXPECT_EQ(Compute_Quality<Nucleic>(problem), 0);
      for (Rounds_Pass pass : passes_of(GetParam())) expect_pass_agrees(problem, pass, couple->windows, 5);
    }
  }
}

TEST(RoundsPasses, PassesTheProcessorLacksAreRefused) {
  const Runs<Nucleic> runs(5, 1, 5, 2);
  const Nucleic::matrix_type matrix = utils::Default_Nucleic_Matrix(10, -9);
  for (const choice::Rounds_Facts& r : choice::rounds_passes) {
    const Rounds_Pass pass = r.rounds_pass;
    if (Runs_Here(pass)) continue;
    const Problem<Nucleic> problem = runs.problem(matrix, {-50, -3}, Method::LOCAL);
    EXPECT_EQ(test_support::raised([&] { Rounds<Nucleic> refused(problem, pass); }),
              "CONSTRAINT_ERROR rounds pass not available on this processor")
        << name(pass);
  }
}

namespace {

// The rounds before the 16-bit lanes held eight 32-bit lanes of H, E, Y, X
// and a profile row for every code, 8 (Len2 (4 + Size) + 1) int32, and a
// cache line of slack.
template <class A>
std::size_t storage_before(std::int32_t len2) {
  return 4 * 8 * (std::size_t(len2) * (4 + A::size) + 1) + 64;
}

template <class A>
void expect_storage_within_before(Instruction_Set set, const typename A::matrix_type& matrix) {
  using Code = typename A::code_type;
  // Window 1 of one code, and of every code (a profile row each).
  std::vector<Code> one(5, Code(1)), every;
  for (int code = 0; code < A::size; ++code) every.push_back(Code(code));
  for (const std::int32_t len2 : {1, 2, 3, 31, 300, 4097, 65535}) {
    const std::vector<Code> window(static_cast<std::size_t>(len2), Code(0));
    for (const std::vector<Code>* codes_1 : {&one, &every}) {
      for (const Weights weights : {ordinary[0], ordinary[2], costless[0], rewarding[0]}) {
        for (const Method method : every_method) {
          const Problem<A> problem{{codes_1->data(), 1, std::int32_t(codes_1->size())},
                                   {window.data(), 1, len2},
                                   &matrix,
                                   weights.gap,
                                   weights.gap_length,
                                   method};
          for (Rounds_Pass pass : passes_of(set)) {
            if (!takes(problem, pass)) continue;
            SCOPED_TRACE(std::string(name(pass)) + ", " + std::to_string(codes_1->size()) + " x " +
                         std::to_string(len2) + ", " + path_oracle::name(method) + ", gaps " +
                         std::to_string(weights.gap) + " " + std::to_string(weights.gap_length));
            EXPECT_LE(Rounds<A>(problem, pass).storage(), storage_before<A>(len2));
          }
        }
      }
    }
  }
}

}  // namespace

TEST_P(RandomisationRounds, StorageNoLargerThanTheEightLanesBefore) {
  expect_storage_within_before<Nucleic>(GetParam(), utils::Default_Nucleic_Matrix(10, -9));
  expect_storage_within_before<Protein>(GetParam(), utils::Default_Protein_Matrix());
}

namespace {

// The mean and deviation of the rounds, exactly, for a table of problems
// of both alphabets, every method, weight class and bound; the rounds
// counts leave the last batch short.
template <class Score>
std::string statistics_table(Score score) {
  std::string table;
  std::mt19937 random(77);
  // A round may raise (sums beyond 64 bits): that is kept as well.
  const auto line = [&](const char* what, auto run) {
    char text[200];
    try {
      const alignment_random::Shuffle_Statistics s = run();
      std::snprintf(text, sizeof text, "%s: mean %a std %a\n", what, double(s.mean), double(s.std_dev));
    } catch (const platform::Error& e) {
      std::snprintf(text, sizeof text, "%s: %s\n", what, e.information().c_str());
    }
    table += text;
  };
  for (int trial = 0; trial < 18; ++trial) {
    const bool protein = trial % 2 == 1;
    const Method method = every_method[trial % 3];
    const Weights weights = trial % 9 < 3   ? ordinary[trial % 4]
                            : trial % 9 < 6 ? costless[trial % 4]
                                            : rewarding[trial % 4];
    // Three regimes of values: 16 bits, 32 bits, 64 bits.
    const std::int32_t scale = trial < 6 ? 1 : trial < 12 ? 1000 : 500000;
    const int len1 = 20 + int(random() % 60), len2 = 20 + int(random() % 60);
    const std::int32_t rounds = trial % 4 == 0 ? 1 : 37 + 20 * (trial % 3);
    char what[80];
    std::snprintf(what, sizeof what, "%s %d x %d method %d gaps %d %d scale %d rounds %d", protein ? "protein" : "dna",
                  len1, len2, int(method), weights.gap, weights.gap_length, scale, rounds);
    const std::uint32_t seed = random();
    if (protein) {
      std::vector<sequence_specifications::Amino_Acid> a(static_cast<std::size_t>(len1)),
          b(static_cast<std::size_t>(len2));
      for (auto& x : a) x = sequence_specifications::Amino_Acid(random() % 20);
      for (auto& x : b) x = sequence_specifications::Amino_Acid(random() % 20);
      Protein::matrix_type matrix = utils::Default_Protein_Matrix();
      for (auto& row : matrix) {
        for (auto& v : row) v *= scale;
      }
      const Problem<Protein> problem{{a.data(), 1, len1}, {b.data(), 5, 5 + len2 - 1}, &matrix,
                                     weights.gap * scale, weights.gap_length * scale,  method};
      line(what, [&] { return score(problem, rounds, seed); });
    } else {
      std::vector<sequence_specifications::Nucleotide> a(static_cast<std::size_t>(len1)),
          b(static_cast<std::size_t>(len2));
      for (auto& x : a) x = sequence_specifications::Nucleotide(random() % 4);
      for (auto& x : b) x = sequence_specifications::Nucleotide(random() % 4);
      const Nucleic::matrix_type matrix = utils::Default_Nucleic_Matrix(10 * scale, -9 * scale);
      const Problem<Nucleic> problem{{a.data(), 1, len1}, {b.data(), 5, 5 + len2 - 1}, &matrix,
                                     weights.gap * scale, weights.gap_length * scale,  method};
      line(what, [&] { return score(problem, rounds, seed); });
    }
  }
  return table;
}

}  // namespace

TEST_P(RandomisationRounds, StatisticsAsTheyWereAtEveryPass) {
  // The golden table was made by the rounds as they were, before the
  // 16-bit lanes; every pass must give it again.
  const std::string before = statistics_table([](const auto& problem, std::int32_t rounds, std::uint32_t seed) {
    alignment_random::Program_Generator().reset(std::int32_t(seed));
    return alignment_random::Shuffled_Qualities(problem, rounds);
  });
  EXPECT_TRUE(test_support::matches_golden(before, "alignment/shuffle_statistics.txt"));
  for (Rounds_Pass pass : passes_of(GetParam())) {
    SCOPED_TRACE(name(pass));
    const std::string table = statistics_table([&](const auto& problem, std::int32_t rounds, std::uint32_t seed) {
      alignment_random::Program_Generator().reset(std::int32_t(seed));
      if (!takes(problem, pass)) return alignment_random::Shuffled_Qualities(problem, rounds);
      return alignment_random::Shuffled_Qualities(problem, rounds, pass);
    });
    EXPECT_EQ(table, before);
  }
}
