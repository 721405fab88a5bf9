#include <gtest/gtest.h>

#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/text_io.h"
#include "sequence_alignment.h"
#include "sequence_specifications-basic.h"
#include "zarn_read.h"

using sequence_specifications::Sequence_Format;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;
using sequence_specifications::basic::SEQUENCE_DATA;
using sequence_specifications::basic::Sequence_Data_Array;

namespace {

constexpr std::int32_t unset = sequence_alignment::Unset_Position;

// The list files name their sequence files relative to the fixture folder.
class In_Fixture_Folder {
 public:
  In_Fixture_Folder() : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(test_support::fixture("zarn"));
  }
  ~In_Fixture_Folder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

// Everything the aligner uses of a record, residues as letters.
std::string describe(const SEQUENCE_DATA& s) {
  std::string codes;
  for (auto c : s.Nucleotides.span()) codes += sequence_specifications::Nucleotide_Image(c);
  for (auto c : s.Amino_Acids.span()) codes += sequence_specifications::Amino_Acid_Image(c);
  auto text = [](const strlib::String_Pointer& p) {
    return p.is_null() ? std::string("null") : std::string(p.view());
  };
  return std::string(sequence_specifications::Image(s.Model)) + " " + text(s.Name) + " id=" +
         text(s.Identifier) + " " + std::to_string(s.First) + ".." + std::to_string(s.Last) +
         " of " + std::to_string(s.Length) + " " + codes;
}

std::string read_list(const std::string& name, Sequence_Data_Array& sequences,
                      Sequence_Data_Array& opposites, bool verbose = false) {
  return test_support::raised(
      [&] { zarn_read::Read_Sequence_List(name, sequences, opposites, verbose); });
}

}  // namespace

TEST(ZarnRead, ListFieldsDirectionsAndCompanions) {
  In_Fixture_Folder here;
  Sequence_Data_Array sequences;
  Sequence_Data_Array opposites;
  platform::Standard_Output_Capture capture;
  ASSERT_EQ(read_list("list_fields.txt", sequences, opposites, true), "nothing raised");
  EXPECT_TRUE(test_support::matches_golden(capture.text(), "zarn/list_verbose.txt"));

  const char* expected[][2] = {
      {"DNA dna20.seq id=dna20 1..20 of 20 ACGTAACCGGTTTGCAAGTC",
       "DNA dna20.seq id=dna20 1..20 of 20 GACTTGCAAACCGGTTACGT"},
      // Reversed and complemented, the range kept; WATSON builds no companion.
      {"DNA dna20.seq id=dna20 3..7 of 20 GACTTGCAAACCGGTTACGT", "NO null id=null -1..-1 of 0 "},
      // The companion's range is the mirror image of the sequence's.
      {"DNA dna20.seq id=second 3..7 of 20 ACGTAACCGGTTTGCAAGTC",
       "DNA dna20.seq id=second 14..18 of 20 GACTTGCAAACCGGTTACGT"},
      // "RC" then "-": neither reversed nor complemented.
      {"DNA dna20.seq id=dna20 1..20 of 20 ACGTAACCGGTTTGCAAGTC",
       "DNA dna20.seq id=dna20 1..20 of 20 GACTTGCAAACCGGTTACGT"},
      // "RE" then "c": the companion is built from the transformed sequence.
      {"DNA dna20.seq id=dna20 1..20 of 20 GACTTGCAAACCGGTTACGT",
       "DNA dna20.seq id=dna20 1..20 of 20 ACGTAACCGGTTTGCAAGTC"},
      // A protein ignores strand, reverse and complement.
      {"PROTEIN prot.seq id=prot 1..10 of 10 MKVLAAGIWS", "NO null id=null -1..-1 of 0 "},
  };
  ASSERT_EQ(sequences.first(), 1);
  ASSERT_EQ(sequences.length(), 6);
  ASSERT_EQ(opposites.length(), 6);
  for (std::int32_t k = 1; k <= 6; ++k) {
    EXPECT_EQ(describe(sequences(k)), expected[k - 1][0]) << k;
    EXPECT_EQ(describe(opposites(k)), expected[k - 1][1]) << k;
  }
}

TEST(ZarnRead, ListWithoutDataLinesGivesEmptyArrays) {
  In_Fixture_Folder here;
  Sequence_Data_Array sequences;
  Sequence_Data_Array opposites;
  ASSERT_EQ(read_list("list_empty.txt", sequences, opposites), "nothing raised");
  EXPECT_FALSE(sequences.is_null());
  EXPECT_FALSE(opposites.is_null());
  EXPECT_EQ(sequences.length(), 0);
  EXPECT_EQ(opposites.length(), 0);
}

TEST(ZarnRead, ListErrorsNameTheirLine) {
  In_Fixture_Folder here;
  const std::string long_line =
      "dna20.seq" + std::string(1024 - 9, ' ') + "dna20.seq - - W" + std::string(1500 - 1039, ' ');
  struct Case {
    std::string list;
    const char* expected;
  };
  const Case cases[] = {
      {"# c\n\nx.seq BAD\n", "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL L  3"},
      {"dna20.seq - xyz\n", "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT L  1"},
      {"dna20.seq\ndna20.seq - - BOTHS\n", "SEQUENCE_SPECIFICATIONS.INVALID_STRAND L  2"},
      // The reader's own refusal: the file is no GCG file.
      {"dna20.seq - GCG\n", "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT L  1"},
      {"dna20.seq - - - - abc\n", "ZARN_OPTIONS.INVALID_DATA F_Start  1"},
      {"dna20.seq - - - - 1 abc\n", "ZARN_OPTIONS.INVALID_DATA F_Stop  1"},
      {"dna20.seq - - - - 1 2 REVERSED\n", "ZARN_OPTIONS.INVALID_DATA F_Direction  1"},
      {"\n\ndna20.seq - - - - - - r X\n", "ZARN_OPTIONS.INVALID_DATA F_Direction  3"},
      {"dna20.seq - - - - 0\n", "ZARN_OPTIONS.INVALID_DATA P_Start dna20.seq"},
      {"dna20.seq - - - - 1 21\n", "ZARN_OPTIONS.INVALID_DATA P_Stop dna20.seq"},
      {"dna20.seq - - - - 5 4\n", "ZARN_OPTIONS.INVALID_DATA P_Stop dna20.seq"},
      {"missing.seq\n", "IO_EXCEPTIONS.NAME_ERROR sequence missing.seq"},
      // A tab is no blank: this is a data line naming the file "\t#".
      {"\t#\n", "IO_EXCEPTIONS.NAME_ERROR sequence \t#"},
      {"\t# not a comment\n", "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL L  1"},
      // 1500 characters arrive as two lines of 1024 and 476.
      {long_line + "\nx.seq BAD\n", "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL L  3"},
  };
  test_support::Temp_Dir folder;
  for (const Case& c : cases) {
    test_support::write_file(folder / "list.txt", c.list);
    Sequence_Data_Array sequences;
    Sequence_Data_Array opposites;
    EXPECT_EQ(read_list((folder / "list.txt").string(), sequences, opposites), c.expected) << c.list;
    EXPECT_TRUE(sequences.is_null()) << "nothing is returned after a failure";
  }

  test_support::write_file(folder / "list.txt", long_line + "\n");
  Sequence_Data_Array sequences;
  Sequence_Data_Array opposites;
  ASSERT_EQ(read_list((folder / "list.txt").string(), sequences, opposites), "nothing raised");
  ASSERT_EQ(sequences.length(), 2);
  EXPECT_EQ(describe(sequences(2)), "DNA dna20.seq id=dna20 1..20 of 20 ACGTAACCGGTTTGCAAGTC");
  EXPECT_EQ(opposites(2).Model, Sequence_Model::NO);
}

TEST(ZarnRead, ListAccessAndOpening) {
  Sequence_Data_Array sequences(1, 1);
  Sequence_Data_Array opposites;
  EXPECT_EQ(read_list("never-read.txt", sequences, opposites),
            "ZARN_READ.INVALID_ACCESS zarn_read:173");
  Sequence_Data_Array none;
  Sequence_Data_Array held(1, 0);
  EXPECT_EQ(read_list("never-read.txt", none, held), "ZARN_READ.INVALID_ACCESS zarn_read:173");
  EXPECT_EQ(read_list("no/such/list.txt", none, opposites),
            "IO_EXCEPTIONS.NAME_ERROR list no/such/list.txt");
}

TEST(ZarnRead, FoldersAndNamesHoldingANulAreNotOpened) {
  In_Fixture_Folder here;
  test_support::Temp_Dir folder;
  const std::string folder_name = folder.path().string();
  test_support::write_file(folder / "list.txt", std::string("dna20.seq\0x\n", 12));
  struct Case {
    std::string list;
    std::string expected;
  };
  const Case cases[] = {
      {folder_name, "IO_EXCEPTIONS.NAME_ERROR list " + folder_name},
      // From a list line, a name may hold a NUL; "dna20.seq" itself exists.
      {(folder / "list.txt").string(), "IO_EXCEPTIONS.NAME_ERROR sequence " + std::string("dna20.seq\0x", 11)},
  };
  for (const Case& c : cases) {
    Sequence_Data_Array sequences;
    Sequence_Data_Array opposites;
    EXPECT_EQ(read_list(c.list, sequences, opposites), c.expected);
  }
  SEQUENCE_DATA seq;
  SEQUENCE_DATA opposite;
  EXPECT_EQ(test_support::raised([&] {
              zarn_read::Read_Sequence(folder_name, {}, Sequence_Model::NO, Sequence_Format::UNKNOWN,
                                       unset, unset, Strand::WATSON, seq, opposite, false, false,
                                       false);
            }),
            "IO_EXCEPTIONS.NAME_ERROR sequence " + folder_name);
}

TEST(ZarnRead, AListThatLosesEntriesBetweenItsPassesIsRefused) {
  In_Fixture_Folder here;
  test_support::Temp_Dir folder;
  const std::string fifo = (folder / "first.fa").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string list = (folder / "list.txt").string();
  // Comment lines put the last two entries beyond what the reader holds
  // when it reads the first entry's sequence from the FIFO.
  std::string kept = fifo + "\n";
  while (kept.size() < 100000) kept += "# padding\n";
  test_support::write_file(list, kept + "dna20.seq\ndna20.seq\n");
  std::thread writer([&] {
    // Opening waits for the sequence reader of the second pass; the list
    // then shrinks before it is read any further.
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    std::filesystem::resize_file(list, kept.size());
    EXPECT_EQ(::write(fd, ">s\nACGT\n", 8), 8);
    ::close(fd);
  });
  Sequence_Data_Array sequences;
  Sequence_Data_Array opposites;
  EXPECT_EQ(read_list(list, sequences, opposites), "SEQUENCE_IO.SEQUENCE_IO_ERROR " + list);
  EXPECT_TRUE(sequences.is_null());
  // Should the FIFO not have been opened, this releases the writer.
  const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  writer.join();
  if (release >= 0) ::close(release);
}

TEST(ZarnRead, OneSequenceRangeAndReverse) {
  In_Fixture_Folder here;
  struct Case {
    std::int32_t start, stop;
    Strand strand;
    bool reverse, complement;
    const char* sequence;
    const char* opposite;
  };
  const Case cases[] = {
      {1, 20, Strand::WATSON, false, false, "DNA dna20.seq id=x 1..20 of 20 ACGTAACCGGTTTGCAAGTC",
       "NO null id=null -1..-1 of 0 "},
      {5, 5, Strand::CRICK, false, false, "DNA dna20.seq id=x 5..5 of 20 ACGTAACCGGTTTGCAAGTC",
       "DNA dna20.seq id=x 16..16 of 20 GACTTGCAAACCGGTTACGT"},
      // Reverse alone keeps the range on the reversed sequence.
      {3, 7, Strand::WATSON, true, false, "DNA dna20.seq id=x 3..7 of 20 CTGAACGTTTGGCCAATGCA",
       "NO null id=null -1..-1 of 0 "},
      {unset, 7, Strand::BOTH, false, true, "DNA dna20.seq id=x 1..7 of 20 TGCATTGGCCAAACGTTCAG",
       "DNA dna20.seq id=x 14..20 of 20 CTGAACGTTTGGCCAATGCA"},
  };
  const strlib::String_Pointer identifier = strlib::To_Pointer("x");
  for (const Case& c : cases) {
    SEQUENCE_DATA seq;
    SEQUENCE_DATA opposite;
    zarn_read::Read_Sequence("dna20.seq", identifier, Sequence_Model::NO, Sequence_Format::UNKNOWN,
                             c.start, c.stop, c.strand, seq, opposite, c.reverse, c.complement,
                             false);
    EXPECT_EQ(describe(seq), c.sequence) << c.start << ".." << c.stop;
    EXPECT_EQ(describe(opposite), c.opposite) << c.start << ".." << c.stop;
  }
}
