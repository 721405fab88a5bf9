#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "alignment_random.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-utils.h"
#include "test_support.h"

using namespace sequence_alignment;
using alignment_results::Alignment;
using alignment_results::Alignment_Array_Access;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::Amino_Acid_Array;
using sequence_specifications::basic::Nucleotide_Array;
using sequence_specifications::basic::SEQUENCE_DATA;

namespace {

// A record with the codes of its model from First on, and its identifier.
SEQUENCE_DATA sequence(Sequence_Model model, const std::string& letters, const char* identifier,
                       std::int32_t first = 1) {
  SEQUENCE_DATA s;
  s.Model = model;
  s.Length = std::int32_t(letters.size());
  if (identifier) s.Identifier = strlib::To_Pointer(identifier);
  const std::int32_t last = first + std::int32_t(letters.size()) - 1;
  if (model == Sequence_Model::PROTEIN) {
    s.Amino_Acids = Amino_Acid_Array::make(first, last);
    for (std::size_t k = 0; k < letters.size(); ++k) {
      s.Amino_Acids(first + std::int32_t(k)) = sequence_specifications::To_Amino_Acid(letters[k]);
    }
  } else if (model != Sequence_Model::NO) {
    s.Nucleotides = Nucleotide_Array::make(first, last);
    for (std::size_t k = 0; k < letters.size(); ++k) {
      s.Nucleotides(first + std::int32_t(k)) = sequence_specifications::To_Nucleotide(letters[k]);
    }
  }
  return s;
}

struct Call {
  std::int32_t start_1 = Unset_Position, stop_1 = Unset_Position, start_2 = Unset_Position,
               stop_2 = Unset_Position;
  const char* matrix = "";
  std::int32_t match = 100, mismatch = -90, gap = -50, gap_length = -3;
  Backward_Mode backward = Backward_Mode::DVH;
  Building_Mode building = Building_Mode::ONE;
  Optimize_Mode optimize = Optimize_Mode::NO;
  bool end_weight = true;
  std::int32_t threshold = -1, randomization = 0;
};

Alignment_Array_Access run(bool global, const SEQUENCE_DATA& a, const SEQUENCE_DATA& b, const Call& c) {
  if (global) {
    return global::Align_Global(a, b, c.start_1, c.stop_1, c.start_2, c.stop_2, c.matrix, c.match, c.mismatch,
                                c.gap, c.gap_length, c.backward, c.building, c.optimize, c.end_weight, c.threshold,
                                c.randomization, 0);
  }
  return local::Align_Local(a, b, c.start_1, c.stop_1, c.start_2, c.stop_2, c.matrix, c.match, c.mismatch, c.gap,
                            c.gap_length, c.backward, c.building, c.optimize, c.threshold, c.randomization, 0);
}

}  // namespace

TEST(Drivers, ChecksInTheirOrderWithTheirPlaces) {
  const SEQUENCE_DATA dna = sequence(Sequence_Model::DNA, "ACGTAC", "d");
  const SEQUENCE_DATA protein = sequence(Sequence_Model::PROTEIN, "MKVLA", "p");
  const SEQUENCE_DATA rna = sequence(Sequence_Model::RNA, "ACGUAC", "r");
  const SEQUENCE_DATA no_model = sequence(Sequence_Model::NO, "ACGT", "n");
  SEQUENCE_DATA dna_without_codes = sequence(Sequence_Model::DNA, "ACGT", "x");
  dna_without_codes.Nucleotides.reset();
  SEQUENCE_DATA rna_without_codes = sequence(Sequence_Model::RNA, "ACGU", "x");
  rna_without_codes.Nucleotides.reset();
  SEQUENCE_DATA protein_without_codes = sequence(Sequence_Model::PROTEIN, "MKV", "x");
  protein_without_codes.Amino_Acids.reset();
  Call same_start;
  same_start.start_1 = 3;
  same_start.stop_1 = 3;
  Call reversed_2;
  reversed_2.start_2 = 5;
  reversed_2.stop_2 = 2;
  Call missing_matrix;
  missing_matrix.matrix = "no/such.mat";
  Call outside;
  outside.stop_2 = 7;

  struct Case {
    const char* what;
    const SEQUENCE_DATA& a;
    const SEQUENCE_DATA& b;
    Call call;
    std::string local, global;
  };
  const Case cases[] = {
      // Models first, before anything else is looked at.
      {"models differ", dna_without_codes, protein, {}, "SEQUENCE_ALIGNMENT.INCONSISTENT_MODEL sequence_alignment-local:768",
       "SEQUENCE_ALIGNMENT.INCONSISTENT_MODEL sequence_alignment-global:930"},
      {"no model", no_model, no_model, same_start, "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_alignment-local:790",
       "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_alignment-global:952"},
      {"DNA without codes", dna, dna_without_codes, same_start,
       "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-local:775",
       "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-global:937"},
      {"RNA without codes", rna_without_codes, rna, {}, "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-local:775",
       "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-global:937"},
      {"protein without codes", protein, protein_without_codes, {},
       "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-local:783",
       "SEQUENCE_ALIGNMENT.INVALID_FORMAT sequence_alignment-global:945"},
      {"one residue", dna, dna, same_start, "SEQUENCE_ALIGNMENT.INCONSISTENT_RANGE sequence_alignment-local:798",
       "SEQUENCE_ALIGNMENT.INCONSISTENT_RANGE sequence_alignment-global:960"},
      {"start above stop", protein, protein, reversed_2,
       "SEQUENCE_ALIGNMENT.INCONSISTENT_RANGE sequence_alignment-local:798",
       "SEQUENCE_ALIGNMENT.INCONSISTENT_RANGE sequence_alignment-global:960"},
      // RNA only after the range check, and before any matrix is read.
      {"RNA", rna, rna, missing_matrix, "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_alignment-local:984",
       "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_alignment-global:1152"},
      {"missing matrix", protein, protein, missing_matrix, "SEQUENCE_ALIGNMENT.UTILS.MATRIX_NAME_ERROR no/such.mat",
       "SEQUENCE_ALIGNMENT.UTILS.MATRIX_NAME_ERROR no/such.mat"},
      {"window beyond the sequence", dna, dna, outside, "CONSTRAINT_ERROR alignment window outside the sequence",
       "CONSTRAINT_ERROR alignment window outside the sequence"},
      {"valid", dna, dna, {}, "nothing raised", "nothing raised"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(test_support::raised([&] { run(false, c.a, c.b, c.call); }), c.local) << c.what;
    EXPECT_EQ(test_support::raised([&] { run(true, c.a, c.b, c.call); }), c.global) << c.what;
  }
}

TEST(Drivers, UnsetPositionsTakeTheWholeCodeArrays) {
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, "GATTACA", "a", 11);
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, "GATTACA", "b", -3);
  const auto whole = run(true, a, b, Call{});
  EXPECT_EQ((*whole)(1)->Start_1, 11);
  EXPECT_EQ((*whole)(1)->Stop_1, 17);
  EXPECT_EQ((*whole)(1)->Start_2, -3);
  EXPECT_EQ((*whole)(1)->Stop_2, 3);
  EXPECT_EQ((*whole)(1)->Quality, 700);
  // One end given, the other from the array.
  Call part;
  part.start_1 = 13;
  part.stop_2 = 1;
  const auto window = run(true, a, b, part);
  std::string residues;
  for (char letter : (*window)(1)->Aligned_1.view()) {
    if (letter != '.') residues += letter;
  }
  EXPECT_EQ(residues, "TTACA");
  EXPECT_EQ((*window)(1)->Start_1, 13);
  EXPECT_EQ((*window)(1)->Stop_1, 17);
  EXPECT_EQ((*window)(1)->Start_2, -3);
  EXPECT_EQ((*window)(1)->Stop_2, 1);
}

TEST(Drivers, RecordsAreNamedEachWithItsOwnCopies) {
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, "AC", "first");
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, "CA", nullptr);
  Call c;
  c.building = Building_Mode::ALL_FIRSTS;
  const std::string matrix = test_support::example("dna.mat").string();
  c.matrix = matrix.c_str();
  auto results = run(false, a, b, c);
  ASSERT_EQ(results->length(), 2);
  for (std::int32_t k = 1; k <= 2; ++k) {
    const Alignment& r = *(*results)(k);
    EXPECT_EQ(r.Name_1.view(), "first");
    EXPECT_TRUE(r.Name_2.is_null());
    EXPECT_EQ(r.Strand_1, sequence_specifications::Strand::WATSON);
    EXPECT_EQ(r.Strand_2, sequence_specifications::Strand::WATSON);
    EXPECT_EQ(r.Model, Sequence_Model::DNA);
    EXPECT_EQ(r.Matrix_Name.view(), matrix);
    EXPECT_EQ(r.Method, Alignment_Method::LOCAL_ALIGNMENT);
    EXPECT_EQ(r.Quality, 10);  // the file's identity score, not the match weight
  }
  EXPECT_NE((*results)(1)->Name_1.data(), (*results)(2)->Name_1.data());
  EXPECT_NE((*results)(1)->Matrix_Name.data(), (*results)(2)->Matrix_Name.data());
  (*results)(1) = alignment_results::Free_Alignment(std::move((*results)(1)));
  EXPECT_EQ((*results)(2)->Name_1.view(), "first");
  EXPECT_EQ((*results)(2)->Matrix_Name.view(), matrix);
  // The built-in matrix leaves no name.
  EXPECT_TRUE((*run(true, a, b, Call{}))(1)->Matrix_Name.is_null());
}

TEST(Drivers, ProteinsUseBlosum62WhateverTheWeights) {
  const SEQUENCE_DATA a = sequence(Sequence_Model::PROTEIN, "MWCY*", "a");
  Call c;
  for (std::int32_t match : {100, 1, -7}) {
    c.match = match;
    c.mismatch = -match;
    const auto results = run(true, a, a, c);
    EXPECT_EQ((*results)(1)->Quality, 33);
    EXPECT_EQ((*results)(1)->Match_Weight, match);
    EXPECT_EQ((*results)(1)->Model, Sequence_Model::PROTEIN);
  }
}

TEST(Randomisation, NoRoundsLeaveTheStatisticsAtZero) {
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, "ACGTTGCA", "a");
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, "ACGTAGCA", "b");
  for (std::int32_t rounds : {0, -5}) {
    Call c;
    c.randomization = rounds;
    const auto results = run(false, a, b, c);
    const Alignment& r = *(*results)(1);
    EXPECT_EQ(r.Quality_Mean, 0.0f);
    EXPECT_EQ(r.Quality_Std, 0.0f);
    EXPECT_EQ(r.Quality_Z_Score, 0.0f);
    EXPECT_EQ(r.Quality_Significance, 0.0f);
  }
}

namespace {

// The shuffled scores recomputed here with the full kernel from the same
// seed: the driver's statistics must follow from them.
std::vector<std::int64_t> shuffled_scores(bool global, const SEQUENCE_DATA& a, const SEQUENCE_DATA& b, const Call& c,
                                          std::int32_t seed) {
  alignment_random::Program_Generator().reset(seed);
  Nucleotide_Array shuffled = b.Nucleotides.clone();
  const local::Nucleotide_Window w1{a.Nucleotides.data(), a.Nucleotides.first(), a.Nucleotides.last()};
  const auto matrix = utils::Default_Nucleic_Matrix(c.match, c.mismatch);
  std::vector<std::int64_t> scores;
  for (std::int32_t round = 0; round < c.randomization; ++round) {
    alignment_random::Shuffle_Nucleotides(shuffled);
    const local::Nucleotide_Window w2{shuffled.data(), shuffled.first(), shuffled.last()};
    const auto one = global ? global::Compute_Global_Alignments_Nucleic(w1, w2, matrix, c.match, c.mismatch, c.gap,
                                                                        c.gap_length, c.backward, Building_Mode::ONE,
                                                                        c.optimize, c.end_weight, c.threshold)
                            : local::Compute_Local_Alignments_Nucleic(w1, w2, matrix, c.match, c.mismatch, c.gap,
                                                                      c.gap_length, c.backward, Building_Mode::ONE,
                                                                      c.optimize, c.threshold);
    scores.push_back((*one)(1)->Quality);
  }
  return scores;
}

void expect_statistics(const Alignment_Array_Access& results, const std::vector<std::int64_t>& scores) {
  std::int64_t sum = 0, sum_of_squares = 0;
  for (std::int64_t q : scores) {
    sum += q;
    sum_of_squares += q * q;
  }
  const double n = double(scores.size());
  const float mean = float(double(sum) / n);
  const __int128 spread = __int128(scores.size()) * sum_of_squares - __int128(sum) * sum;
  const float std_dev = std::sqrt(float(double(spread) / n / n));
  ASSERT_NE(std_dev, 0.0f);
  for (std::int32_t k = 1; k <= results->last(); ++k) {
    const Alignment& r = *(*results)(k);
    EXPECT_EQ(r.Quality_Mean, mean);
    EXPECT_EQ(r.Quality_Std, std_dev);
    const float z = std::fabs(float(r.Quality) - mean) / std_dev;
    EXPECT_EQ(r.Quality_Z_Score, z);
    EXPECT_EQ(r.Quality_Significance, alignment_random::Significance(z));
  }
}

}  // namespace

TEST(Randomisation, StatisticsFollowFromTheShuffledScores) {
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, "ACGTTGCAAGTCCGATAGGCTTAACG", "a");
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, "ACGTAGCAAGTCCGTTAGGCATAACC", "b", 40);
  // Weights this large take the scores out of the 32-bit working range.
  for (std::int32_t scale : {1, 1 << 17}) {
    Call c;
    c.match *= scale;
    c.mismatch *= scale;
    c.gap = -20 * scale;
    c.gap_length *= scale;
    c.randomization = 50;
    c.building = Building_Mode::FULL;  // the rounds build ONE whatever the call asks
    for (bool global : {false, true}) {
      for (bool end_weight : {true, false}) {
        c.end_weight = end_weight;
        alignment_random::Program_Generator().reset(4242);
        const auto results = run(global, a, b, c);
        expect_statistics(results, shuffled_scores(global, a, b, c, 4242));
      }
    }
  }
}

TEST(Randomisation, SumsBeyond32Bits) {
  // Scores near 3000: the sum of their squares is beyond 32 bits.
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, std::string(33, 'A'), "a");
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, std::string(30, 'A') + "CCC", "b");
  Call c;
  c.randomization = 1000;
  alignment_random::Program_Generator().reset(7);
  const auto results = run(false, a, b, c);
  const std::vector<std::int64_t> scores = shuffled_scores(false, a, b, c, 7);
  std::int64_t squares = 0;
  for (std::int64_t q : scores) squares += q * q;
  EXPECT_GT(squares, std::int64_t(1) << 32);
  expect_statistics(results, scores);
  EXPECT_GT((*results)(1)->Quality_Mean, 2500.0f);
}

TEST(Randomisation, SumsBeyond64BitsAreRefused) {
  // Ten rounds scoring 10^9 each: the squares add up beyond 2^63.
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, std::string(10, 'A'), "a");
  Call c;
  c.match = 100000000;
  c.randomization = 10;
  EXPECT_EQ(test_support::raised([&] { run(false, a, a, c); }), "CONSTRAINT_ERROR randomisation sums beyond 64 bits");
  c.randomization = 9;
  EXPECT_EQ((*run(false, a, a, c))(1)->Quality_Mean, 1e9f);
}

TEST(Randomisation, EqualShuffledScoresGiveNoZScore) {
  // Shuffling a run of one letter changes nothing, however large the scores.
  const SEQUENCE_DATA a = sequence(Sequence_Model::DNA, "ACGTAAAT", "a");
  const SEQUENCE_DATA b = sequence(Sequence_Model::DNA, "AAAAA", "b");
  const SEQUENCE_DATA fifty = sequence(Sequence_Model::DNA, std::string(50, 'A'), "fifty");
  Call small;
  small.randomization = 20;
  Call large;
  large.match = 123457;
  large.randomization = 999;
  const struct {
    const SEQUENCE_DATA *one, *two;
    Call call;
  } cases[] = {{&a, &b, small}, {&fifty, &fifty, large}};
  for (const auto& c : cases) {
    for (bool global : {false, true}) {
      const auto results = run(global, *c.one, *c.two, c.call);
      const Alignment& r = *(*results)(1);
      EXPECT_EQ(r.Quality_Mean, float(r.Quality));
      EXPECT_EQ(r.Quality_Std, 0.0f);
      EXPECT_EQ(r.Quality_Z_Score, 0.0f);
      EXPECT_EQ(r.Quality_Significance, 0.0f);
    }
  }
}
