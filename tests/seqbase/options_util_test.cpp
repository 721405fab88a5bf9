#include <gtest/gtest.h>

#include "test_support.h"

#include <string>

#include "options_util.h"

using namespace options_util;
using sequence_specifications::Sequence_Format;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;


TEST(OptionWords, Abbreviations) {
  struct Case {
    const char* word;
    const char* keyword;
    int minimum;
    bool expected;
  };
  const Case cases[] = {
      {"Wat", "WATSON", 3, true},      {"Wat", "WATSON", 4, false},
      {"WATSONS", "WATSON", 1, false}, {"", "BOTH", 0, true},
      {"", "BOTH", 1, false},          {"gen", "GENBANK", 3, true},
      {"genbankx", "GENBANK", 1, false}, {"-bu", "-BUilding", 3, true},
      {"-BUILDING", "-BUilding", 3, true}, {"-BX", "-BUilding", 2, false},
      {"é", "É", 1, false},              // only ASCII letters change case
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Is_Abbreviation(c.word, c.keyword, c.minimum), c.expected)
        << c.word << " / " << c.keyword << " / " << c.minimum;
  }
}

TEST(OptionWords, StrandWords) {
  EXPECT_EQ(To_Strand("W"), Strand::WATSON);
  EXPECT_EQ(To_Strand("c"), Strand::CRICK);
  EXPECT_EQ(To_Strand("Bo"), Strand::BOTH);
  for (const char* refused : {"x", "", "WATSONX"}) {
    EXPECT_EQ(test_support::raised([&] { To_Strand(refused); }),
              "SEQUENCE_SPECIFICATIONS.INVALID_STRAND options_util:136")
        << refused;
  }
}

TEST(OptionWords, ModelWordsInTableOrder) {
  struct Case {
    const char* word;
    Sequence_Model expected;
  };
  for (const Case& c : {Case{"d", Sequence_Model::DNA}, Case{"Dn", Sequence_Model::DNA},
                        Case{"adn", Sequence_Model::DNA}, Case{"ADN", Sequence_Model::DNA},
                        Case{"r", Sequence_Model::RNA}, Case{"arn", Sequence_Model::RNA},
                        Case{"p", Sequence_Model::PROTEIN}, Case{"PROT", Sequence_Model::PROTEIN},
                        Case{"protein", Sequence_Model::PROTEIN}}) {
    EXPECT_EQ(To_Sequence_Model(c.word), c.expected) << c.word;
  }
  for (const char* refused : {"A", "AD", "Ad", "AR", "DNAX", ""}) {
    EXPECT_EQ(test_support::raised([&] { To_Sequence_Model(refused); }),
              "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL options_util:123")
        << refused;
  }
}

TEST(OptionWords, FormatWordsInTableOrder) {
  struct Case {
    const char* word;
    Sequence_Format expected;
  };
  for (const Case& c : {Case{"a", Sequence_Format::PLAIN_ASCII}, Case{"asc", Sequence_Format::PLAIN_ASCII},
                        Case{"DNA_S", Sequence_Format::DNA_STRIDER},
                        Case{"dna_strider", Sequence_Format::DNA_STRIDER},
                        Case{"s", Sequence_Format::DNA_STRIDER}, Case{"gc", Sequence_Format::GCG},
                        Case{"GC", Sequence_Format::GCG}, Case{"ge", Sequence_Format::GENBANK},
                        Case{"GenBank", Sequence_Format::GENBANK}}) {
    EXPECT_EQ(To_Sequence_Format(c.word), c.expected) << c.word;
  }
  for (const char* refused : {"D", "DNA", "DNA_", "G", "ASCII2", ""}) {
    EXPECT_EQ(test_support::raised([&] { To_Sequence_Format(refused); }),
              "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT options_util:106")
        << refused;
  }
}

TEST(OptionWords, Numbers) {
  EXPECT_EQ(To_Integer(" 42"), 42);
  EXPECT_EQ(To_Integer("-7x"), -7);
  EXPECT_EQ(To_Integer("12abc"), 12);
  EXPECT_EQ(test_support::raised([] { To_Integer("x"); }).substr(0, 24), "IO_EXCEPTIONS.DATA_ERROR");
  EXPECT_EQ(test_support::raised([] { To_Integer(""); }).substr(0, 23), "IO_EXCEPTIONS.END_ERROR");
  EXPECT_EQ(test_support::raised([] { To_Integer("   "); }).substr(0, 23), "IO_EXCEPTIONS.END_ERROR");
  EXPECT_EQ(test_support::raised([] { To_Integer("99999999999"); }).substr(0, 24), "IO_EXCEPTIONS.DATA_ERROR");
  EXPECT_EQ(To_Float("0.5"), 0.5f);
  EXPECT_EQ(To_Float("1.0E3"), 1000.0f);
  EXPECT_EQ(test_support::raised([] { To_Float("-x"); }).substr(0, 24), "IO_EXCEPTIONS.DATA_ERROR");
}

TEST(OptionWords, WithKeyTurnsOnlyTheCaughtErrorIntoTheKey) {
  constexpr platform::Exception_Id keyed{"TEST.KEYED"};
  auto integer = [&](const char* text) {
    return With_Key(io_exceptions::DATA_ERROR, keyed, "K_Value", [&] { return To_Integer(text); });
  };
  EXPECT_EQ(integer(" 42"), 42);
  EXPECT_EQ(test_support::raised([&] { integer("x"); }), "TEST.KEYED K_Value");
  EXPECT_EQ(test_support::raised([&] { integer(""); }).substr(0, 23), "IO_EXCEPTIONS.END_ERROR");
  // Raised again under its own identity, with only the message replaced.
  EXPECT_EQ(test_support::raised([] {
              With_Key(sequence_specifications::INVALID_STRAND, sequence_specifications::INVALID_STRAND,
                       "1", [] { return To_Strand("x"); });
            }),
            "SEQUENCE_SPECIFICATIONS.INVALID_STRAND 1");
  EXPECT_EQ(test_support::raised([&] {
              With_Key(sequence_specifications::INVALID_STRAND, keyed, "1",
                       [] { return To_Sequence_Model("x"); });
            }),
            "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL options_util:123");
}

TEST(OptionWords, UpperCaseKeepsBounds) {
  const strlib::Plain_String up = To_Upper(strlib::Plain_View("aZ-1é", 4));
  EXPECT_EQ(up.chars, "AZ-1é");
  EXPECT_EQ(up.first, 4);
}

TEST(OptionWords, BaseNames) {
  struct Case {
    const char* path;
    const char* expected;
  };
  for (const Case& c : {Case{"dir/seq.v1.txt", "seq"}, Case{"seq", "seq"}, Case{"a/b", "b"},
                        Case{"a.b/c", "c"}, Case{"/x/y.z", "y"}, Case{"d\\s.txt", "d\\s"},
                        Case{".x", ""}, Case{"dir/", ""}, Case{"", ""}, Case{"data/hba.seq", "hba"}}) {
    EXPECT_EQ(Base_Name(c.path).chars, c.expected) << c.path;
  }
  const strlib::Plain_String kept = Base_Name(strlib::Plain_View("ab/cd.e", 10));
  EXPECT_EQ(kept.chars, "cd");
  EXPECT_EQ(kept.first, 13);  // keeps the source's indexing
  EXPECT_EQ(Base_Name(strlib::String_Pointer()).chars, "");
  EXPECT_EQ(Base_Name(strlib::To_Pointer("p/q.r")).chars, "q");
}
