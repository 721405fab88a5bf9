// The kernels' co-optimal paths against the reference of path_oracle: on
// random couples of a few residues over two to four letters, where ties
// and co-optimal paths abound, every result of every Building, Optimize
// and Backward mode, of the three methods, for gap weights that cost,
// cost nothing or reward, must be the oracle's, in the oracle's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "path_oracle.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-utils.h"

using namespace sequence_alignment;
using path_oracle::Method;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;

namespace {

enum class Scoring { DNA_BUILT_IN, PROTEIN_BLOSUM62, PROTEIN_CUSTOM };

// Gap weights by the sign of G and of L.
enum class Gap_Class {
  BOTH_COST,
  OPENING_FREE,
  LENGTH_FREE,
  BOTH_FREE,
  BOTH_REWARD,
  OPENING_REWARDS,
  LENGTH_REWARDS,
  OPENING_FREE_LENGTH_REWARDS,
  OPENING_REWARDS_LENGTH_FREE,
};
constexpr int gap_classes = 9;

constexpr Building_Mode buildings[] = {Building_Mode::ONE, Building_Mode::ALL_FIRSTS, Building_Mode::FULL};
constexpr Optimize_Mode optimizes[] = {Optimize_Mode::NO, Optimize_Mode::SHORT, Optimize_Mode::LARGE};
constexpr Backward_Mode backwards[] = {Backward_Mode::DVH, Backward_Mode::DHV, Backward_Mode::VDH,
                                       Backward_Mode::VHD, Backward_Mode::HDV, Backward_Mode::HVD};

struct Case {
  int number = 0;
  Scoring scoring = Scoring::DNA_BUILT_IN;
  std::string matrix_name;
  path_oracle::Couple couple;  // the method is set for each run
  utils::Nucleic_Score_Matrix dna_matrix{};
  utils::Protein_Score_Matrix protein_matrix{};
  std::int32_t threshold = -1, match = 0, mismatch = 0;
};

int draw(std::mt19937& random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

template <class Matrix>
std::vector<std::vector<std::int32_t>> rows_of(const Matrix& matrix) {
  std::vector<std::vector<std::int32_t>> rows;
  for (const auto& row : matrix) rows.emplace_back(row.begin(), row.end());
  return rows;
}

std::pair<std::int32_t, std::int32_t> gap_weights(std::mt19937& random, Gap_Class c) {
  switch (c) {
    case Gap_Class::BOTH_COST: return {draw(random, -6, -1), draw(random, -3, -1)};
    case Gap_Class::OPENING_FREE: return {0, draw(random, -3, -1)};
    case Gap_Class::LENGTH_FREE: return {draw(random, -6, -1), 0};
    case Gap_Class::BOTH_FREE: return {0, 0};
    case Gap_Class::BOTH_REWARD: return {draw(random, 1, 4), draw(random, 1, 3)};
    case Gap_Class::OPENING_REWARDS: return {draw(random, 1, 6), draw(random, -4, -1)};
    case Gap_Class::LENGTH_REWARDS: return {draw(random, -8, -1), draw(random, 1, 3)};
    case Gap_Class::OPENING_FREE_LENGTH_REWARDS: return {0, draw(random, 1, 2)};
    case Gap_Class::OPENING_REWARDS_LENGTH_FREE: return {draw(random, 1, 4), 0};
  }
  return {0, 0};
}

// A couple of 1 to 8 residues each over 2 to 4 letters of the alphabet,
// numbered from anywhere, with its matrix and weights. Half the cases
// multiply every weight by a factor that takes the kernels' scores past
// 16 bits, or past 32 bits, without changing which paths are best.
Case random_case(std::mt19937& random, int number, Scoring scoring, Gap_Class gaps) {
  Case k;
  k.number = number;
  k.scoring = scoring;
  path_oracle::Couple& c = k.couple;
  const bool protein = scoring != Scoring::DNA_BUILT_IN;
  const int alphabet = protein ? sequence_specifications::Amino_Acid_Count : sequence_specifications::Nucleotide_Count;
  for (int code = 0; code < alphabet; ++code) {
    c.letters += protein ? sequence_specifications::Amino_Acid_Image(Amino_Acid(code))
                         : sequence_specifications::Nucleotide_Image(Nucleotide(code));
  }
  constexpr std::int32_t scales[] = {1, 1, 1 << 12, 1 << 22};
  const std::int32_t scale = scales[draw(random, 0, 3)];
  k.match = draw(random, 1, 5) * scale;
  k.mismatch = draw(random, -5, 1) * scale;
  const std::string times = scale == 1 ? "" : " x " + std::to_string(scale);
  switch (scoring) {
    case Scoring::DNA_BUILT_IN:
      k.dna_matrix = utils::Default_Nucleic_Matrix(k.match, k.mismatch);
      c.matrix = rows_of(k.dna_matrix);
      k.matrix_name = "built-in (match " + std::to_string(k.match) + ", mismatch " + std::to_string(k.mismatch) + ")";
      break;
    case Scoring::PROTEIN_BLOSUM62:
      k.protein_matrix = utils::Default_Protein_Matrix();
      for (auto& row : k.protein_matrix) {
        for (auto& v : row) v *= scale;
      }
      c.matrix = rows_of(k.protein_matrix);
      k.matrix_name = "BLOSUM62" + times;
      break;
    case Scoring::PROTEIN_CUSTOM:
      for (auto& row : k.protein_matrix) {
        for (auto& v : row) v = draw(random, -3, 3) * scale;
      }
      c.matrix = rows_of(k.protein_matrix);
      k.matrix_name = "custom" + times;
      break;
  }
  std::vector<int> used;
  const int letters = draw(random, 2, 4);
  while (int(used.size()) < letters) {
    const int code = draw(random, 0, alphabet - 1);
    if (std::find(used.begin(), used.end(), code) == used.end()) used.push_back(code);
  }
  for (auto* codes : {&c.codes_1, &c.codes_2}) {
    const int length = draw(random, 1, 8);
    for (int x = 0; x < length; ++x) codes->push_back(used[std::size_t(draw(random, 0, letters - 1))]);
  }
  c.first_1 = draw(random, -5, 30);
  c.first_2 = draw(random, -5, 30);
  std::tie(c.gap, c.gap_length) = gap_weights(random, gaps);
  c.gap *= scale;
  c.gap_length *= scale;
  const std::int32_t thresholds[] = {-1, 0, 2, draw(random, -3, 6)};
  k.threshold = thresholds[number % 4];
  return k;
}

alignment_results::Alignment_Array_Access kernel_results(const Case& k, Method method,
                                                         const path_oracle::Settings& s) {
  const path_oracle::Couple& c = k.couple;
  const bool weighted = method == Method::GLOBAL_WEIGHTED_ENDS;
  const auto last = [](std::int32_t first, const std::vector<int>& codes) {
    return first + std::int32_t(codes.size()) - 1;
  };
  if (k.scoring == Scoring::DNA_BUILT_IN) {
    std::vector<Nucleotide> a, b;
    for (int code : c.codes_1) a.push_back(Nucleotide(code));
    for (int code : c.codes_2) b.push_back(Nucleotide(code));
    const utils::Code_Window<Nucleotide> w1{a.data(), c.first_1, last(c.first_1, c.codes_1)};
    const utils::Code_Window<Nucleotide> w2{b.data(), c.first_2, last(c.first_2, c.codes_2)};
    if (method == Method::LOCAL) {
      return local::Compute_Local_Alignments_Nucleic(w1, w2, k.dna_matrix, s.match_weight, s.mismatch_weight, c.gap,
                                                     c.gap_length, s.backward, s.building, s.optimize,
                                                     s.similarity_threshold);
    }
    return global::Compute_Global_Alignments_Nucleic(w1, w2, k.dna_matrix, s.match_weight, s.mismatch_weight, c.gap,
                                                     c.gap_length, s.backward, s.building, s.optimize, weighted,
                                                     s.similarity_threshold);
  }
  std::vector<Amino_Acid> a, b;
  for (int code : c.codes_1) a.push_back(Amino_Acid(code));
  for (int code : c.codes_2) b.push_back(Amino_Acid(code));
  const utils::Code_Window<Amino_Acid> w1{a.data(), c.first_1, last(c.first_1, c.codes_1)};
  const utils::Code_Window<Amino_Acid> w2{b.data(), c.first_2, last(c.first_2, c.codes_2)};
  if (method == Method::LOCAL) {
    return local::Compute_Local_Alignments_Protein(w1, w2, k.protein_matrix, s.match_weight, s.mismatch_weight,
                                                   c.gap, c.gap_length, s.backward, s.building, s.optimize,
                                                   s.similarity_threshold);
  }
  return global::Compute_Global_Alignments_Protein(w1, w2, k.protein_matrix, s.match_weight, s.mismatch_weight,
                                                   c.gap, c.gap_length, s.backward, s.building, s.optimize, weighted,
                                                   s.similarity_threshold);
}

std::string letters_of(const path_oracle::Couple& c, const std::vector<int>& codes) {
  std::string text;
  for (int code : codes) text += c.letters[std::size_t(code)];
  return text;
}

// The couple and the settings, readably: enough to replay the case by hand.
std::string describe_case(const Case& k, Method method, const path_oracle::Settings& s) {
  const path_oracle::Couple& c = k.couple;
  std::ostringstream out;
  out << "case " << k.number << ": " << path_oracle::name(method) << ", G " << c.gap << ", L " << c.gap_length
      << ", " << (k.scoring == Scoring::DNA_BUILT_IN ? "DNA" : "protein") << ", matrix " << k.matrix_name
      << ", similarity threshold " << s.similarity_threshold << "\n  sequence 1 from " << c.first_1 << ": "
      << letters_of(c, c.codes_1) << "\n  sequence 2 from " << c.first_2 << ": " << letters_of(c, c.codes_2)
      << "\n  Building " << Image(s.building) << ", Optimize " << Image(s.optimize) << ", Backward "
      << Image(s.backward) << "\n  scores:";
  std::vector<int> used;
  for (const auto* codes : {&c.codes_1, &c.codes_2}) {
    for (int code : *codes) {
      if (std::find(used.begin(), used.end(), code) == used.end()) used.push_back(code);
    }
  }
  std::sort(used.begin(), used.end());
  for (int a : used) {
    for (int b : used) {
      out << ' ' << c.letters[std::size_t(a)] << '/' << c.letters[std::size_t(b)] << ' '
          << c.matrix[std::size_t(a)][std::size_t(b)];
    }
  }
  return out.str();
}

class Oracle_Check {
 public:
  // Reports at most this many mismatches: the first ones tell the story.
  static constexpr int reported = 3;

  // Every Building and Optimize mode of the case by one method, each with
  // one Backward mode: from one case of a gap class to the next, each
  // combination goes through all six.
  void run(const Case& k, Method method) {
    path_oracle::Couple couple = k.couple;
    couple.method = method;
    const path_oracle::Oracle oracle(couple);
    path_oracle::Settings s;
    s.similarity_threshold = k.threshold;
    s.match_weight = k.match;
    s.mismatch_weight = k.mismatch;
    check_scores(k, method, oracle, s);
    for (Building_Mode building : buildings) {
      for (Optimize_Mode optimize : optimizes) {
        s.building = building;
        s.optimize = optimize;
        s.backward = backwards[(k.number / gap_classes + 3 * int(building) + int(optimize)) % 6];
        compare(k, method, oracle, s);
      }
    }
  }

  bool stopped() const { return failures_ >= reported; }

 private:
  // Each path the oracle traces scores Quality (a local Quality of 0 is a
  // single pair that scores no more than that).
  void check_scores(const Case& k, Method method, const path_oracle::Oracle& oracle, path_oracle::Settings s) {
    if (method == Method::LOCAL && oracle.quality() == 0) return;
    s.building = Building_Mode::FULL;
    for (const auto& path : oracle.traced(s)) {
      if (oracle.score_of(path) != oracle.quality() && !stopped()) {
        ++failures_;
        ADD_FAILURE() << describe_case(k, method, s) << "\n  the path " << path_oracle::describe(path) << " scores "
                      << oracle.score_of(path) << ", not the Quality " << oracle.quality();
      }
    }
  }

  void compare(const Case& k, Method method, const path_oracle::Oracle& oracle, const path_oracle::Settings& s) {
    const std::vector<path_oracle::Expected> expected = oracle.results(s);
    std::vector<path_oracle::Fields> actual;
    std::string raised;
    try {
      const alignment_results::Alignment_Array_Access results = kernel_results(k, method, s);
      for (std::int32_t r = results->first(); r <= results->last(); ++r) {
        actual.push_back(path_oracle::fields_of(*(*results)(r)));
      }
    } catch (const std::exception& e) {
      raised = e.what();
    }
    bool same = raised.empty() && actual.size() == expected.size();
    for (std::size_t r = 0; same && r < actual.size(); ++r) same = actual[r] == expected[r].fields;
    if (same || stopped()) return;
    ++failures_;
    std::ostringstream out;
    out << describe_case(k, method, s) << "\n  expected " << expected.size() << " results:";
    for (const auto& e : expected) {
      out << "\n    " << path_oracle::describe(e.fields) << "\n      path " << path_oracle::describe(e.steps);
    }
    if (!raised.empty()) {
      out << "\n  the kernel raises " << raised;
    } else {
      out << "\n  the kernel returns " << actual.size() << ":";
      for (const auto& a : actual) out << "\n    " << path_oracle::describe(a);
    }
    ADD_FAILURE() << out.str();
  }

  int failures_ = 0;
};

// Cases cycle through the gap classes so that each meets every method and
// mode many times; the seed is fixed.
void check_cases(Scoring scoring, std::uint32_t seed, int cases) {
  std::mt19937 random(seed);
  Oracle_Check check;
  for (int number = 0; number < cases && !check.stopped(); ++number) {
    const Case k = random_case(random, number, scoring, Gap_Class(number % gap_classes));
    for (Method method : sequence_alignment::kernel::every_method) check.run(k, method);
  }
}

}  // namespace

TEST(PathOracle, DnaWithTheBuiltInMatrix) { check_cases(Scoring::DNA_BUILT_IN, 20250101, 500); }

TEST(PathOracle, ProteinWithBlosum62) { check_cases(Scoring::PROTEIN_BLOSUM62, 20250102, 500); }

TEST(PathOracle, ProteinWithACustomMatrix) { check_cases(Scoring::PROTEIN_CUSTOM, 20250103, 500); }
