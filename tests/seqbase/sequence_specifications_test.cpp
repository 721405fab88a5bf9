#include <gtest/gtest.h>

#include "test_support.h"

#include <string>

#include "sequence_specifications.h"

using namespace sequence_specifications;


TEST(Alphabets, NucleotideConversions) {
  const std::string letters = "ATGCSWRYKMBVHDN";
  for (std::size_t code = 0; code < letters.size(); ++code) {
    const char upper = letters[code];
    const char lower = char(upper - 'A' + 'a');
    EXPECT_EQ(int(To_Nucleotide(upper)), int(code)) << upper;
    EXPECT_EQ(int(To_Nucleotide(lower)), int(code)) << lower;
    EXPECT_EQ(Nucleotide_Image(Nucleotide(code)), upper);
    EXPECT_EQ(To_Nucleotide_Char(lower), upper);
  }
  for (char c : {'U', 'u', 'T', 't'}) EXPECT_EQ(To_Nucleotide(c), Nucleotide::T) << c;
  EXPECT_EQ(To_Nucleotide_Char('u'), 'U');
  EXPECT_EQ(Image(Nucleotide::G), "'G'");

  for (char c : {'x', 'E', 'j', '*', ' ', '1', '\0', char(0xC3)}) {
    EXPECT_EQ(test_support::raised([c] { To_Nucleotide(c); }),
              "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:109");
    EXPECT_EQ(test_support::raised([c] { To_Nucleotide_Char(c); }),
              "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:44");
  }
  EXPECT_EQ(test_support::raised([] { Nucleotide_Image(Nucleotide(15)); }),
            "SEQUENCE_SPECIFICATIONS.UNKNOWN_NUCLEOTIDE sequence_specifications:131");
}

TEST(Alphabets, AminoAcidConversions) {
  const std::string letters = "ABCDEFGHIKLMNPQRSTVWXYZ*";
  for (std::size_t code = 0; code < letters.size(); ++code) {
    const char upper = letters[code];
    EXPECT_EQ(int(To_Amino_Acid(upper)), int(code)) << upper;
    EXPECT_EQ(Amino_Acid_Image(Amino_Acid(code)), upper);
    if (upper != '*') {
      const char lower = char(upper - 'A' + 'a');
      EXPECT_EQ(int(To_Amino_Acid(lower)), int(code)) << lower;
      EXPECT_EQ(To_Amino_Acid_Char(lower), upper);
    }
  }
  EXPECT_EQ(To_Amino_Acid('b'), Amino_Acid::B);
  EXPECT_EQ(To_Amino_Acid_Char('*'), '*');
  for (char c : {'J', 'o', 'U', 'j', 'O', 'u', '1', '-'}) {
    EXPECT_EQ(test_support::raised([c] { To_Amino_Acid(c); }),
              "SEQUENCE_SPECIFICATIONS.UNKNOWN_AMINO_ACID sequence_specifications:162");
    EXPECT_EQ(test_support::raised([c] { To_Amino_Acid_Char(c); }),
              "SEQUENCE_SPECIFICATIONS.UNKNOWN_AMINO_ACID sequence_specifications:75");
  }
  EXPECT_EQ(test_support::raised([] { Amino_Acid_Image(Amino_Acid(24)); }),
            "SEQUENCE_SPECIFICATIONS.UNKNOWN_AMINO_ACID sequence_specifications:193");
}

TEST(Alphabets, LetterSetsOfTheReaders) {
  int nucleotide_chars = 0, amino_acid_chars = 0;
  for (int c = 0; c < 256; ++c) {
    nucleotide_chars += Is_Nucleotide_Char(char(c));
    amino_acid_chars += Is_Amino_Acid_Char(char(c));
  }
  EXPECT_EQ(nucleotide_chars, 12);
  EXPECT_EQ(amino_acid_chars, 47);
  EXPECT_FALSE(Is_Nucleotide_Char('R'));  // convertible, but not kept from files
  EXPECT_TRUE(Is_Nucleotide_Char('n'));
  EXPECT_TRUE(Is_Nucleotide_Char('u'));
  EXPECT_FALSE(Is_Amino_Acid_Char('u'));
  EXPECT_FALSE(Is_Amino_Acid_Char(' '));
  EXPECT_TRUE(Is_Amino_Acid_Char('*'));
  EXPECT_TRUE(Is_Amino_Acid_Char('x'));
  EXPECT_TRUE(Is_Blank(' '));
  EXPECT_FALSE(Is_Blank('\t'));
}

TEST(Alphabets, FindChar) {
  bool found;
  std::int32_t index;
  Find_Char('>', ">seq", found, index);
  EXPECT_TRUE(found);
  EXPECT_EQ(index, 1);
  Find_Char(':', strlib::Plain_View("a:bc", 5), found, index);
  EXPECT_TRUE(found);
  EXPECT_EQ(index, 6);
  Find_Char('z', strlib::Plain_View("a:bc", 5), found, index);
  EXPECT_FALSE(found);
  EXPECT_EQ(index, 8);
  Find_Char('z', strlib::Plain_View("", 3), found, index);
  EXPECT_FALSE(found);
  EXPECT_EQ(index, 3);
}

TEST(Alphabets, LiteralNames) {
  EXPECT_STREQ(Image(Sequence_Model::PROTEIN), "PROTEIN");
  EXPECT_STREQ(Image(Sequence_Model::NO), "NO");
  EXPECT_STREQ(Image(Sequence_Format::DNA_STRIDER), "DNA_STRIDER");
  EXPECT_STREQ(Image(Sequence_Format::UNKNOWN), "UNKNOWN");
  EXPECT_STREQ(Image(Strand::CRICK), "CRICK");
}
