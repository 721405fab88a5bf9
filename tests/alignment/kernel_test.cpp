#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "path_oracle.h"
#include "platform/text_io.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-utils.h"

using namespace sequence_alignment;
using alignment_results::Alignment;
using alignment_results::Alignment_Array_Access;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;
using utils::Code_Window;
using utils::Nucleic_Score_Matrix;
using utils::Protein_Score_Matrix;

namespace {

using path_oracle::Method;
using path_oracle::name;

// A window of codes that keeps its own numbering.
template <class Code>
struct Window {
  std::vector<Code> codes;
  std::int32_t first = 1;
  Code_Window<Code> view() const {
    return {codes.data(), first, std::int32_t(first + std::int32_t(codes.size()) - 1)};
  }
  std::int32_t last() const { return first + std::int32_t(codes.size()) - 1; }
};

Window<Nucleotide> dna(const std::string& letters, std::int32_t first = 1) {
  Window<Nucleotide> w{{}, first};
  for (char c : letters) w.codes.push_back(sequence_specifications::To_Nucleotide(c));
  return w;
}
Window<Amino_Acid> protein(const std::string& letters, std::int32_t first = 1) {
  Window<Amino_Acid> w{{}, first};
  for (char c : letters) w.codes.push_back(sequence_specifications::To_Amino_Acid(c));
  return w;
}

Nucleotide code_of(char c, Nucleotide) { return sequence_specifications::To_Nucleotide(c); }
char letter_of(Nucleotide c) { return sequence_specifications::Nucleotide_Image(c); }
char letter_of(Amino_Acid c) { return sequence_specifications::Amino_Acid_Image(c); }
Amino_Acid code_of(char c, Amino_Acid) { return sequence_specifications::To_Amino_Acid(c); }

struct Settings {
  std::int32_t gap = -50, gap_length = -3;
  Backward_Mode backward = Backward_Mode::DVH;
  Building_Mode building = Building_Mode::ONE;
  Optimize_Mode optimize = Optimize_Mode::NO;
  std::int32_t threshold = -1;
  std::int32_t match = 100, mismatch = -90;
};

Alignment_Array_Access align(Method m, const Window<Nucleotide>& a, const Window<Nucleotide>& b,
                             const Nucleic_Score_Matrix& matrix, const Settings& s) {
  if (m == Method::LOCAL) {
    return local::Compute_Local_Alignments_Nucleic(a.view(), b.view(), matrix, s.match, s.mismatch, s.gap,
                                                   s.gap_length, s.backward, s.building, s.optimize, s.threshold);
  }
  return global::Compute_Global_Alignments_Nucleic(a.view(), b.view(), matrix, s.match, s.mismatch, s.gap,
                                                   s.gap_length, s.backward, s.building, s.optimize,
                                                   m == Method::GLOBAL_WEIGHTED_ENDS, s.threshold);
}
Alignment_Array_Access align(Method m, const Window<Amino_Acid>& a, const Window<Amino_Acid>& b,
                             const Protein_Score_Matrix& matrix, const Settings& s) {
  if (m == Method::LOCAL) {
    return local::Compute_Local_Alignments_Protein(a.view(), b.view(), matrix, s.match, s.mismatch, s.gap,
                                                   s.gap_length, s.backward, s.building, s.optimize, s.threshold);
  }
  return global::Compute_Global_Alignments_Protein(a.view(), b.view(), matrix, s.match, s.mismatch, s.gap,
                                                   s.gap_length, s.backward, s.building, s.optimize,
                                                   m == Method::GLOBAL_WEIGHTED_ENDS, s.threshold);
}
std::int32_t quality_only(Method m, const Window<Nucleotide>& a, const Window<Nucleotide>& b,
                          const Nucleic_Score_Matrix& matrix, const Settings& s) {
  if (m == Method::LOCAL) return local::Local_Quality_Nucleic(a.view(), b.view(), matrix, s.gap, s.gap_length);
  return global::Global_Quality_Nucleic(a.view(), b.view(), matrix, s.gap, s.gap_length,
                                        m == Method::GLOBAL_WEIGHTED_ENDS);
}
std::int32_t quality_only(Method m, const Window<Amino_Acid>& a, const Window<Amino_Acid>& b,
                          const Protein_Score_Matrix& matrix, const Settings& s) {
  if (m == Method::LOCAL) return local::Local_Quality_Protein(a.view(), b.view(), matrix, s.gap, s.gap_length);
  return global::Global_Quality_Protein(a.view(), b.view(), matrix, s.gap, s.gap_length,
                                        m == Method::GLOBAL_WEIGHTED_ENDS);
}

// The textbook three-state recurrences, forward over full matrices: M the
// best score of the prefixes that ends with a pair, X one that ends with a
// residue of sequence 1 against a gap, Y one with a residue of sequence 2.
// A gap of k adds G + k L once: a gap opens only after a pair or a gap in
// the other direction. A local alignment starts and ends anywhere, but its
// gaps stand beside residues of both sequences that come after them (the
// kernels' cells); a global one covers both sequences, with free or charged
// end gaps.
template <class Code, class Matrix>
std::int64_t textbook_score(Method method, const std::vector<Code>& a, const std::vector<Code>& b,
                            const Matrix& s, std::int64_t G, std::int64_t L) {
  const std::size_t m = a.size(), n = b.size();
  const std::int64_t none = -(std::int64_t(1) << 50);
  std::vector<std::vector<std::int64_t>> M(m + 1, std::vector<std::int64_t>(n + 1, none)), X = M, Y = M;
  const bool local = method == Method::LOCAL, weighted = method == Method::GLOBAL_WEIGHTED_ENDS;
  const std::int64_t start = local ? 0 : none;  // a local alignment may begin anywhere
  if (!local) {
    M[0][0] = 0;
    for (std::size_t i = 1; i <= m; ++i) X[i][0] = weighted ? G + L * std::int64_t(i) : 0;
    for (std::size_t j = 1; j <= n; ++j) Y[0][j] = weighted ? G + L * std::int64_t(j) : 0;
  }
  std::int64_t best = local ? 0 : none;
  for (std::size_t i = 1; i <= m; ++i) {
    for (std::size_t j = 1; j <= n; ++j) {
      M[i][j] = s[std::size_t(a[i - 1])][std::size_t(b[j - 1])] +
                std::max({start, M[i - 1][j - 1], X[i - 1][j - 1], Y[i - 1][j - 1]});
      X[i][j] = std::max(X[i - 1][j] + L, std::max({start, M[i - 1][j], Y[i - 1][j]}) + G + L);
      Y[i][j] = std::max(Y[i][j - 1] + L, std::max({start, M[i][j - 1], X[i][j - 1]}) + G + L);
      best = std::max({best, M[i][j], X[i][j], Y[i][j]});
    }
  }
  if (local) return best;
  if (method == Method::GLOBAL_FREE_ENDS) {
    // A free trailing gap follows a pair or a gap in the other direction; a
    // gap that ends both sequences is such a trailing gap, free.
    best = none;
    for (std::size_t i = 0; i <= m; ++i) best = std::max({best, M[i][n], i < m ? Y[i][n] : none});
    for (std::size_t j = 0; j <= n; ++j) best = std::max({best, M[m][j], j < n ? X[m][j] : none});
    return best;
  }
  // Charged ends: a gap that reaches the end of one sequence and the end gap
  // of the other that follows it may share one opening.
  best = std::max({M[m][n], X[m][n], Y[m][n]});
  for (std::size_t j = 0; j < n; ++j) best = std::max(best, X[m][j] + L * std::int64_t(n - j));
  for (std::size_t i = 0; i < m; ++i) best = std::max(best, Y[i][n] + L * std::int64_t(m - i));
  return best;
}

// The score of a result recomputed column by column from its texts, and the
// checks that the texts hold exactly the residues of the windows.
template <class Code, class Matrix>
std::int64_t text_score(Method method, const Alignment& r, const Window<Code>& a, const Window<Code>& b,
                        const Matrix& s, std::int64_t G, std::int64_t L) {
  const std::string t1(r.Aligned_1.view()), t2(r.Aligned_2.view());
  EXPECT_EQ(std::int32_t(t1.size()), r.Length);
  EXPECT_EQ(std::int32_t(t2.size()), r.Length);
  std::int32_t i = r.Start_1, j = r.Start_2;
  std::int64_t score = 0;
  struct Run {
    char kind;  // 'P' pair, '1' residue of sequence 2 against a gap, '2' of sequence 1
    std::int64_t length;
  };
  std::vector<Run> runs;
  for (std::size_t p = 0; p < t1.size(); ++p) {
    EXPECT_FALSE(t1[p] == '.' && t2[p] == '.');
    char kind = 'P';
    if (t1[p] == '.') {
      kind = '1';
    } else if (t2[p] == '.') {
      kind = '2';
    }
    if (t1[p] != '.') {
      EXPECT_EQ(code_of(t1[p], Code{}), a.codes[std::size_t(i - a.first)]) << "column " << p;
      ++i;
    }
    if (t2[p] != '.') {
      EXPECT_EQ(code_of(t2[p], Code{}), b.codes[std::size_t(j - b.first)]) << "column " << p;
      ++j;
    }
    if (kind == 'P') {
      score += s[std::size_t(code_of(t1[p], Code{}))][std::size_t(code_of(t2[p], Code{}))];
      runs.push_back({'P', 1});
    } else if (!runs.empty() && runs.back().kind == kind) {
      ++runs.back().length;
    } else {
      runs.push_back({kind, 1});
    }
  }
  if (method == Method::LOCAL) {
    EXPECT_EQ(r.Stop_1, i - 1);
    EXPECT_EQ(r.Stop_2, j - 1);
  } else {
    EXPECT_EQ(r.Start_1, a.first);
    EXPECT_EQ(r.Start_2, b.first);
    EXPECT_EQ(i - 1, a.last());
    EXPECT_EQ(j - 1, b.last());
    EXPECT_EQ(r.Stop_1, a.last());
    EXPECT_EQ(r.Stop_2, b.last());
  }
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (runs[k].kind == 'P') continue;
    const bool end = k == 0 || k + 1 == runs.size();
    if (method == Method::GLOBAL_FREE_ENDS && end) continue;
    score += G + L * runs[k].length;
  }
  // Two end gaps sharing one opening, which the kernels choose unless an
  // opening rewards.
  if (method == Method::GLOBAL_WEIGHTED_ENDS && runs.size() >= 2 && runs.back().kind != 'P' &&
      runs[runs.size() - 2].kind != 'P') {
    score -= std::min<std::int64_t>(G, 0);
  }
  return score;
}

template <class Code>
std::string letters(const Window<Code>& w) {
  std::string text;
  for (Code c : w.codes) text += letter_of(c);
  return text;
}

std::string texts(const Alignment& r) {
  return std::string(r.Aligned_1.view()) + "/" + std::string(r.Aligned_2.view());
}

template <class Matrix>
Matrix random_matrix(std::mt19937& random, int low, int high) {
  Matrix m;
  std::uniform_int_distribution<int> value(low, high);
  for (auto& row : m) {
    for (auto& v : row) v = value(random);
  }
  return m;
}

template <class Code, int Size>
Window<Code> random_window(std::mt19937& random, int codes_used) {
  Window<Code> w;
  w.first = std::uniform_int_distribution<int>(-3, 40)(random);
  const int length = std::uniform_int_distribution<int>(2, 9)(random);
  std::uniform_int_distribution<int> code(0, std::min(codes_used, Size) - 1);
  for (int k = 0; k < length; ++k) w.codes.push_back(Code(code(random)));
  return w;
}

// Every result of every building and keeping mode is checked against the
// textbook score, the score of its own texts and the score-only pass.
// Scale multiplies every weight and matrix value: large enough, the scores
// no longer fit the 32-bit working range of the kernels and take 64 bits.
// Cheap gaps lets gaps cost nothing or add to the score, by the opening,
// by each position, or both.
template <class Code, int Size, class Matrix>
void check_random_couples(std::uint32_t seed, int couples, Matrix (*built_in)(), std::int32_t scale = 1,
                          bool cheap_gaps = false) {
  std::mt19937 random(seed);
  for (int couple = 0; couple < couples; ++couple) {
    const int codes_used = couple % 2 ? 4 : Size;
    const Window<Code> a = random_window<Code, Size>(random, codes_used);
    const Window<Code> b = random_window<Code, Size>(random, codes_used);
    Matrix matrix = couple % 3 == 0 ? built_in() : random_matrix<Matrix>(random, -6, 6);
    for (auto& row : matrix) {
      for (auto& v : row) v *= scale;
    }
    Settings s;
    do {
      s.gap = std::uniform_int_distribution<int>(-12, cheap_gaps ? 12 : 0)(random);
      s.gap_length = std::uniform_int_distribution<int>(-4, cheap_gaps ? 6 : 0)(random);
    } while (s.gap + s.gap_length == 0 && !cheap_gaps);
    s.gap *= scale;
    s.gap_length *= scale;
    s.backward = Backward_Mode(std::uniform_int_distribution<int>(0, 5)(random));
    for (Method method : {Method::LOCAL, Method::GLOBAL_WEIGHTED_ENDS, Method::GLOBAL_FREE_ENDS}) {
      // The kernels run backwards: on the reversed windows the forward
      // recurrences are theirs. (Global ends are whole-window either way.)
      const auto reversed = [&](std::vector<Code> codes) {
        if (method == Method::LOCAL) std::reverse(codes.begin(), codes.end());
        return codes;
      };
      const std::int64_t expected =
          textbook_score(method, reversed(a.codes), reversed(b.codes), matrix, s.gap, s.gap_length);
      SCOPED_TRACE(std::string(name(method)) + ", couple " + std::to_string(couple) + ", G " +
                   std::to_string(s.gap) + ", L " + std::to_string(s.gap_length) + ", " + letters(a) + " / " +
                   letters(b));
      EXPECT_EQ(quality_only(method, a, b, matrix, s), expected);
      for (Building_Mode building : {Building_Mode::ONE, Building_Mode::ALL_FIRSTS, Building_Mode::FULL}) {
        for (Optimize_Mode optimize : {Optimize_Mode::NO, Optimize_Mode::SHORT, Optimize_Mode::LARGE}) {
          s.building = building;
          s.optimize = optimize;
          const Alignment_Array_Access results = align(method, a, b, matrix, s);
          ASSERT_GE(results->length(), 1);
          if (building == Building_Mode::ONE) {
            EXPECT_EQ(results->length(), 1);
          }
          std::set<std::string> paths;
          for (std::int32_t k = 1; k <= results->last(); ++k) {
            const Alignment& r = *(*results)(k);
            EXPECT_EQ(r.Quality, expected);
            const std::int64_t own = text_score(method, r, a, b, matrix, s.gap, s.gap_length);
            // A local score of 0 is one pair that scores no more than 0.
            if (!(method == Method::LOCAL && expected == 0)) {
              EXPECT_EQ(own, expected) << texts(r);
            }
            if (optimize != Optimize_Mode::NO) {
              EXPECT_EQ(r.Length, (*results)(1)->Length);
            }
            paths.insert(std::to_string(r.Start_1) + "," + std::to_string(r.Start_2) + ":" + texts(r));
          }
          EXPECT_EQ(paths.size(), std::size_t(results->length())) << "kept paths are distinct";
        }
      }
    }
  }
}

Nucleic_Score_Matrix default_dna() { return utils::Default_Nucleic_Matrix(100, -90); }

// Statistics of one result in one line, for compact expectations.
std::string summary(const Alignment& r) {
  return texts(r) + " Q" + std::to_string(r.Quality) + " L" + std::to_string(r.Length) + " G" +
         std::to_string(r.Nb_Gaps) + "/" + std::to_string(r.Gaps_Length) + " M" + std::to_string(r.Number_Of_Match) +
         "/" + std::to_string(r.Number_Of_Mismatch) + " C" + std::to_string(r.Continuous_Matches) + " " +
         std::to_string(r.Start_1) + "-" + std::to_string(r.Stop_1) + " " + std::to_string(r.Start_2) + "-" +
         std::to_string(r.Stop_2) + " " + Image(r.Backward);
}

std::vector<std::string> summaries(const Alignment_Array_Access& results) {
  std::vector<std::string> all;
  for (std::int32_t k = 1; k <= results->last(); ++k) all.push_back(summary(*(*results)(k)));
  return all;
}

}  // namespace

TEST(KernelOracle, NucleicCouplesAgreeWithTheTextbook) {
  check_random_couples<Nucleotide, 15, Nucleic_Score_Matrix>(20240611, 300, &default_dna);
}

TEST(KernelOracle, ProteinCouplesAgreeWithTheTextbook) {
  check_random_couples<Amino_Acid, 24, Protein_Score_Matrix>(777, 300, &utils::Default_Protein_Matrix);
}

TEST(KernelOracle, LargeWeightsAgreeWithTheTextbook) {
  const auto small_dna = [] { return utils::Default_Nucleic_Matrix(5, -4); };
  check_random_couples<Nucleotide, 15, Nucleic_Score_Matrix>(99, 60, +small_dna, 1 << 22);
  check_random_couples<Amino_Acid, 24, Protein_Score_Matrix>(98, 60, &utils::Default_Protein_Matrix, 1 << 22);
}

TEST(KernelOracle, CheapAndRewardingGapsAgreeWithTheTextbook) {
  check_random_couples<Nucleotide, 15, Nucleic_Score_Matrix>(31, 400, &default_dna, 1, true);
  check_random_couples<Amino_Acid, 24, Protein_Score_Matrix>(32, 400, &utils::Default_Protein_Matrix, 1, true);
  const auto small_dna = [] { return utils::Default_Nucleic_Matrix(5, -4); };
  check_random_couples<Nucleotide, 15, Nucleic_Score_Matrix>(33, 60, +small_dna, 1 << 22, true);
}

TEST(KernelOracle, ARewardingGapIsCountedOncePerGap) {
  // Each gap adds its opening reward once: the alignments alternate
  // between the two directions, and each shows the score it is given.
  const auto a = dna("ACGT"), b = dna("TTGA");
  const Nucleic_Score_Matrix matrix = utils::Default_Nucleic_Matrix(10, -9);
  Settings s;
  s.gap = 5;
  s.gap_length = 0;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, matrix, s)),
            (std::vector<std::string>{"A.C.GT/.T.TG. Q35 L6 G5/5 M1/0 C1 1-4 1-3 DVH"}));
  EXPECT_EQ(summaries(align(Method::GLOBAL_WEIGHTED_ENDS, a, b, matrix, s)),
            (std::vector<std::string>{"A.C.GT./.T.TG.A Q40 L7 G6/6 M1/0 C1 1-4 1-4 DVH"}));
  EXPECT_EQ(quality_only(Method::LOCAL, a, b, matrix, s), 35);
  EXPECT_EQ(quality_only(Method::GLOBAL_WEIGHTED_ENDS, a, b, matrix, s), 40);
}

TEST(KernelOracle, ScoresBeyond32BitsAreRefused) {
  Nucleic_Score_Matrix huge;
  for (auto& row : huge) row.fill(2147483647);
  Settings s;
  for (Method m : {Method::LOCAL, Method::GLOBAL_WEIGHTED_ENDS}) {
    for (bool full : {true, false}) {
      try {
        if (full) {
          align(m, dna("AAA"), dna("AAA"), huge, s);
        } else {
          quality_only(m, dna("AAA"), dna("AAA"), huge, s);
        }
        ADD_FAILURE() << "nothing raised";
      } catch (const platform::Error& e) {
        EXPECT_TRUE(e.is(standard::CONSTRAINT_ERROR)) << e.name();
      }
    }
  }
}

// ---------------------------------------------------------------- local, by hand

TEST(LocalKernel, NoPositivePairMakesEveryCellAStart) {
  // All four pairs mismatch: Quality 0, the first start cell is (Last1, Last2).
  const auto a = dna("AC", 7), b = dna("GT", 20);
  Settings s;
  const auto one = align(Method::LOCAL, a, b, default_dna(), s);
  EXPECT_EQ(summaries(one), (std::vector<std::string>{"C/T Q0 L1 G0/0 M0/1 C0 8-8 21-21 DVH"}));
  EXPECT_FLOAT_EQ((*one)(1)->Ratio, 0.0f);
  EXPECT_FLOAT_EQ((*one)(1)->Percent_Identity, 0.0f);
  s.building = Building_Mode::ALL_FIRSTS;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, default_dna(), s)),
            (std::vector<std::string>{"C/T Q0 L1 G0/0 M0/1 C0 8-8 21-21 DVH", "C/G Q0 L1 G0/0 M0/1 C0 8-8 20-20 DVH",
                                      "A/T Q0 L1 G0/0 M0/1 C0 7-7 21-21 DVH", "A/G Q0 L1 G0/0 M0/1 C0 7-7 20-20 DVH"}));
}

TEST(LocalKernel, TiedStartCellsLargestRowFirst) {
  // C/C at (2, 1) and A/A at (1, 2) both score 100.
  const auto a = dna("AC"), b = dna("CA");
  Settings s;
  s.building = Building_Mode::ALL_FIRSTS;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, default_dna(), s)),
            (std::vector<std::string>{"C/C Q100 L1 G0/0 M1/0 C1 2-2 1-1 DVH", "A/A Q100 L1 G0/0 M1/0 C1 1-1 2-2 DVH"}));
  s.building = Building_Mode::ONE;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, default_dna(), s)),
            (std::vector<std::string>{"C/C Q100 L1 G0/0 M1/0 C1 2-2 1-1 DVH"}));
}

TEST(LocalKernel, FullKeepsOnePathWhenAllOrdersAgree) {
  Settings s;
  s.building = Building_Mode::FULL;
  s.backward = Backward_Mode::HVD;  // not used by FULL
  const auto results = align(Method::LOCAL, dna("ACGT"), dna("ACGT"), default_dna(), s);
  EXPECT_EQ(summaries(results), (std::vector<std::string>{"ACGT/ACGT Q400 L4 G0/0 M4/0 C4 1-4 1-4 DVH"}));
  EXPECT_FLOAT_EQ((*results)(1)->Ratio, 100.0f);
  EXPECT_FLOAT_EQ((*results)(1)->Percent_Identity, 100.0f);
}

TEST(LocalKernel, ShortAndLargeKeeping) {
  // Three separate regions score 20 each: CC (2 columns), TTTT (4), GG (2),
  // found in that order (largest row first).
  Nucleic_Score_Matrix m;
  for (auto& row : m) row.fill(-100);
  auto at = [&](char x, char y) -> std::int32_t& {
    return m[std::size_t(sequence_specifications::To_Nucleotide(x))][std::size_t(sequence_specifications::To_Nucleotide(y))];
  };
  at('G', 'G') = 10;
  at('C', 'C') = 10;
  at('T', 'T') = 5;
  const auto a = dna("GGATTTTACC"), b = dna("GGATTTTACC");
  Settings s;
  s.building = Building_Mode::ALL_FIRSTS;
  s.optimize = Optimize_Mode::NO;
  auto results = align(Method::LOCAL, a, b, m, s);
  EXPECT_EQ(summaries(results),
            (std::vector<std::string>{"CC/CC Q20 L2 G0/0 M2/0 C2 9-10 9-10 DVH", "TTTT/TTTT Q20 L4 G0/0 M4/0 C4 4-7 4-7 DVH",
                                      "GG/GG Q20 L2 G0/0 M2/0 C2 1-2 1-2 DVH"}));
  // Each result counts its own similar pairs: no off-diagonal cell is
  // positive, so the threshold is 0.0 and every identical pair is similar.
  for (std::int32_t k = 1; k <= 3; ++k) EXPECT_FLOAT_EQ((*results)(k)->Percent_Similarity, 100.0f);
  EXPECT_FLOAT_EQ((*results)(2)->Ratio, 5.0f);
  s.optimize = Optimize_Mode::SHORT;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, m, s)),
            (std::vector<std::string>{"CC/CC Q20 L2 G0/0 M2/0 C2 9-10 9-10 DVH", "GG/GG Q20 L2 G0/0 M2/0 C2 1-2 1-2 DVH"}));
  s.optimize = Optimize_Mode::LARGE;
  EXPECT_EQ(summaries(align(Method::LOCAL, a, b, m, s)),
            (std::vector<std::string>{"TTTT/TTTT Q20 L4 G0/0 M4/0 C4 4-7 4-7 DVH"}));
}

TEST(LocalKernel, StartCellReachedByAFreeGapBeginsWithIt) {
  // Gaps cost nothing: from (1, 1), A/G, the best is the free gap over G
  // and then A/A C/C, as good as starting at (1, 2).
  Settings s;
  s.gap = 0;
  s.gap_length = 0;
  s.building = Building_Mode::ALL_FIRSTS;
  const auto results = align(Method::LOCAL, dna("AC"), dna("GAC"), default_dna(), s);
  EXPECT_EQ(summaries(results), (std::vector<std::string>{"AC/AC Q200 L2 G0/0 M2/0 C2 1-2 2-3 DVH",
                                                          ".AC/GAC Q200 L3 G1/1 M2/0 C2 1-2 1-3 DVH"}));
  EXPECT_FLOAT_EQ((*results)(2)->Ratio, 100.0f);
}

TEST(LocalKernel, SimilarityThreshold) {
  // N scores as a match: with the threshold derived from the matrix (the
  // match weight) N/C is similar but not identical.
  const auto a = dna("ANAT"), b = dna("ACAG");
  Settings s;
  const auto derived = align(Method::LOCAL, a, b, default_dna(), s);
  EXPECT_EQ(summary(*(*derived)(1)), "ANA/ACA Q300 L3 G0/0 M2/1 C1 1-3 1-3 DVH");
  EXPECT_FLOAT_EQ((*derived)(1)->Percent_Similarity, 100.0f);
  EXPECT_FLOAT_EQ((*derived)(1)->Percent_Identity, float(200) / 3.0f);
  s.threshold = 101;
  EXPECT_FLOAT_EQ((*align(Method::LOCAL, a, b, default_dna(), s))(1)->Percent_Similarity, 0.0f);
  s.threshold = 0;
  EXPECT_FLOAT_EQ((*align(Method::LOCAL, a, b, default_dna(), s))(1)->Percent_Similarity, 100.0f);
}

// ---------------------------------------------------------------- long gaps

namespace {

// Sequence 1 is A C G, sequence 2 is A T, a run of S, then C. A/A starts the
// best alignment; from C/T the best goes on either by a horizontal gap over
// T and the run (to C/C) or by a vertical gap over C (to G/T), at equal cost.
struct Long_Gap_Case {
  int run;                // length of the S run
  std::int32_t g_t;       // G/T
  std::int32_t g_c;       // G/C
  std::int32_t c_s;       // C/S
};

Nucleic_Score_Matrix long_gap_matrix(const Long_Gap_Case& c) {
  Nucleic_Score_Matrix m;
  for (auto& row : m) row.fill(-100);
  auto at = [&](char x, char y) -> std::int32_t& {
    return m[std::size_t(sequence_specifications::To_Nucleotide(x))][std::size_t(sequence_specifications::To_Nucleotide(y))];
  };
  at('A', 'A') = 1000;
  at('C', 'C') = 600;
  at('G', 'T') = c.g_t;
  at('G', 'C') = c.g_c;
  at('C', 'S') = c.c_s;
  return m;
}

Nucleic_Score_Matrix transposed(const Nucleic_Score_Matrix& m) {
  Nucleic_Score_Matrix t;
  for (std::size_t r = 0; r < m.size(); ++r) {
    for (std::size_t c = 0; c < m.size(); ++c) t[c][r] = m[r][c];
  }
  return t;
}

std::string gaps(int n) { return std::string(std::size_t(n), '.'); }
template <class... Parts>
std::string cat(const Parts&... parts) {
  std::string all;
  (all.append(parts), ...);
  return all;
}
std::string run_of_s(int n) { return std::string(std::size_t(n), 'S'); }

void expect_all_score(const Alignment_Array_Access& results, const Window<Nucleotide>& a,
                      const Window<Nucleotide>& b, const Nucleic_Score_Matrix& m, std::int64_t quality) {
  for (std::int32_t k = 1; k <= results->last(); ++k) {
    const Alignment& r = *(*results)(k);
    EXPECT_EQ(r.Quality, quality);
    EXPECT_EQ(text_score(Method::LOCAL, r, a, b, m, -10, -1), quality) << Image(r.Backward);
  }
}

}  // namespace

TEST(LongGaps, GapOf255BesideAnotherMoveIsStoredDirectly) {
  const Long_Gap_Case c{254, 346, -100, -100};
  const auto a = dna("ACG"), b = dna(cat("AT", run_of_s(c.run), "C"));
  Settings s;
  s.gap = -10;
  s.gap_length = -1;
  s.building = Building_Mode::FULL;
  const auto results = align(Method::LOCAL, a, b, long_gap_matrix(c), s);
  EXPECT_EQ(summaries(results),
            (std::vector<std::string>{"ACG/A.T Q1335 L3 G1/1 M1/1 C1 1-3 1-2 DVH",
                                      cat("A", gaps(255), "C/AT", run_of_s(254), "C Q1335 L257 G1/255 M2/0 C1 1-2 1-257 DHV")}));
  expect_all_score(results, a, b, long_gap_matrix(c), 1335);
}

TEST(LongGaps, GapOf256ContinuesThroughAHorizontalOnlyCell) {
  const Long_Gap_Case c{255, 345, -100, -100};
  const auto a = dna("ACG"), b = dna(cat("AT", run_of_s(c.run), "C"));
  Settings s;
  s.gap = -10;
  s.gap_length = -1;
  s.building = Building_Mode::FULL;
  const auto results = align(Method::LOCAL, a, b, long_gap_matrix(c), s);
  // Traced as two horizontal steps (255, then 1 from a horizontal-only
  // cell): one gap.
  EXPECT_EQ(summaries(results),
            (std::vector<std::string>{"ACG/A.T Q1334 L3 G1/1 M1/1 C1 1-3 1-2 DVH",
                                      cat("A", gaps(256), "C/AT", run_of_s(255), "C Q1334 L258 G1/256 M2/0 C1 1-2 1-258 DHV")}));
  expect_all_score(results, a, b, long_gap_matrix(c), 1334);

  // The same couple transposed gives the vertical gap its offset.
  s.building = Building_Mode::ALL_FIRSTS;
  s.backward = Backward_Mode::DVH;
  const auto mirrored = align(Method::LOCAL, b, a, transposed(long_gap_matrix(c)), s);
  EXPECT_EQ(summaries(mirrored), (std::vector<std::string>{cat("AT", run_of_s(255), "C/A", gaps(256),
                                                               "C Q1334 L258 G1/256 M2/0 C1 1-258 1-2 DVH")}));
}

TEST(LongGaps, GapOf256WithoutAHorizontalOnlyCellIsFollowedExactly) {
  // Every cell of the gap also has a vertical move, and the one 255 columns
  // on also has the pair: no continuation cell exists, and the gap must
  // still be traced as the 256 residues its score was made of.
  const Long_Gap_Case c{255, -100, 611, -22};
  const auto a = dna("ACG"), b = dna(cat("AT", run_of_s(c.run), "C"));
  Settings s;
  s.gap = -10;
  s.gap_length = -1;
  s.building = Building_Mode::FULL;
  const auto results = align(Method::LOCAL, a, b, long_gap_matrix(c), s);
  EXPECT_EQ(summaries(results),
            (std::vector<std::string>{
                cat("AC", gaps(256), "G/A.T", run_of_s(255), "C Q1334 L259 G2/257 M1/1 C1 1-3 1-258 DVH"),
                cat("A", gaps(256), "C/AT", run_of_s(255), "C Q1334 L258 G1/256 M2/0 C1 1-2 1-258 DHV"),
                cat("A", gaps(256), "CG/AT", run_of_s(255), ".C Q1334 L259 G2/257 M1/1 C1 1-3 1-258 HVD")}));
  expect_all_score(results, a, b, long_gap_matrix(c), 1334);

  const auto mirrored = align(Method::LOCAL, b, a, transposed(long_gap_matrix(c)), s);
  std::set<std::string> mirrored_texts, expected_texts;
  for (std::int32_t k = 1; k <= mirrored->last(); ++k) {
    const Alignment& r = *(*mirrored)(k);
    mirrored_texts.insert(std::string(r.Aligned_2.view()) + "/" + std::string(r.Aligned_1.view()));
    EXPECT_EQ(text_score(Method::LOCAL, r, b, a, transposed(long_gap_matrix(c)), -10, -1), 1334);
  }
  for (std::int32_t k = 1; k <= results->last(); ++k) expected_texts.insert(texts(*(*results)(k)));
  EXPECT_EQ(mirrored_texts, expected_texts);
}

// ---------------------------------------------------------------- global, by hand

TEST(GlobalKernel, IdenticalWindows) {
  Settings s;
  s.building = Building_Mode::FULL;
  const auto results = align(Method::GLOBAL_WEIGHTED_ENDS, dna("GATTACA", 3), dna("GATTACA", 10), default_dna(), s);
  EXPECT_EQ(summaries(results), (std::vector<std::string>{"GATTACA/GATTACA Q700 L7 G0/0 M7/0 C7 3-9 10-16 DVH"}));
  EXPECT_EQ((*results)(1)->Method, Alignment_Method::GLOBAL_ALIGNMENT);
  EXPECT_FLOAT_EQ((*results)(1)->Ratio, 100.0f);
  // BLOSUM62 on the diagonal: 5 + 11 + 9 + 7 + 1.
  const auto proteins = global::Compute_Global_Alignments_Protein(
      protein("MWCY*").view(), protein("MWCY*").view(), utils::Default_Protein_Matrix(), 100, -90, -50, -3,
      Backward_Mode::DVH, Building_Mode::ONE, Optimize_Mode::NO, true, -1);
  EXPECT_EQ(summaries(proteins), (std::vector<std::string>{"MWCY*/MWCY* Q33 L5 G0/0 M5/0 C5 1-5 1-5 DVH"}));
}

TEST(GlobalKernel, LeadingGapChargedOrFree) {
  // Sequence 1 is one extra residue followed by sequence 2.
  const auto a = dna("GACGT"), b = dna("ACGT");
  Settings s;
  const auto weighted = align(Method::GLOBAL_WEIGHTED_ENDS, a, b, default_dna(), s);
  EXPECT_EQ(summaries(weighted), (std::vector<std::string>{"GACGT/.ACGT Q347 L5 G1/1 M4/0 C4 1-5 1-4 DVH"}));
  EXPECT_FLOAT_EQ((*weighted)(1)->Ratio, 347.0f / 4.0f);
  // Free end gaps: the start is (First1 + 1, First2) and the gap is no gap.
  const auto free_ends = align(Method::GLOBAL_FREE_ENDS, a, b, default_dna(), s);
  EXPECT_EQ(summaries(free_ends), (std::vector<std::string>{"GACGT/.ACGT Q400 L5 G0/0 M4/0 C4 1-5 1-4 DVH"}));
  EXPECT_FLOAT_EQ((*free_ends)(1)->Percent_Identity, 100.0f);
  EXPECT_FLOAT_EQ((*free_ends)(1)->Percent_Similarity, 100.0f);
}

TEST(GlobalKernel, AllGapPathWithFreeEnds) {
  // Every pair mismatches: aligning nothing at all scores best.
  Settings s;
  const auto results = align(Method::GLOBAL_FREE_ENDS, dna("AA"), dna("TT"), default_dna(), s);
  EXPECT_EQ(summaries(results), (std::vector<std::string>{"..AA/TT.. Q0 L4 G0/0 M0/0 C0 1-2 1-2 DVH"}));
  EXPECT_FLOAT_EQ((*results)(1)->Percent_Identity, 0.0f);
  EXPECT_FLOAT_EQ((*results)(1)->Percent_Similarity, 0.0f);
  EXPECT_FLOAT_EQ((*results)(1)->Ratio, 0.0f);
}

TEST(GlobalKernel, FreeEndTiesColumnCellsFirst) {
  // C/C from (2, 1) and A/A from (1, 2) both score 100 with free ends.
  Settings s;
  s.building = Building_Mode::ALL_FIRSTS;
  EXPECT_EQ(summaries(align(Method::GLOBAL_FREE_ENDS, dna("AC"), dna("CA"), default_dna(), s)),
            (std::vector<std::string>{"AC./.CA Q100 L3 G0/0 M1/0 C1 1-2 1-2 DVH",
                                      ".AC/CA. Q100 L3 G0/0 M1/0 C1 1-2 1-2 DVH"}));
}

TEST(GlobalKernel, EndGapsMeetingAtTheCornerShareOneOpening) {
  // After A/A A/A, gapping the last G of sequence 1 and then the last C of
  // sequence 2 costs one opening and two positions, -50 - 6: better than
  // G/C (-90). The vertical gap comes first in the order DVH, the
  // horizontal one in DHV.
  Settings s;
  const auto vertical = align(Method::GLOBAL_WEIGHTED_ENDS, dna("AAG"), dna("AAC"), default_dna(), s);
  EXPECT_EQ(summaries(vertical), (std::vector<std::string>{"AAG./AA.C Q144 L4 G2/2 M2/0 C2 1-3 1-3 DVH"}));
  s.backward = Backward_Mode::DHV;
  const auto horizontal = align(Method::GLOBAL_WEIGHTED_ENDS, dna("AAG"), dna("AAC"), default_dna(), s);
  EXPECT_EQ(summaries(horizontal), (std::vector<std::string>{"AA.G/AAC. Q144 L4 G2/2 M2/0 C2 1-3 1-3 DHV"}));
}

TEST(Kernels, WindowsBeyond65535AreRefused) {
  const Window<Nucleotide> big{std::vector<Nucleotide>(65536, Nucleotide::A), 1};
  const Window<Nucleotide> small = dna("AC");
  Settings s;
  for (Method m : {Method::LOCAL, Method::GLOBAL_FREE_ENDS}) {
    for (bool first_is_big : {true, false}) {
      try {
        align(m, first_is_big ? big : small, first_is_big ? small : big, default_dna(), s);
        ADD_FAILURE() << "nothing raised";
      } catch (const platform::Error& e) {
        EXPECT_TRUE(e.is(standard::STORAGE_ERROR)) << e.name();
      }
    }
  }
}
