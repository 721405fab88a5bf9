#include <gtest/gtest.h>

#include <string>

#include "alignment_results.h"
#include "platform/text_io.h"
#include "sequence_alignment-print.h"
#include "test_support.h"

using alignment_results::Alignment;
using sequence_alignment::Alignment_Method;
using sequence_alignment::Alignment_Summary;
using sequence_alignment::Backward_Mode;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;
using namespace sequence_alignment::print;

namespace {

strlib::String_Pointer text(const std::string& s) { return strlib::To_Pointer(s); }

std::string repeat(const std::string& unit, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += unit;
  return s;
}

// A DNA alignment of seqA over seqB with the statistics of the one-block report.
Alignment dna_record() {
  Alignment a;
  a.Name_1 = text("seqA");
  a.Name_2 = text("seqB");
  a.Model = Sequence_Model::DNA;
  a.Quality = 1234;
  a.Ratio = 0.5f;
  a.Percent_Similarity = 85.5f;
  a.Percent_Identity = 70.25f;
  a.Nb_Gaps = 1;
  a.Gaps_Length = 2;
  a.Number_Of_Match = 14;
  a.Number_Of_Mismatch = 4;
  a.Continuous_Matches = 6;
  return a;
}

void set_sides(Alignment& a, const std::string& side_1, std::int32_t start_1, std::int32_t stop_1,
               const std::string& side_2, std::int32_t start_2, std::int32_t stop_2) {
  a.Length = std::int32_t(side_1.size());
  a.Aligned_1 = text(side_1);
  a.Start_1 = start_1;
  a.Stop_1 = stop_1;
  a.Aligned_2 = text(side_2);
  a.Start_2 = start_2;
  a.Stop_2 = stop_2;
}

void set_perfect(Alignment& a, const std::string& side, std::int32_t start_2, std::int32_t stop_2) {
  const auto n = std::int32_t(side.size());
  set_sides(a, side, 1, n, side, start_2, stop_2);
  a.Quality = 100 * n;
  a.Ratio = 100.0f;
  a.Percent_Similarity = a.Percent_Identity = 100.0f;
  a.Nb_Gaps = a.Gaps_Length = a.Number_Of_Mismatch = 0;
  a.Number_Of_Match = a.Continuous_Matches = n;
}

Alignment unaligned_record() {
  Alignment a = dna_record();
  a.Quality = 0;
  a.Ratio = a.Percent_Similarity = a.Percent_Identity = 0.0f;
  a.Nb_Gaps = a.Gaps_Length = a.Number_Of_Match = a.Number_Of_Mismatch = a.Continuous_Matches = 0;
  return a;
}

std::string report(const Alignment& a, std::int32_t width) {
  platform::Output_File out;
  out.create_in_memory();
  Print_Alignment(out, a, width);
  return out.contents();
}

// The worked example of the summary line.
Alignment summary_record() {
  Alignment a;
  a.Name_1 = text("seqA");
  a.Strand_1 = Strand::WATSON;
  a.Start_1 = 1;
  a.Stop_1 = 120;
  a.Name_2 = text("seqB");
  a.Strand_2 = Strand::CRICK;
  a.Start_2 = 300;
  a.Stop_2 = 181;
  a.Method = Alignment_Method::GLOBAL_ALIGNMENT;
  a.Quality = 530;
  a.Ratio = 4.41667f;
  a.Percent_Similarity = 85.0f;
  a.Percent_Identity = 80.0f;
  a.Length = 125;
  a.Number_Of_Match = 96;
  a.Number_Of_Mismatch = 24;
  a.Nb_Gaps = 2;
  a.Gaps_Length = 5;
  a.Continuous_Matches = 31;
  a.Quality_Mean = 210.5f;
  a.Quality_Std = 12.25f;
  a.Quality_Z_Score = 26.1224f;
  a.Quality_Significance = 0.0f;
  return a;
}

Alignment_Summary summary_of_record() {
  Alignment_Summary s;
  const std::string name_1 = "seqA      ";
  const std::string name_2 = "ABCDEFGHIJ";
  std::copy(name_1.begin(), name_1.end(), s.Name_1.begin());
  std::copy(name_2.begin(), name_2.end(), s.Name_2.begin());
  s.Strand_1 = Strand::CRICK;
  s.Start_1 = 300;
  s.Stop_1 = 120;
  s.Strand_2 = Strand::WATSON;
  s.Start_2 = 1;
  s.Stop_2 = 125;
  s.Method = Alignment_Method::LOCAL_ALIGNMENT;
  s.Quality = 530;
  s.Ratio = 4.41667f;
  s.Percent_Similarity = 85.0f;
  s.Percent_Identity = 80.0f;
  s.Length = 125;
  s.Matches = 96;
  s.Mismatches = 24;
  s.Gaps = 2;
  s.Gaps_Length = 5;
  s.Continuous_Matches = 31;
  s.Quality_Mean = 210.5f;
  s.Quality_Std = 12.25f;
  s.Quality_Z_Score = 26.1224f;
  return s;
}

template <class Print>
std::string written(Print&& print, const platform::Exception_Id* expected = nullptr,
                    const std::string& message = "") {
  platform::Output_File out;
  out.create_in_memory();
  try {
    print(out);
    EXPECT_EQ(expected, nullptr) << "nothing raised";
  } catch (const platform::Error& e) {
    EXPECT_TRUE(expected && e.is(*expected)) << e.information();
    EXPECT_EQ(e.message(), message);
  }
  return out.contents();
}

}  // namespace

TEST(PrintAlignment, Reports) {
  struct Case {
    const char* golden;
    Alignment record;
    std::int32_t width;
  };
  Case cases[] = {{"print/report_one_block.txt", dna_record(), 50},
                  {"print/report_two_blocks.txt", dna_record(), 50},
                  {"print/report_crick.txt", dna_record(), 50},
                  {"print/report_gaps_width_10.txt", dna_record(), 10},
                  {"print/report_width_60.txt", dna_record(), 60},
                  {"print/report_score_matrix.txt", dna_record(), 50},
                  {"print/report_length_zero.txt", unaligned_record(), 50},
                  {"print/report_significance.txt", unaligned_record(), 50}};

  // Every match-line rule, with a gap on each side and letters that are not
  // residues (R) or residues that are not the wild letter (n).
  set_sides(cases[0].record, "AAGNANRnnT..CGTACGTA", 1, 17, "AGGANNRAnTCGC.TnCGTA", 101, 118);

  Alignment& two = cases[1].record;
  set_perfect(two, repeat("ACGT", 13).substr(0, 51), 1, 51);
  two.Method = Alignment_Method::LOCAL_ALIGNMENT;
  two.Backward = Backward_Mode::VHD;

  Alignment& crick = cases[2].record;
  set_perfect(crick, repeat("GATC", 15), 300, 241);
  crick.Strand_2 = Strand::CRICK;
  crick.Backward = Backward_Mode::HDV;

  // Blocks 2 and 3 open with gaps on side 1; block 2 has no residue there.
  Alignment& gaps = cases[3].record;
  set_sides(gaps, "ACGTACGTAC" + repeat(".", 10) + "...ACGTACG", 1, 17,
            "ACGTACGTACACGTACGTACTTTACGT...", 1, 27);
  gaps.Quality = 700;
  gaps.Ratio = 0.412f;
  gaps.Percent_Similarity = 58.824f;
  gaps.Percent_Identity = 41.176f;
  gaps.Nb_Gaps = 2;
  gaps.Gaps_Length = 13;
  gaps.Number_Of_Match = 14;
  gaps.Number_Of_Mismatch = 0;
  gaps.Continuous_Matches = 10;

  Alignment& wide = cases[4].record;
  const std::string side_65 = repeat("ACGTA", 13);
  std::string other_65 = side_65;
  other_65[10] = 'G';
  set_sides(wide, side_65, 1, 65, other_65, 1, 65);
  wide.Quality = 6310;
  wide.Ratio = 97.077f;
  wide.Percent_Similarity = wide.Percent_Identity = 98.462f;
  wide.Nb_Gaps = wide.Gaps_Length = 0;
  wide.Number_Of_Match = 64;
  wide.Number_Of_Mismatch = 1;
  wide.Continuous_Matches = 54;

  // X is the wild letter of proteins, "*" a residue, J none.
  Alignment& protein = cases[5].record;
  set_sides(protein, "MKX*ALXW.QE*J", 5, 15, "MRA*XLXWPQ.*J", 20, 30);
  protein.Model = Sequence_Model::PROTEIN;
  protein.Method = Alignment_Method::LOCAL_ALIGNMENT;
  protein.Backward = Backward_Mode::HVD;
  protein.Matrix_Name = text("blosum62.txt");
  protein.Gap_Weight = -8;
  protein.Gap_Length_Weight = -1;
  protein.Quality = 45;
  protein.Ratio = 4.091f;
  protein.Percent_Similarity = 81.818f;
  protein.Percent_Identity = 54.545f;
  protein.Nb_Gaps = 2;
  protein.Gaps_Length = 2;
  protein.Number_Of_Match = 6;
  protein.Number_Of_Mismatch = 5;
  protein.Continuous_Matches = 3;

  Alignment& significance = cases[7].record;
  significance.Quality_Mean = 1234.5f;
  significance.Quality_Std = 12.25f;
  significance.Quality_Z_Score = 2.0f;
  significance.Quality_Significance = 5.0f;

  for (const Case& c : cases) {
    EXPECT_TRUE(test_support::matches_golden(report(c.record, c.width), c.golden));
  }
}

TEST(PrintAlignment, LayoutsThatMatchAnother) {
  // Only whole tens of columns make a block; below 10 a block is 10 columns.
  Alignment two = dna_record();
  set_perfect(two, repeat("ACGT", 13).substr(0, 51), 1, 51);
  two.Method = Alignment_Method::LOCAL_ALIGNMENT;
  two.Backward = Backward_Mode::VHD;
  EXPECT_EQ(report(two, 55), report(two, 50));
  EXPECT_EQ(report(two, 59), report(two, 50));
  EXPECT_EQ(report(two, 10), report(two, 19));
  for (std::int32_t narrow : {9, 1, 0, -7}) EXPECT_EQ(report(two, narrow), report(two, 10));

  // The significance group needs both the mean and the deviation.
  const std::string plain = report(unaligned_record(), 50);
  Alignment mean_only = unaligned_record();
  mean_only.Quality_Mean = 1234.5f;
  mean_only.Quality_Z_Score = 2.0f;
  EXPECT_EQ(report(mean_only, 50), plain);
  Alignment std_only = unaligned_record();
  std_only.Quality_Std = 12.25f;
  EXPECT_EQ(report(std_only, 50), plain);

  // A non-null but empty matrix name prints the weights.
  Alignment empty_name = unaligned_record();
  empty_name.Matrix_Name = strlib::String_Pointer(platform::Heap_Array<char>::make(1, 0));
  EXPECT_EQ(report(empty_name, 50), plain);

  // Nothing after "Alignment: ", not even the model test, for Length 0 or less.
  Alignment no_model = unaligned_record();
  no_model.Model = Sequence_Model::NO;
  EXPECT_EQ(report(no_model, 50), plain);
}

TEST(PrintAlignment, RefusesWhatItCannotPrint) {
  Alignment no_model = dna_record();
  no_model.Model = Sequence_Model::NO;
  set_sides(no_model, "ACG", 1, 3, "ACG", 1, 3);
  const std::string partial =
      written([&](platform::Output_File& out) { Print_Alignment(out, no_model, 50); },
              &sequence_specifications::INVALID_SEQUENCE_MODEL, "sequence_alignment-print:168");
  EXPECT_TRUE(test_support::matches_golden(partial, "print/report_model_no.txt"));

  // Aligned texts that do not hold Length columns are refused, not overread.
  Alignment short_text = dna_record();
  set_sides(short_text, "ACGT", 1, 4, "ACG", 1, 3);
  Alignment missing_text = dna_record();
  set_sides(missing_text, "ACGT", 1, 4, "ACGT", 1, 4);
  missing_text.Aligned_1 = strlib::String_Pointer();
  for (const Alignment* a : {&short_text, &missing_text}) {
    written([&](platform::Output_File& out) { Print_Alignment(out, *a, 50); },
            &standard::CONSTRAINT_ERROR, "aligned text shorter than the alignment");
  }
}

TEST(PrintSummary, WorkedExampleColumnByColumn) {
  const std::string line = written([](platform::Output_File& out) {
    Print_Summary(out, summary_record());
  });
  EXPECT_TRUE(test_support::matches_golden(line, "print/summary_example.txt"));
  struct Columns {
    int first, last;
    std::string characters;
  };
  const Columns table[] = {
      {1, 15, "seqA" + std::string(11, ' ')},
      {16, 17, " W"},
      {18, 29, std::string(11, ' ') + "1"},
      {30, 41, std::string(9, ' ') + "120"},
      {42, 42, " "},
      {43, 57, "seqB" + std::string(11, ' ')},
      {58, 59, " C"},
      {60, 71, std::string(9, ' ') + "181"},
      {72, 83, std::string(9, ' ') + "300"},
      {84, 86, " G "},
      {87, 96, std::string(7, ' ') + "530"},
      {97, 105, "   4.4167"},
      {106, 113, "  85.000"},
      {114, 121, "  80.000"},
      {122, 129, "     125"},
      {130, 137, "      96"},
      {138, 145, "      24"},
      {146, 150, "    2"},
      {151, 158, "       5"},
      {159, 166, "      31"},
      {167, 180, std::string(7, ' ') + "210.500"},
      {181, 194, std::string(8, ' ') + "12.250"},
      {195, 208, std::string(8, ' ') + "26.122"},
      {209, 218, "     0.000"},
  };
  ASSERT_EQ(line.size(), 218u);
  for (const Columns& c : table) {
    EXPECT_EQ(line.substr(std::size_t(c.first - 1), std::size_t(c.last - c.first + 1)),
              c.characters)
        << "columns " << c.first << "-" << c.last;
  }
}

TEST(PrintSummary, Lines) {
  Alignment names = summary_record();
  names.Name_1 = text("ABCDEFGHIJKLMNOPQRST");
  names.Name_2 = strlib::String_Pointer();
  Alignment wide = summary_record();
  wide.Quality = -2147483647 - 1;  // eleven characters in a field of ten
  Alignment both_1 = summary_record();
  both_1.Strand_1 = Strand::BOTH;
  Alignment both_2 = summary_record();
  both_2.Strand_2 = Strand::BOTH;
  struct Case {
    const char* golden;
    const Alignment* record;
    const platform::Exception_Id* raised;
    const char* message;
  };
  const Case cases[] = {
      {"print/summary_names.txt", &names, nullptr, ""},
      {"print/summary_wide_quality.txt", &wide, nullptr, ""},
      {"print/summary_both_1.txt", &both_1, &sequence_specifications::INVALID_STRAND,
       "sequence_alignment-print:237"},
      {"print/summary_both_2.txt", &both_2, &sequence_specifications::INVALID_STRAND,
       "sequence_alignment-print:250"},
  };
  for (const Case& c : cases) {
    const std::string line = written(
        [&](platform::Output_File& out) { Print_Summary(out, *c.record); }, c.raised, c.message);
    EXPECT_TRUE(test_support::matches_golden(line, c.golden));
  }
}

TEST(PrintSummaryRecord, Lines) {
  const Alignment_Summary aligned = summary_of_record();
  Alignment_Summary not_aligned = summary_of_record();
  not_aligned.Strand_1 = Strand::WATSON;
  not_aligned.Start_1 = 1;
  not_aligned.Stop_1 = 120;
  not_aligned.Strand_2 = Strand::CRICK;
  not_aligned.Start_2 = 300;
  not_aligned.Stop_2 = 181;
  not_aligned.Length = 0;
  Alignment_Summary both_1 = not_aligned;
  both_1.Strand_1 = Strand::BOTH;
  Alignment_Summary both_2 = not_aligned;
  both_2.Strand_2 = Strand::BOTH;
  struct Case {
    const char* golden;
    const Alignment_Summary* record;
    const platform::Exception_Id* raised;
    const char* message;
  };
  const Case cases[] = {
      {"print/record_example.txt", &aligned, nullptr, ""},
      {"print/record_not_aligned.txt", &not_aligned, nullptr, ""},
      {"print/record_both_1.txt", &both_1, &sequence_specifications::INVALID_STRAND,
       "sequence_alignment-print:288"},
      {"print/record_both_2.txt", &both_2, &sequence_specifications::INVALID_STRAND,
       "sequence_alignment-print:301"},
  };
  for (const Case& c : cases) {
    const std::string line = written(
        [&](platform::Output_File& out) { Print_Summary_Record(out, *c.record); }, c.raised,
        c.message);
    EXPECT_TRUE(test_support::matches_golden(line, c.golden));
  }
}
