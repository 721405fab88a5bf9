#include "sequence_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_io.h"
#include "test_support.h"

using test_support::raised;
using namespace sequence_specifications;
using namespace sequence_specifications::basic;
using test_support::Temp_Dir;

namespace {

constexpr auto NO = Sequence_Model::NO;
constexpr auto DNA = Sequence_Model::DNA;
constexpr auto RNA = Sequence_Model::RNA;
constexpr auto PROTEIN = Sequence_Model::PROTEIN;
constexpr auto PLAIN = Sequence_Format::PLAIN_ASCII;
constexpr auto STRIDER = Sequence_Format::DNA_STRIDER;
constexpr auto GCG = Sequence_Format::GCG;
constexpr auto GENBANK = Sequence_Format::GENBANK;
constexpr auto UNKNOWN = Sequence_Format::UNKNOWN;

SEQUENCE_DATA read(const std::string& path, Sequence_Model model, Sequence_Format format,
                   bool as_text = true) {
  SEQUENCE_DATA seq;
  sequence_io::Read_Sequence(path, seq, model, format, as_text);
  return seq;
}

// Only the identity, for the platform's own errors whose text is its own.
template <class F>
std::string raised_name(F&& f) {
  try {
    f();
  } catch (const platform::Error& e) {
    return e.name();
  }
  return "nothing raised";
}

// The codes as their letters, so that expectations read as sequences.
std::string letters(const Nucleotide_Array& codes) {
  std::string s;
  for (Nucleotide n : codes.span()) s += Nucleotide_Image(n);
  return s;
}
std::string letters(const Amino_Acid_Array& codes) {
  std::string s;
  for (Amino_Acid a : codes.span()) s += Amino_Acid_Image(a);
  return s;
}

// A DNA Strider file: 112 header bytes holding Low and High at offsets 30
// and 31, then the given bytes.
std::string strider(unsigned low, unsigned high, const std::string& bytes) {
  std::string file(112, '\0');
  file[30] = char(low);
  file[31] = char(high);
  return file + bytes;
}

// Residues, bounds and range agree with the expected text.
void expect_text(const SEQUENCE_DATA& seq, const std::string& text) {
  ASSERT_FALSE(seq.Text.is_null());
  EXPECT_EQ(seq.Text.view(), text);
  EXPECT_EQ(seq.Text.first(), 1);
  EXPECT_EQ(seq.Text.last(), std::int32_t(text.size()));
  EXPECT_EQ(seq.Length, std::int32_t(text.size()));
  EXPECT_EQ(seq.First, 1);
  EXPECT_EQ(seq.Last, std::int32_t(text.size()));
}

}  // namespace

TEST(SequenceDetection, RulesInTheirOrder) {
  struct Case {
    std::string contents;
    Sequence_Model model;
    Sequence_Format format;
    std::string text;  // what is then read, as text
  };
  const Case cases[] = {
      {">seq1\nACGT\nacgn\n", DNA, PLAIN, "ACGTACGN"},
      {">seq1\nMKV\n", PROTEIN, PLAIN, "MKV"},
      {">seq1\nACGTRY\n", PROTEIN, PLAIN, "ACGTRY"},  // R is no nucleotide for the readers
      // E alone, in either case, is letter enough for a protein.
      {">seq1\nACGTE\n", PROTEIN, PLAIN, "ACGTE"},
      {">seq1\nacgte\n", PROTEIN, PLAIN, "ACGTE"},
      {":x\nACGT\n", DNA, PLAIN, "ACGT"},
      {"-x\nACGT\n", DNA, PLAIN, "ACGT"},
      // Header and empty lines after the deciding one are not scanned; digits
      // and blanks are passed over.
      {">s\n>MKV\n\n12 acgt\n", DNA, PLAIN, "ACGT"},
      // Lines that fit no rule are passed over until one decides (and the
      // plain-text reader then takes their residue letters too).
      {"ACGT\n>s\nMK\n", PROTEIN, PLAIN, "ACGTMK"},
      {"Read the following..\n>s\nAC\n", DNA, PLAIN, "ATNGAC"},
      {"SEQ.SEQ  Length: 2  June 9, 2000 12:00  Type: P  Check: 1  ..\n>s\nAC\n", DNA, PLAIN,
       "NGTUNTCCAC"},
      // A tab is a word character: the eighth word is "12:00\tType:".
      {"SEQ  Length: 2  June 9, 2000 12:00\tType: N  Check: 1  ..\n>s\nAC\n", DNA, PLAIN,
       "NGTUNTNCCAC"},
      {"!!NA_SEQUENCE 1.0\nS  Length: 2  ..\n          AC\n", DNA, GCG, "AC"},
      {"!!AA_SEQUENCE 1.0\nP  Length: 2  ..\n          MK\n", PROTEIN, GCG, "MK"},
      {"SEQ.SEQ  Length: 2  June 9, 2000 12:00  Type: N  Check: 1234  ..\n          AC\n", DNA,
       GCG, "AC"},
      {"LOCUS       X 2 bp\nORIGIN\n        1 ac\n", DNA, GENBANK, "AC"},
      // The first rule that fits wins, on the first line that fits one.
      {">LOCUS\nAC\n", DNA, PLAIN, "AC"},
      {"LOCUS       X 2 bp\n>s\nORIGIN\n        1 ac\n", DNA, GENBANK, "AC"},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    test_support::write_file(path, c.contents);
    const SEQUENCE_DATA seq = read(path, NO, UNKNOWN);
    EXPECT_EQ(seq.Model, c.model);
    EXPECT_EQ(seq.Format, c.format);
    EXPECT_EQ(seq.Text.view(), c.text);
  }
}

TEST(SequenceDetection, GivenValuesAgainstDetectedOnes) {
  Temp_Dir dir;
  const std::string plain = dir / "plain";
  test_support::write_file(plain, ">s\nACGU\n");
  // A type given with the format left open: the format is detected, the
  // type kept.
  SEQUENCE_DATA rna = read(plain, RNA, UNKNOWN);
  EXPECT_EQ(rna.Model, RNA);
  EXPECT_EQ(rna.Format, PLAIN);
  EXPECT_EQ(rna.Text.view(), "ACGU");  // U stays U in text
  rna = read(plain, RNA, UNKNOWN, false);
  EXPECT_EQ(letters(rna.Nucleotides), "ACGT");  // and counts as T in codes
  EXPECT_EQ(read(plain, PROTEIN, UNKNOWN).Model, PROTEIN);

  // Both given: no mark is looked for, even where detection would fail.
  const std::string unmarked = dir / "unmarked";
  test_support::write_file(unmarked, "Entry  Length: 4  ..\n          ACGT\n");
  EXPECT_EQ(raised([&] { read(unmarked, NO, UNKNOWN); }),
            "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734");
  const SEQUENCE_DATA gcg = read(unmarked, DNA, GCG);
  EXPECT_EQ(gcg.Format, GCG);
  expect_text(gcg, "ACGT");
  const std::string residues_only = dir / "residues";
  test_support::write_file(residues_only, "ACGT\nAC\n");
  expect_text(read(residues_only, DNA, PLAIN), "ACGTAC");
}

TEST(SequenceDetection, Failures) {
  struct Case {
    std::string contents;
    Sequence_Model model;
    Sequence_Format format;
    std::string expected;
  };
  const std::string genbank = "LOCUS       X 2 bp\nORIGIN\n        1 ac\n";
  const Case cases[] = {
      {"", NO, UNKNOWN, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734"},
      {"ACGT\nACGT\n", NO, UNKNOWN,
       "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734"},
      {"ACGT\nACGT\n", DNA, UNKNOWN,
       "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734"},
      {">s\nACGT\n", NO, GCG, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:743"},
      {genbank, NO, PLAIN, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:743"},
      {genbank, PROTEIN, UNKNOWN, "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_io:767"},
      {genbank, PROTEIN, GENBANK, "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_io:767"},
      // Strider files carry no mark.
      {strider(2, 0, "AC"), NO, STRIDER,
       "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734"},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    test_support::write_file(path, c.contents);
    EXPECT_EQ(raised([&] { read(path, c.model, c.format); }), c.expected);
  }
  for (Sequence_Format format : {UNKNOWN, PLAIN, STRIDER, GCG, GENBANK}) {
    EXPECT_EQ(raised_name([&] { read(dir / "missing", DNA, format); }),
              "IO_EXCEPTIONS.NAME_ERROR");
  }
}

TEST(SequenceReading, RecordFieldsAroundTheResidues) {
  Temp_Dir dir;
  const std::string path = dir / "seq";
  test_support::write_file(path, ">s\nACGT\n");
  SEQUENCE_DATA seq;
  seq.Identifier = strlib::To_Pointer("label");
  seq.Name = strlib::To_Pointer("old name");
  seq.Text = strlib::To_Pointer("OLD");
  seq.Amino_Acids = Amino_Acid_Array::make(1, 2);
  seq.Nucleotides = Nucleotide_Array::make(1, 9);
  sequence_io::Read_Sequence(path, seq, NO, UNKNOWN, false);
  EXPECT_EQ(seq.Identifier.view(), "label");
  EXPECT_EQ(seq.Name.view(), path);
  EXPECT_TRUE(seq.Text.is_null());               // released
  EXPECT_EQ(seq.Amino_Acids.length(), 2);        // the other kind is left as it was
  EXPECT_EQ(letters(seq.Nucleotides), "ACGT");   // replaced
  EXPECT_EQ(seq.Nucleotides.first(), 1);

  // The refusal of protein GenBank comes after the record is prepared.
  test_support::write_file(path, "LOCUS       X 2 bp\n");
  EXPECT_EQ(raised([&] { sequence_io::Read_Sequence(path, seq, PROTEIN, UNKNOWN, true); }),
            "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_io:767");
  EXPECT_TRUE(seq.Name.is_null());
  EXPECT_EQ(seq.Model, PROTEIN);
  EXPECT_EQ(seq.Format, GENBANK);
  EXPECT_EQ(seq.Identifier.view(), "label");
}

TEST(PlainTextFormat, Layout) {
  const std::string nucleic = test_support::fixture("sequence_io/plain_records.txt");
  const SEQUENCE_DATA text = read(nucleic, DNA, PLAIN);
  expect_text(text, "ACGTNNU");
  EXPECT_EQ(text.Name.view(), nucleic);
  const SEQUENCE_DATA codes = read(nucleic, DNA, PLAIN, false);
  const std::vector<int> expected{0, 3, 2, 1, 14, 14, 1};
  std::vector<int> got;
  for (Nucleotide n : codes.Nucleotides.span()) got.push_back(int(n));
  EXPECT_EQ(got, expected);
  EXPECT_EQ(codes.Nucleotides.first(), 1);
  EXPECT_EQ(codes.Length, 7);
  EXPECT_EQ(codes.Last, 7);

  // "J" and "O" are no residues; a line beginning with a blank is no header.
  const std::string protein = test_support::fixture("sequence_io/plain_protein.txt");
  const SEQUENCE_DATA p = read(protein, NO, UNKNOWN);
  EXPECT_EQ(p.Model, PROTEIN);
  expect_text(p, "MKV*XAC");
  EXPECT_EQ(letters(read(protein, PROTEIN, PLAIN, false).Amino_Acids), "MKV*XAC");
}

TEST(GcgFormat, Layout) {
  const SEQUENCE_DATA entry = read(test_support::fixture("sequence_io/gcg_entry.gcg"), DNA, GCG,
                                   false);
  EXPECT_EQ(entry.Name.view(), "MYSEQ");
  EXPECT_EQ(letters(entry.Nucleotides), "ACGTA");
  EXPECT_EQ(entry.Length, 5);
  EXPECT_EQ(entry.Last, 5);

  // Passed over: a ".." line whose second word is no "Length", a one-word
  // ".." line. Residues follow the position number wherever it ends; a line
  // without one keeps the columns from 11 on, none when it is shorter.
  const SEQUENCE_DATA searched =
      read(test_support::fixture("sequence_io/gcg_header_search.gcg"), NO, UNKNOWN);
  EXPECT_EQ(searched.Format, GCG);
  EXPECT_EQ(searched.Name.view(), "X");
  expect_text(searched, "ACGTACGTACTT");

  // Position numbers in a narrower field than the classic one: every residue
  // is read, and the length is the announced one.
  const std::string dna_1(read(test_support::example("dna_1.fa"), NO, UNKNOWN).Text.view());
  const SEQUENCE_DATA narrow =
      read(test_support::fixture("sequence_io/gcg_narrow_numbers.gcg"), NO, UNKNOWN);
  EXPECT_EQ(narrow.Format, GCG);
  EXPECT_EQ(narrow.Length, 360);
  expect_text(narrow, dna_1);

  struct Case {
    std::string contents;
    Sequence_Model model;
    std::string name;  // "(null)" for none
    std::string text;
  };
  const Case cases[] = {
      {"P  Length 3  ..\n          mk*j\n", PROTEIN, "P", "MK*"},
      {"Q  Length:3..\n          acg\n", DNA, "Q", "ACG"},
      // A line without a position number: what stands in column 10 is no residue.
      {"Q  Length:3..\n         aCGT\n", DNA, "Q", "CGT"},
      // No header line: an empty sequence, named after the last ".." line seen.
      {"ABCDEFGHIJ..\n          ACGT\n", DNA, "ABCDEFGHIJ..", ""},
      {"no header here\n          ACGT\n", DNA, "(null)", ""},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    test_support::write_file(path, c.contents);
    const SEQUENCE_DATA seq = read(path, c.model, GCG);
    EXPECT_EQ(seq.Name.is_null() ? "(null)" : std::string(seq.Name.view()), c.name);
    expect_text(seq, c.text);
  }
  test_support::write_file(path, "X  Length: many  ..\n");
  EXPECT_EQ(raised_name([&] { read(path, DNA, GCG); }), "IO_EXCEPTIONS.DATA_ERROR");
}

TEST(GenBankFormat, Layout) {
  struct Case {
    std::string contents;
    std::string text;
  };
  const Case cases[] = {
      {"LOCUS       AB1     3 bp    DNA\nORIGIN\n        1 acg\n//\n", "ACG"},
      // Lines before ORIGIN give no residues; short lines are passed over;
      // "//" ends the entry.
      {"LOCUS       AB1     3 bp\nDEFINITION  a cat.\nORIGIN\n        1 ac\n\n        3 g\n//\n"
       "        4 tt\n",
       "ACG"},
      {"LOCUS       AB1 3bp\nORIGIN\n        1 acg\n", "ACG"},
      // Residues start in column 11: a letter in column 10 is not one.
      {"LOCUS       AB1     3 bp\nORIGIN\n        1a cgt\n", "CGT"},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    test_support::write_file(path, c.contents);
    const SEQUENCE_DATA seq = read(path, DNA, GENBANK);
    EXPECT_EQ(seq.Name.view(), "AB1");
    expect_text(seq, c.text);
  }
  test_support::write_file(path, cases[0].contents);
  EXPECT_EQ(letters(read(path, NO, UNKNOWN, false).Nucleotides), "ACG");

  // Without a LOCUS line: an empty sequence with no name.
  test_support::write_file(path, "ORIGIN\n        1 acg\n");
  const SEQUENCE_DATA none = read(path, DNA, GENBANK);
  EXPECT_TRUE(none.Name.is_null());
  expect_text(none, "");

  // A complete first entry: what follows it is not taken.
  const SEQUENCE_DATA first =
      read(test_support::fixture("sequence_io/genbank_two_entries.gb"), NO, UNKNOWN);
  EXPECT_EQ(first.Name.view(), "AB1");
  expect_text(first, "ACGT");
  // Nor when the first entry holds fewer residues than it announces.
  const SEQUENCE_DATA short_first =
      read(test_support::fixture("sequence_io/genbank_short_first.gb"), NO, UNKNOWN, false);
  EXPECT_EQ(letters(short_first.Nucleotides), "ACGT");
  EXPECT_EQ(short_first.Length, 4);
}

TEST(GenBankFormat, Failures) {
  struct Case {
    std::string locus;
    std::string expected;
  };
  const std::string no_unit = "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:228";
  const Case cases[] = {
      {"LOCUS       AB1     3 aa", no_unit},
      {"LOCUS       AB1     3 BP", no_unit},
      {"LOCUS       AB1     3", no_unit},
      {"LOCUS       AB1     3 ..", no_unit},
      {"LOCUS       AB1", "IO_EXCEPTIONS.END_ERROR"},
      {"LOCUS       AB1     ", "IO_EXCEPTIONS.END_ERROR"},
      {"LOCUS       AB1 xyz bp", "IO_EXCEPTIONS.DATA_ERROR"},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locus);
    test_support::write_file(path, c.locus + "\nORIGIN\n        1 acg\n");
    const std::string got = c.expected.starts_with("IO_")
                                ? raised_name([&] { read(path, DNA, GENBANK); })
                                : raised([&] { read(path, DNA, GENBANK); });
    EXPECT_EQ(got, c.expected);
  }
}

TEST(StriderFormat, Layout) {
  Temp_Dir dir;
  const std::string path = dir / "seq.strider";
  test_support::write_file(path, strider(4, 0, "ACgu") + "TTTT");  // bytes after N are not read
  platform::Standard_Output_Capture capture;
  SEQUENCE_DATA seq = read(path, DNA, STRIDER);
  EXPECT_EQ(seq.Model, DNA);
  EXPECT_EQ(seq.Format, STRIDER);
  EXPECT_EQ(seq.Name.view(), path);
  expect_text(seq, "ACGU");
  EXPECT_EQ(letters(read(path, DNA, STRIDER, false).Nucleotides), "ACGT");

  // The count is little-endian: 0 and 1 give 256.
  test_support::write_file(path, strider(0, 1, std::string(256, 'G')));
  expect_text(read(path, DNA, STRIDER), std::string(256, 'G'));

  test_support::write_file(path, strider(3, 0, "MKX"));
  EXPECT_EQ(letters(read(path, PROTEIN, STRIDER, false).Amino_Acids), "MKX");
  EXPECT_EQ(capture.text(), "");

  // Cut short in the header or in the residues.
  for (const std::string& contents :
       {std::string(100, '\0'), std::string(), strider(5, 0, "ACG")}) {
    test_support::write_file(path, contents);
    EXPECT_EQ(raised_name([&] { read(path, DNA, STRIDER); }), "IO_EXCEPTIONS.END_ERROR");
  }
}

TEST(StriderFormat, AbnormalBytesAreReportedAndLeftOut) {
  Temp_Dir dir;
  const std::string path = dir / "seq.strider";
  test_support::write_file(path, strider(9, 0, std::string("AC-G\nT !\xE9", 9)));
  {
    platform::Standard_Output_Capture capture;
    // Only what was kept is the sequence: no position is left unfilled.
    expect_text(read(path, DNA, STRIDER), "ACGT");
    EXPECT_TRUE(test_support::matches_golden(capture.text(), "sequence_io/strider_report.txt"));
  }
  // "J" is a letter but no amino acid.
  test_support::write_file(path, strider(3, 0, "MJK"));
  platform::Standard_Output_Capture capture;
  expect_text(read(path, PROTEIN, STRIDER), "MK");
  EXPECT_EQ(capture.text(), "Lecture d'un caractere anormal. code:   74 Valeur: J\n");
}

TEST(SequenceReading, ALineLongerThanTheReadPieceIsOneLine) {
  Temp_Dir dir;
  const std::string path = dir / "long";
  const std::string residues = std::string(75000, 'A') + std::string(75000, 'C');
  struct Case {
    std::string contents;
    Sequence_Format format;
    Sequence_Model model;
  };
  const Case cases[] = {
      {">h\n" + residues + "\n", PLAIN, DNA},
      // The tail of a long header line stays header: no residue, no protein.
      {">h " + std::string(100000, 'M') + "\n" + residues + "\n", PLAIN, DNA},
      // Residue lines continue without the column rule.
      {"!!NA_SEQUENCE 1.0\nX  Length: 150000  ..\n       1  " + residues + "\n", GCG, DNA},
      {"LOCUS       X 150000 bp\nORIGIN\n" + std::string("        1 ") + residues + "\n//\n",
       GENBANK, DNA},
      // A header line is seen whole, up to its ".." and its type.
      {"X  Length: 150000  June 9, 2000 12:00  Type: N  Check: 1 " + std::string(100000, ' ') +
           "..\n       1  " + residues + "\n",
       GCG, DNA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents.substr(0, 40));
    test_support::write_file(path, c.contents);
    const SEQUENCE_DATA detected = read(path, NO, UNKNOWN);
    EXPECT_EQ(detected.Format, c.format);
    EXPECT_EQ(detected.Model, c.model);
    expect_text(detected, residues);
    EXPECT_EQ(letters(read(path, DNA, c.format, false).Nucleotides), residues);
  }

  // A line that begins with a residue is no header, however far its ">" stands.
  test_support::write_file(path, std::string(100000, 'j') + ">s\nMK\n");
  EXPECT_EQ(raised([&] { read(path, NO, UNKNOWN); }),
            "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734");
  expect_text(read(path, PROTEIN, PLAIN), "SMK");  // its "s" is a residue
}

// Announced lengths that the residues do not match, and input that is no
// sequence at all: the sequence is always what the file holds, at most the
// announced length, and every position of it is a residue read.
TEST(SequenceReading, AnnouncedLengthsAreCheckedAgainstTheFile) {
  struct Case {
    std::string contents;
    Sequence_Format format;
    std::string text;
  };
  const Case cases[] = {
      {"X  Length: 3  ..\n          ACGTACGT\n", GCG, "ACG"},          // excess ignored
      {"X  Length: 10  ..\n          ACGT\n", GCG, "ACGT"},            // fewer: cut
      {"X  Length: 2000000000  ..\n          ACGT\n", GCG, "ACGT"},    // no huge array
      {"X  Length: -5  ..\n          ACGT\n", GCG, ""},                // negative: empty
      {"X  Length: 0  ..\n          ACGT\n", GCG, ""},
      {"LOCUS       AB1     2 bp\nORIGIN\n        1 acgt\n", GENBANK, "AC"},
      {"LOCUS       AB1     9 bp\nORIGIN\n        1 acgt\n//\n", GENBANK, "ACGT"},
      {"LOCUS       AB1     -1 bp\nORIGIN\n        1 acgt\n", GENBANK, ""},
      // A short entry ends at its "//": the next entry is no part of it.
      {"LOCUS       AB1     6 bp\nORIGIN\n        1 acgt\n//\nLOCUS       AB2     4 bp    DNA\n",
       GENBANK, "ACGT"},
      {strider(255, 255, "ACGT"), STRIDER, ""},  // -1
      {strider(0, 128, "ACGT"), STRIDER, ""},    // -32768
      {"", PLAIN, ""},
      {"", GCG, ""},
      {"", GENBANK, ""},
  };
  Temp_Dir dir;
  const std::string path = dir / "seq";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contents);
    test_support::write_file(path, c.contents);
    for (bool as_text : {true, false}) {
      const SEQUENCE_DATA seq = read(path, DNA, c.format, as_text);
      if (as_text) {
        expect_text(seq, c.text);
      } else {
        EXPECT_EQ(letters(seq.Nucleotides), c.text);
        EXPECT_EQ(seq.Nucleotides.first(), 1);
        EXPECT_EQ(seq.Nucleotides.last(), std::int32_t(c.text.size()));
        EXPECT_EQ(seq.Length, std::int32_t(c.text.size()));
        EXPECT_EQ(seq.Last, std::int32_t(c.text.size()));
      }
    }
  }
}

TEST(SequenceReading, BinaryInputIsNoCrash) {
  Temp_Dir dir;
  const std::string path = dir / "bytes";
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  test_support::write_file(path, all + all);
  // The line feed splits the bytes into lines; every residue letter of the
  // lines that are not headers counts.
  expect_text(read(path, DNA, PLAIN), "ACGNTUACGNTU" "ACGNTUACGNTU");
  expect_text(read(path, DNA, GCG), "");
  expect_text(read(path, DNA, GENBANK), "");
  EXPECT_EQ(raised([&] { read(test_support::example("dna_1.strider"), NO, UNKNOWN); }),
            "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT sequence_io:734");
}

TEST(Examples, EveryExampleReads) {
  struct Case {
    std::string file;
    Sequence_Model model;    // given
    Sequence_Format format;  // given
    Sequence_Model read_model;
    Sequence_Format read_format;
    std::int32_t length;
    std::string name;  // empty: the file name
  };
  const Case cases[] = {
      {"dna_1.fa", NO, UNKNOWN, DNA, PLAIN, 360, ""},
      {"dna_2.fa", NO, UNKNOWN, DNA, PLAIN, 357, ""},
      {"protein_1.fa", NO, UNKNOWN, PROTEIN, PLAIN, 230, ""},
      {"protein_2.fa", NO, UNKNOWN, PROTEIN, PLAIN, 229, ""},
      {"dna_1.gcg", NO, UNKNOWN, DNA, GCG, 360, "dna_1.seq"},
      {"dna_2.gb", NO, UNKNOWN, DNA, GENBANK, 357, "DNA2"},
      {"dna_1.strider", DNA, STRIDER, DNA, STRIDER, 360, ""},
  };
  platform::Standard_Output_Capture capture;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = test_support::example(c.file);
    const SEQUENCE_DATA seq = read(path, c.model, c.format);
    EXPECT_EQ(seq.Model, c.read_model);
    EXPECT_EQ(seq.Format, c.read_format);
    EXPECT_EQ(seq.Length, c.length);
    EXPECT_EQ(seq.Text.length(), c.length);
    EXPECT_EQ(seq.Name.view(), c.name.empty() ? path : c.name);
  }
  EXPECT_EQ(capture.text(), "");  // no abnormal byte in the Strider example

  // The other layouts hold the same residues as the plain-text files.
  const std::string dna_1(read(test_support::example("dna_1.fa"), NO, UNKNOWN).Text.view());
  EXPECT_EQ(read(test_support::example("dna_1.gcg"), NO, UNKNOWN).Text.view(), dna_1);
  EXPECT_EQ(read(test_support::example("dna_1.strider"), DNA, STRIDER).Text.view(), dna_1);
  EXPECT_EQ(read(test_support::example("dna_2.gb"), NO, UNKNOWN).Text.view(),
            read(test_support::example("dna_2.fa"), NO, UNKNOWN).Text.view());
}

TEST(Examples, CarriageReturnLineFeedFilesReadTheSame) {
  test_support::Temp_Dir dir;
  for (const char* name : {"dna_1.fa", "dna_1.gcg", "dna_2.gb", "protein_1.fa"}) {
    SCOPED_TRACE(name);
    std::string text = test_support::read_file(test_support::example(name));
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    test_support::write_file(dir / name, crlf);
    const SEQUENCE_DATA original = read(test_support::example(name), NO, UNKNOWN);
    const SEQUENCE_DATA converted = read((dir / name).string(), NO, UNKNOWN);
    EXPECT_EQ(converted.Format, original.Format);
    EXPECT_EQ(converted.Model, original.Model);
    EXPECT_EQ(converted.Text.view(), original.Text.view());
    EXPECT_EQ(converted.Name.view(), original.Format == PLAIN ? (dir / name).string()
                                                               : std::string(original.Name.view()));
  }
}
