#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "brakto-output.h"
#include "platform/text_io.h"
#include "test_support.h"

using brakto::output::GCG_Header;
using brakto::output::Put_Fragment;
using brakto::output::Put_GCG;
using brakto::output::Write_Fragment;
using brakto::output::Write_GCG;
using sequence_specifications::Sequence_Model;
using sequence_specifications::basic::SEQUENCE_DATA;

namespace {

// Letters with a period of 7, so that a group or a line cut at the wrong
// place shows.
std::string letters(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "ACGTTGA"[i % 7];
  return text;
}

SEQUENCE_DATA record(const std::string& text, int first, int last,
                     Sequence_Model model = Sequence_Model::DNA) {
  SEQUENCE_DATA seq;
  seq.Model = model;
  seq.Text = strlib::String_Pointer::make(1, std::int32_t(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i) seq.Text(std::int32_t(i + 1)) = text[i];
  seq.Length = std::int32_t(text.size());
  seq.First = first;
  seq.Last = last;
  return seq;
}

// 9 December 2026, 8:46:10.4 in the morning.
constexpr platform::Clock_Reading december_9{2026, 12, 9, 8 * 3600 + 46 * 60 + 10.4};

std::string fragment(const SEQUENCE_DATA& seq, const char* name, int line_length) {
  platform::Output_File file;
  file.create_in_memory();
  Put_Fragment(file, seq, name, line_length);
  return file.contents();
}

std::string gcg(const SEQUENCE_DATA& seq, const char* name) {
  platform::Output_File file;
  file.create_in_memory();
  Put_GCG(file, seq, name, december_9);
  return file.contents();
}

}  // namespace

TEST(FragmentLayout, LinesOfLineLength) {
  const std::string text = letters(121);
  EXPECT_TRUE(test_support::matches_golden(fragment(record(text, 1, 61), "frag", 60),
                                           "brakto/fragment_61.txt"));
  EXPECT_TRUE(test_support::matches_golden(fragment(record(text, 4, 20), "part", 7),
                                           "brakto/fragment_range.txt"));
  // Edge cases small enough to read in place.
  EXPECT_EQ(fragment(record(text, 1, 120), "x", 60),
            "> x\n" + text.substr(0, 60) + "\n" + text.substr(60, 60) + "\n");
  EXPECT_EQ(fragment(record(text, 5, 5), "one", 60), "> one\nT\n");
  EXPECT_EQ(fragment(record(text, 5, 4), "none", 60), "> none\n");
  EXPECT_EQ(fragment(record(text, 20, 10), "above", 60), "> above\n");
}

TEST(GcgLayout, BlocksOfFiftyInGroupsOfTen) {
  const std::string text = letters(130);
  EXPECT_TRUE(test_support::matches_golden(gcg(record(text, 1, 125), "seq1"), "brakto/gcg_125.txt"));
  // Numbers count from First: each file numbers its own range from 1.
  EXPECT_TRUE(test_support::matches_golden(gcg(record(text, 5, 55), "win"), "brakto/gcg_range51.txt"));
  EXPECT_TRUE(test_support::matches_golden(gcg(record(text, 7, 7), "one"), "brakto/gcg_one.txt"));
  EXPECT_TRUE(test_support::matches_golden(gcg(record(text, 7, 6), "none"), "brakto/gcg_empty.txt"));
}

TEST(GcgLayout, HeaderFromOneClockReading) {
  struct Case {
    int year, month, day;
    double seconds;
    Sequence_Model model;
    int first, last;
  };
  const Case cases[] = {
      {2026, 12, 9, 8 * 3600 + 46 * 60 + 10.4, Sequence_Model::DNA, 1, 125},
      {2026, 1, 31, 9 * 3600 + 5 * 60, Sequence_Model::RNA, 1, 1},        // zero-filled hour
      {2026, 2, 1, 13 * 3600 + 59 * 60 + 59.5, Sequence_Model::NO, 1, 0},  // half a second rounds up
      {2026, 3, 15, 13 * 3600 + 59 * 60 + 59.4, Sequence_Model::PROTEIN, 1, 99999},  // a blank still
      {2026, 4, 2, 0.0, Sequence_Model::PROTEIN, 1, 123456},               // wider than its field
      {1999, 5, 10, 23 * 3600 + 59 * 60 + 59.0, Sequence_Model::DNA, 20, 10},
      {2000, 6, 1, 60.0, Sequence_Model::DNA, 1, 3},
      {2001, 7, 4, 3599.6, Sequence_Model::DNA, 1, 3},
      {2002, 8, 21, 12 * 3600.0, Sequence_Model::DNA, 1, 3},
      {2003, 9, 30, 10 * 3600 + 10 * 60 + 10.0, Sequence_Model::DNA, 1, 3},
      {2004, 10, 5, 1.0, Sequence_Model::DNA, 1, 3},
      {2005, 11, 11, 11 * 3600 + 11 * 60, Sequence_Model::DNA, 1, 3},
  };
  const std::string text = letters(10);
  std::string headers;
  for (const Case& c : cases) {
    SEQUENCE_DATA seq;
    seq.Model = c.model;
    seq.First = c.first;
    seq.Last = c.last;
    headers += GCG_Header(seq, "seq1", {c.year, c.month, c.day, c.seconds}) + "\n";
  }
  // Readers split the header at its blanks: the entry name stays one word.
  SEQUENCE_DATA seq;
  seq.First = 1;
  seq.Last = 12;
  headers += GCG_Header(seq, " my seq  2", {2026, 12, 9, 0.0}) + "\n";
  EXPECT_TRUE(test_support::matches_golden(headers, "brakto/gcg_headers.txt"));
}

TEST(Writers, FileNamesBySuffixAndReplacement) {
  test_support::Temp_Dir dir;
  const std::string base = (dir / "x").string();
  const std::string header = std::string("> ").append(base).append("\n");
  struct Case {
    Sequence_Model model;
    const char* suffix;
  };
  for (const Case& c : {Case{Sequence_Model::PROTEIN, ".frgpep"}, Case{Sequence_Model::DNA, ".frgseq"},
                        Case{Sequence_Model::RNA, ".frgseq"}, Case{Sequence_Model::NO, ".frgseq"}}) {
    std::filesystem::remove_all(base + c.suffix);
    Write_Fragment(record("MKVL", 1, 4, c.model), base, 3);
    EXPECT_EQ(test_support::read_file(base + c.suffix), header + "MKV\nL\n") << c.suffix;
  }
  // A second write replaces the first file whole.
  Write_Fragment(record("AC", 1, 2), base, 60);
  EXPECT_EQ(test_support::read_file(base + ".frgseq"), header + "AC\n");

  Write_GCG(record("MKV", 1, 3, Sequence_Model::PROTEIN), base);
  const std::string written = test_support::read_file(base + ".gcg");
  EXPECT_EQ(written.find(base + " Length:    3 "), 0u) << written;
  EXPECT_NE(written.find("  Type: P  Check: ..\n\n       1  MKV\n\n"), std::string::npos) << written;
}

TEST(Writers, LineLengthBelowOneIsRefusedBeforeTheFileIsMade) {
  test_support::Temp_Dir dir;
  const std::string base = (dir / "x").string();
  for (int line_length : {0, -1}) {
    EXPECT_EQ(test_support::raised([&] { Write_Fragment(record("ACGT", 1, 4), base, line_length); })
                  .rfind("CONSTRAINT_ERROR ", 0),
              0u);
    EXPECT_FALSE(std::filesystem::exists(base + ".frgseq"));
  }
}

TEST(Writers, UncreatableFileRaisesNameError) {
  test_support::Temp_Dir dir;
  const std::string base = (dir / "missing" / "x").string();
  EXPECT_EQ(test_support::raised([&] { Write_GCG(record("ACGT", 1, 4), base); })
                .rfind("IO_EXCEPTIONS.NAME_ERROR ", 0),
            0u);
}
