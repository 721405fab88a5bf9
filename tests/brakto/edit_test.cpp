#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "brakto-edit.h"
#include "brakto.h"
#include "platform/text_io.h"
#include "mutation_report.h"
#include "test_support.h"

using brakto::Couple_List;
using brakto::edit::Extract_Positions;
using brakto::edit::Mutate;
using brakto::edit::Translate_To_Protein;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::SEQUENCE_DATA;

namespace {

// A DNA record as the reader leaves it: Text 1..n, First 1, Last n.
SEQUENCE_DATA dna(const std::string& letters) {
  SEQUENCE_DATA seq;
  seq.Model = Sequence_Model::DNA;
  seq.Length = std::int32_t(letters.size());
  seq.Text = strlib::To_Pointer(letters);
  if (seq.Text.is_null()) seq.Text = strlib::String_Pointer::make(1, 0);
  seq.First = 1;
  seq.Last = seq.Length;
  return seq;
}

Couple_List couples(const std::vector<std::pair<int, int>>& items) {
  Couple_List list;
  for (auto [start, stop] : items) list.Append(start, stop);
  return list;
}

std::string text_of(const SEQUENCE_DATA& seq) { return std::string(seq.Text.view()); }

}  // namespace

TEST(CoupleList, KeepsAppendOrderBothWays) {
  Couple_List list = couples({{5, 10}, {1, 1}, {3, 8}});
  ASSERT_EQ(list.Count(), 3);
  std::vector<std::pair<int, int>> forward, backward;
  for (auto* c = list.First(); c; c = c->Next) forward.push_back({c->Start, c->Stop});
  for (auto* c = list.Last(); c; c = c->Previous) backward.push_back({c->Start, c->Stop});
  EXPECT_EQ(forward, (std::vector<std::pair<int, int>>{{5, 10}, {1, 1}, {3, 8}}));
  EXPECT_EQ(backward, (std::vector<std::pair<int, int>>{{3, 8}, {1, 1}, {5, 10}}));

  EXPECT_EQ(test_support::raised([&] { list.Append(10, 9); }), "BRAKTO.INVALID_POSITION brakto:111");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Last()->Start, 3);

  Couple_List moved = std::move(list);
  EXPECT_TRUE(list.Is_Empty());
  EXPECT_EQ(list.First(), nullptr);
  EXPECT_EQ(moved.Count(), 3);
}

TEST(ExtractPositions, ConcatenatesCouplesInListOrder) {
  struct Case {
    const char* text;
    std::vector<std::pair<int, int>> couples;
    const char* expected;
  };
  const Case cases[] = {
      {"ACGTA", {{1, 3}, {2, 4}}, "ACGCGT"},       // overlapping
      {"ACGTA", {{4, 5}, {1, 2}}, "TAAC"},         // reordered
      {"ACGTA", {{3, 3}}, "G"},                    // start equal to stop
      {"ACGTA", {{1, 5}, {1, 5}}, "ACGTAACGTA"},   // repeated
  };
  for (const Case& c : cases) {
    SEQUENCE_DATA seq = dna(c.text);
    Extract_Positions(seq, couples(c.couples));
    EXPECT_EQ(text_of(seq), c.expected) << c.text;
    EXPECT_EQ(seq.Text.first(), 1);
    EXPECT_EQ(seq.First, 1);
    EXPECT_EQ(seq.Last, std::int32_t(std::string(c.expected).size()));
    EXPECT_EQ(seq.Length, 5) << "the length as read stays";
  }
}

TEST(ExtractPositions, RefusedOrEmptyListLeavesRecordAsItWas) {
  // Couples are checked against the working range, not the whole text.
  const std::vector<std::vector<std::pair<int, int>>> refused = {
      {{2, 6}}, {{1, 3}}, {{2, 3}, {5, 7}}, {{3, 3}, {1, 2}}};
  for (const auto& items : refused) {
    SEQUENCE_DATA seq = dna("ACGTACG");
    seq.First = 2;
    seq.Last = 5;
    EXPECT_EQ(test_support::raised([&] { Extract_Positions(seq, couples(items)); }),
              "BRAKTO.OUT_OF_SEQUENCE brakto:477");
    EXPECT_EQ(text_of(seq), "ACGTACG");
    EXPECT_EQ(seq.First, 2);
    EXPECT_EQ(seq.Last, 5);
  }
  SEQUENCE_DATA seq = dna("ACGTACG");
  seq.First = 2;
  seq.Last = 5;
  Extract_Positions(seq, Couple_List());
  EXPECT_EQ(text_of(seq), "ACGTACG");
  EXPECT_EQ(seq.First, 2);
  EXPECT_EQ(seq.Last, 5);
}

TEST(TranslateToProtein, WholeCodonsOfTheWorkingRange) {
  struct Case {
    const char* text;
    int first;
    int last;
    const char* expected;
  };
  const Case cases[] = {
      {"ATGTGGTAA", 1, 9, "MW*"},
      {"ATGTG", 1, 5, "M"},          // trailing bases dropped
      {"AT", 1, 2, ""},
      {"atg", 1, 3, "M"},            // either case
      {"AUGUAG", 1, 6, "M*"},        // U counts as T
      {"CCATGTGGA", 3, 8, "MW"},     // only First..Last
      {"GCNRTGATGNNN", 1, 12, "XXMX"},  // an ambiguous letter gives X
      {"ATGAAA", 4, 3, ""},          // empty range
  };
  for (const Case& c : cases) {
    SEQUENCE_DATA seq = dna(c.text);
    seq.First = c.first;
    seq.Last = c.last;
    SEQUENCE_DATA protein = dna("OLD");
    Translate_To_Protein(seq, protein);
    EXPECT_EQ(text_of(protein), c.expected) << c.text;
    EXPECT_EQ(protein.Model, Sequence_Model::PROTEIN);
    EXPECT_EQ(protein.Text.first(), 1);
    EXPECT_EQ(protein.First, 1);
    EXPECT_EQ(protein.Last, std::int32_t(std::string(c.expected).size()));
    EXPECT_EQ(text_of(seq), c.text) << "the sequence is not changed";
  }
}

TEST(TranslateToProtein, RefusesANonNucleotideLetter) {
  SEQUENCE_DATA seq = dna("ATGAXG");
  SEQUENCE_DATA protein;
  EXPECT_EQ(test_support::raised([&] { Translate_To_Protein(seq, protein); }),
            "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:109");
}

TEST(TranslateToProtein, TableHoldsTheStandardCode) {
  std::ifstream in(test_support::fixture("brakto/genetic-code.txt"));
  ASSERT_TRUE(in);
  std::string line;
  std::string all_codons;
  std::string expected;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string codon, amino;
    fields >> codon >> amino;
    all_codons += codon;
    expected += amino;
  }
  ASSERT_EQ(expected.size(), 64u);
  SEQUENCE_DATA seq = dna(all_codons);
  SEQUENCE_DATA protein;
  Translate_To_Protein(seq, protein);
  EXPECT_EQ(text_of(protein), expected);

  // Every other entry holds an ambiguous letter and gives X.
  int x_entries = 0;
  for (char entry : brakto::edit::Codon_Table) x_entries += entry == 'X';
  EXPECT_EQ(x_entries, 3375 - 64);
}

namespace {

std::string mutate_report(SEQUENCE_DATA& seq, int count, int seed) {
  platform::Standard_Output_Capture capture;
  Mutate(seq, count, seed);
  return capture.text();
}

}  // namespace

TEST(Mutate, EveryMutationChangesItsLetterToOneOfATGC) {
  const std::string original = "UUUUNNNNAAAACCCCGGGGTTTTacgu";
  SEQUENCE_DATA seq = dna(original);
  seq.First = 3;
  seq.Last = 26;
  const std::string report = mutate_report(seq, 200, 11);
  int other_lines = 0;
  const auto mutations = mutation_report::parse(report, &other_lines);
  ASSERT_EQ(mutations.size(), 200u);
  EXPECT_EQ(other_lines, 0);

  // Replaying the report line by line must give the record's final text.
  std::string replay = original;
  for (const auto& m : mutations) {
    ASSERT_GE(m.position, 3);
    ASSERT_LE(m.position, 26);
    EXPECT_EQ(replay[std::size_t(m.position - 1)], m.old_letter);
    EXPECT_NE(std::string("ATGC").find(m.new_letter), std::string::npos) << m.new_letter;
    EXPECT_NE(m.new_letter, m.old_letter);
    if (m.old_letter == 'U') {
      EXPECT_NE(m.new_letter, 'T') << "U and T are one code";
    }
    replay[std::size_t(m.position - 1)] = m.new_letter;
  }
  EXPECT_EQ(text_of(seq), replay);
  EXPECT_EQ(text_of(seq).substr(0, 2), "UU");
  EXPECT_EQ(text_of(seq).substr(26), "gu");
}

TEST(Mutate, SeedFixesTheRunAndZeroTakesTheClock) {
  const std::string original(400, 'A');
  auto run = [&](int seed) {
    SEQUENCE_DATA seq = dna(original);
    const std::string report = mutate_report(seq, 30, seed);
    return report + text_of(seq);
  };
  EXPECT_EQ(run(42), run(42));
  EXPECT_NE(run(42), run(43));
  EXPECT_NE(run(0), run(0));
  // The second generator's seed wraps instead of overflowing.
  const int top = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(run(top), run(top));
}

TEST(Mutate, NothingToDrawFromAnEmptyRange) {
  SEQUENCE_DATA seq = dna("ACGT");
  seq.First = 3;
  seq.Last = 2;
  EXPECT_EQ(mutate_report(seq, 0, 5), "");
  EXPECT_EQ(mutate_report(seq, -4, 5), "");
  EXPECT_EQ(test_support::raised([&] { mutate_report(seq, 1, 5); }).rfind("CONSTRAINT_ERROR ", 0), 0u);
  EXPECT_EQ(text_of(seq), "ACGT");
}

TEST(ExtractPositions, TotalBeyondThePositionRangeIsRefusedUnallocated) {
  const std::string text(1000000, 'A');
  SEQUENCE_DATA seq = dna(text);
  Couple_List list;
  for (int i = 0; i < 2148; ++i) list.Append(1, 1000000);  // 2 148 000 000 positions
  EXPECT_EQ(test_support::raised([&] { Extract_Positions(seq, list); }).rfind("CONSTRAINT_ERROR ", 0), 0u);
  EXPECT_EQ(seq.Text.length(), 1000000);
  EXPECT_EQ(seq.Last, 1000000);
}

TEST(WorkingRange, BeyondTheTextIsRefusedNotRead) {
  SEQUENCE_DATA seq = dna("ACGT");
  seq.Last = 9;
  SEQUENCE_DATA protein;
  for (auto operation : {+[](SEQUENCE_DATA& s, SEQUENCE_DATA& p) { Translate_To_Protein(s, p); },
                         +[](SEQUENCE_DATA& s, SEQUENCE_DATA&) { Mutate(s, 3, 1); },
                         +[](SEQUENCE_DATA& s, SEQUENCE_DATA&) { Extract_Positions(s, couples({{1, 2}})); }}) {
    EXPECT_EQ(test_support::raised([&] { operation(seq, protein); }).rfind("CONSTRAINT_ERROR ", 0), 0u);
  }
  EXPECT_EQ(text_of(seq), "ACGT");
}
