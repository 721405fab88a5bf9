#include <gtest/gtest.h>

#include "test_support.h"

#include <string>
#include <vector>

#include "sequence_specifications-basic.h"

using namespace sequence_specifications;
using namespace sequence_specifications::basic;

namespace {


strlib::String_Pointer text(std::string_view letters, std::int32_t first = 1) {
  strlib::String_Pointer s = strlib::String_Pointer::make(first, std::int32_t(first + letters.size() - 1));
  for (std::size_t i = 0; i < letters.size(); ++i) s(std::int32_t(first + i)) = letters[i];
  return s;
}

Nucleotide_Array codes(std::vector<int> values, std::int32_t first = 1) {
  Nucleotide_Array a = Nucleotide_Array::make(first, std::int32_t(first + values.size() - 1));
  for (std::size_t i = 0; i < values.size(); ++i) a(std::int32_t(first + i)) = Nucleotide(values[i]);
  return a;
}

std::vector<int> values_of(const Nucleotide_Array& a) {
  std::vector<int> v;
  for (Nucleotide n : a.span()) v.push_back(int(n));
  return v;
}

SEQUENCE_DATA dna(std::string_view letters) {
  SEQUENCE_DATA s;
  s.Model = Sequence_Model::DNA;
  s.Text = text(letters);
  s.Length = std::int32_t(letters.size());
  return s;
}

}  // namespace

TEST(SequenceRecord, Defaults) {
  const SEQUENCE_DATA s;
  EXPECT_TRUE(s.Name.is_null());
  EXPECT_TRUE(s.Identifier.is_null());
  EXPECT_EQ(s.Model, Sequence_Model::NO);
  EXPECT_EQ(s.Format, Sequence_Format::UNKNOWN);
  EXPECT_EQ(s.Length, 0);
  EXPECT_TRUE(s.Text.is_null());
  EXPECT_TRUE(s.Nucleotides.is_null());
  EXPECT_TRUE(s.Amino_Acids.is_null());
  EXPECT_EQ(s.First, -1);
  EXPECT_EQ(s.Last, -1);
  const Sequence_Data_Array list(1, 3);
  EXPECT_EQ(list.length(), 3);
  EXPECT_EQ(list(3).First, -1);
  EXPECT_TRUE(Sequence_Data_Array().is_null());
  EXPECT_FALSE(Sequence_Data_Array(1, 0).is_null());
}

TEST(SequenceRecord, NucleicOperationsRefuseOtherModels) {
  for (Sequence_Model model : {Sequence_Model::PROTEIN, Sequence_Model::NO}) {
    SEQUENCE_DATA s = dna("ACGT");
    s.Model = model;
    EXPECT_EQ(test_support::raised([&] { s.Reverse_Sequence(); }),
              "SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC sequence_specifications-basic:83");
    EXPECT_EQ(test_support::raised([&] { s.Complement_Sequence(); }),
              "SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC sequence_specifications-basic:126");
    EXPECT_EQ(test_support::raised([&] { s.Build_Nucleotides(); }),
              "SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC sequence_specifications-basic:141");
    EXPECT_EQ(s.Text.view(), "ACGT");  // untouched
  }
  SEQUENCE_DATA s = dna("ACGT");
  EXPECT_EQ(test_support::raised([&] { s.Build_Amino_Acids(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_PROTEINIC sequence_specifications-basic:168");
  s.Model = Sequence_Model::NO;
  EXPECT_EQ(test_support::raised([&] { s.Build_Text(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_IMPLEMENTED sequence_specifications-basic:243");
}

TEST(SequenceRecord, ReverseInPlaceAndMirrored) {
  SEQUENCE_DATA s = dna("ACGTN");
  s.Reverse_Sequence();
  EXPECT_EQ(s.Text.view(), "NTGCA");
  EXPECT_EQ(s.Text.first(), 1);

  SEQUENCE_DATA one = dna("A");
  one.Reverse_Sequence();
  EXPECT_EQ(one.Text.view(), "A");

  // A range 3..5 of a sequence of 10 maps onto 6..8, counted from the other end.
  SEQUENCE_DATA part;
  part.Model = Sequence_Model::RNA;
  part.Length = 10;
  part.Text = text("GTA", 3);
  part.Nucleotides = codes({2, 1, 0}, 3);
  part.First = 3;
  part.Last = 5;
  part.Reverse_Sequence();
  EXPECT_EQ(part.Text.first(), 6);
  EXPECT_EQ(part.Text.last(), 8);
  EXPECT_EQ(part.Text.view(), "ATG");
  EXPECT_EQ(part.Text(8), 'G');
  EXPECT_EQ(part.Nucleotides.first(), 6);
  EXPECT_EQ(values_of(part.Nucleotides), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(part.First, 3);  // the working range is the caller's to move
  EXPECT_EQ(part.Length, 10);
}

TEST(SequenceRecord, Complement) {
  SEQUENCE_DATA s = dna("ACGTNUR");
  s.Nucleotides = codes({0, 1, 2, 3, 6, 14});
  s.Complement_Sequence();
  // U pairs as T does, as its code already shows.
  EXPECT_EQ(s.Text.view(), "TGCANAR");
  EXPECT_EQ(values_of(s.Nucleotides), (std::vector<int>{1, 0, 3, 2, 6, 14}));

  SEQUENCE_DATA lower = dna("acgtu");
  lower.Complement_Sequence();
  EXPECT_EQ(lower.Text.view(), "acgtu");

  SEQUENCE_DATA rna = dna("AUGGCU");
  rna.Model = Sequence_Model::RNA;
  rna.Reverse_Sequence();
  rna.Complement_Sequence();
  EXPECT_EQ(rna.Text.view(), "AGCCAT");

  // Reverse then complement of AACG gives CGTT, whichever comes first.
  SEQUENCE_DATA a, b;
  for (SEQUENCE_DATA* r : {&a, &b}) {
    r->Model = Sequence_Model::DNA;
    r->Length = 4;
    r->Nucleotides = codes({0, 0, 3, 2});
  }
  a.Reverse_Sequence();
  a.Complement_Sequence();
  b.Complement_Sequence();
  b.Reverse_Sequence();
  EXPECT_EQ(values_of(a.Nucleotides), (std::vector<int>{3, 2, 1, 1}));
  EXPECT_EQ(values_of(a.Nucleotides), values_of(b.Nucleotides));
}

TEST(SequenceRecord, BuildersKeepBoundsAndRefuseBadLetters) {
  SEQUENCE_DATA s = dna("ACU");
  s.Model = Sequence_Model::RNA;
  s.Build_Nucleotides();
  EXPECT_EQ(values_of(s.Nucleotides), (std::vector<int>{0, 3, 1}));
  s.Build_Text();
  EXPECT_EQ(s.Text.view(), "ACT");

  SEQUENCE_DATA bad = dna("AXG");
  bad.Nucleotides = codes({0});
  EXPECT_EQ(test_support::raised([&] { bad.Build_Nucleotides(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC sequence_specifications-basic:160");
  EXPECT_TRUE(bad.Nucleotides.is_null());

  SEQUENCE_DATA keep;
  keep.Model = Sequence_Model::DNA;
  keep.Nucleotides = codes({2, 2});
  keep.Build_Nucleotides();  // null text: the old codes stay
  EXPECT_EQ(values_of(keep.Nucleotides), (std::vector<int>{2, 2}));
  keep.Text = strlib::String_Pointer::make(1, 0);
  keep.Build_Nucleotides();  // empty text: likewise
  EXPECT_EQ(values_of(keep.Nucleotides), (std::vector<int>{2, 2}));

  SEQUENCE_DATA protein;
  protein.Model = Sequence_Model::PROTEIN;
  protein.Text = text("mk*", 4);
  protein.Build_Amino_Acids();
  EXPECT_EQ(protein.Amino_Acids.first(), 4);
  EXPECT_EQ(protein.Amino_Acids(6), Amino_Acid::STOP);
  protein.Text.reset();
  protein.Build_Text();
  EXPECT_EQ(protein.Text.view(), "MK*");
  EXPECT_EQ(protein.Text.first(), 4);
  protein.Text = text("MJ");
  EXPECT_EQ(test_support::raised([&] { protein.Build_Amino_Acids(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_PROTEINIC sequence_specifications-basic:187");
  EXPECT_TRUE(protein.Amino_Acids.is_null());

  SEQUENCE_DATA bad_codes;
  bad_codes.Model = Sequence_Model::DNA;
  bad_codes.Text = text("old");
  bad_codes.Nucleotides = codes({0, 20});
  EXPECT_EQ(test_support::raised([&] { bad_codes.Build_Text(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_NUCLEOTIDIC sequence_specifications-basic:211");
  EXPECT_TRUE(bad_codes.Text.is_null());
  bad_codes.Model = Sequence_Model::PROTEIN;
  bad_codes.Amino_Acids = Amino_Acid_Array::make(1, 1);
  bad_codes.Amino_Acids(1) = Amino_Acid(30);
  EXPECT_EQ(test_support::raised([&] { bad_codes.Build_Text(); }),
            "SEQUENCE_SPECIFICATIONS.NOT_PROTEINIC sequence_specifications-basic:235");
}

TEST(SequenceRecord, ClearKeepsIdentifierAndFormat) {
  SEQUENCE_DATA s = dna("ACGT");
  s.Name = strlib::To_Pointer("x.seq");
  s.Identifier = strlib::To_Pointer("x");
  s.Format = Sequence_Format::GCG;
  s.Nucleotides = codes({0});
  s.First = 1;
  s.Last = 4;
  s.Clear();
  EXPECT_TRUE(s.Name.is_null());
  EXPECT_TRUE(s.Text.is_null());
  EXPECT_TRUE(s.Nucleotides.is_null());
  EXPECT_EQ(s.Identifier.view(), "x");
  EXPECT_EQ(s.Format, Sequence_Format::GCG);
  EXPECT_EQ(s.Model, Sequence_Model::NO);
  EXPECT_EQ(s.Length, 0);
  EXPECT_EQ(s.First, -1);
  EXPECT_EQ(s.Last, -1);
}

TEST(SequenceRecord, StrandLetters) {
  EXPECT_EQ(Strand_Letter(Strand::WATSON), 'W');
  EXPECT_EQ(Strand_Letter(Strand::CRICK), 'C');
  EXPECT_EQ(Strand_Letter(Strand::BOTH), 'B');
}
