#include <gtest/gtest.h>

#include "test_support.h"

#include <sstream>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/text_io.h"
#include "zarn_options.h"

using namespace zarn_options;
using Arguments = std::vector<std::string>;

namespace {

// "NAME=value" for every field, in record order.
std::vector<std::string> fields(const Options_Record& o) {
  auto text = [](const strlib::String_Pointer& s) {
    return s.is_null() ? std::string("null") : "'" + std::string(s.view()) + "'";
  };
  auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
  auto number = [](auto v) {
    std::ostringstream out;
    out << v;
    return out.str();
  };
  return {
      "Method=" + std::string(sequence_alignment::Image(o.Method)),
      "Building=" + std::string(sequence_alignment::Image(o.Building)),
      "Optimize=" + std::string(sequence_alignment::Image(o.Optimize)),
      "Backward=" + std::string(sequence_alignment::Image(o.Backward)),
      "Name_1=" + text(o.Name_1),
      "Name_2=" + text(o.Name_2),
      "Identifier_1=" + text(o.Identifier_1),
      "Identifier_2=" + text(o.Identifier_2),
      "Begin_1=" + number(o.Begin_1),
      "Begin_2=" + number(o.Begin_2),
      "End_1=" + number(o.End_1),
      "End_2=" + number(o.End_2),
      "Adjust=" + number(o.Adjust),
      "Format_1=" + std::string(sequence_specifications::Image(o.Format_1)),
      "Format_2=" + std::string(sequence_specifications::Image(o.Format_2)),
      "Model_1=" + std::string(sequence_specifications::Image(o.Model_1)),
      "Model_2=" + std::string(sequence_specifications::Image(o.Model_2)),
      "Reverse_1=" + flag(o.Reverse_1),
      "Reverse_2=" + flag(o.Reverse_2),
      "Complement_1=" + flag(o.Complement_1),
      "Complement_2=" + flag(o.Complement_2),
      "Strand_1=" + std::string(sequence_specifications::Image(o.Strand_1)),
      "Strand_2=" + std::string(sequence_specifications::Image(o.Strand_2)),
      "Verbose=" + flag(o.Verbose),
      "List_File=" + text(o.List_File),
      "Positions_File=" + text(o.Positions_File),
      "Positions_Given=" + flag(o.Positions_Given),
      "Write_Results=" + flag(o.Write_Results),
      "Write_Summary=" + flag(o.Write_Summary),
      "Screen_Summary=" + flag(o.Screen_Summary),
      "Length_Max=" + number(o.Length_Max),
      "Matrix_Name=" + text(o.Matrix_Name),
      "Match_Weight=" + number(o.Match_Weight),
      "Mismatch_Weight=" + number(o.Mismatch_Weight),
      "Gap_Weight=" + number(o.Gap_Weight),
      "Gap_Length_Weight=" + number(o.Gap_Length_Weight),
      "End_Weight=" + flag(o.End_Weight),
      "Similarity_Threshold=" + number(o.Similarity_Threshold),
      "Randomization=" + number(o.Randomization),
      "Preserve=" + number(o.Preserve),
      "Lmin=" + number(o.Lmin),
      "Smin=" + number(o.Smin),
  };
}

// The fields of After that differ from Before, blank-separated.
std::string differences(const Options_Record& before, const Options_Record& after) {
  const std::vector<std::string> a = fields(before);
  const std::vector<std::string> b = fields(after);
  std::string text;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) text += (text.empty() ? "" : " ") + b[i];
  }
  return text;
}

Options_Record parse(const Arguments& arguments) {
  platform::set_command_line("zarn", arguments);
  Options_Record options = Init_Options();
  Get_Options(options);
  return options;
}

std::string outcome(const Arguments& arguments) {
  return test_support::raised([&] { parse(arguments); });
}

const Arguments single = {"-S1", "a", "-S2", "b"};

// The case's own arguments come after a complete single-mode command line.
Arguments with_single(const Arguments& arguments) {
  Arguments all = single;
  all.insert(all.end(), arguments.begin(), arguments.end());
  return all;
}

}  // namespace

TEST(ZarnOptions, DefaultsOfTheRecord) {
  const Options_Record o = Init_Options();
  std::string all;
  for (const std::string& f : fields(o)) all += f + "\n";
  EXPECT_EQ(all,
            "Method=GLOBAL_ALIGNMENT\nBuilding=ONE\nOptimize=NO\nBackward=DVH\nName_1=null\n"
            "Name_2=null\nIdentifier_1=null\nIdentifier_2=null\nBegin_1=-99999999\n"
            "Begin_2=-99999999\nEnd_1=-99999999\nEnd_2=-99999999\nAdjust=0\nFormat_1=UNKNOWN\n"
            "Format_2=UNKNOWN\nModel_1=NO\nModel_2=NO\nReverse_1=false\nReverse_2=false\n"
            "Complement_1=false\nComplement_2=false\nStrand_1=WATSON\nStrand_2=WATSON\n"
            "Verbose=false\nList_File=null\nPositions_File=null\nPositions_Given=false\n"
            "Write_Results=false\nWrite_Summary=false\nScreen_Summary=true\nLength_Max=3500\n"
            "Matrix_Name=null\nMatch_Weight=10\nMismatch_Weight=-9\nGap_Weight=-50\n"
            "Gap_Length_Weight=-3\nEnd_Weight=false\nSimilarity_Threshold=-1\nRandomization=0\n"
            "Preserve=1\nLmin=0\nSmin=0\n");
}

TEST(ZarnOptions, SingleModeCompletesIdentifiersAndMismatch) {
  EXPECT_EQ(differences(Init_Options(), parse(single)),
            "Name_1='a' Name_2='b' Identifier_1='a' Identifier_2='b' Mismatch_Weight=0");
  EXPECT_EQ(differences(Init_Options(), parse({"-S1", "dir/a.fasta", "-S2", "b", "-I2", "x"})),
            "Name_1='dir/a.fasta' Name_2='b' Identifier_1='a' Identifier_2='x' Mismatch_Weight=0");
  // A name whose base name is empty leaves the identifier null.
  EXPECT_EQ(differences(Init_Options(), parse({"-S1", "dir/.hidden", "-S2", "b"})),
            "Name_1='dir/.hidden' Name_2='b' Identifier_2='b' Mismatch_Weight=0");
}

// Each keyword in its shortest accepted form, the first match deciding.
TEST(ZarnOptions, EveryKeywordInItsShortestForm) {
  struct Case {
    Arguments arguments;
    const char* changes;  // against a plain single-mode parse
  };
  const Case cases[] = {
      {{"-LOCAL", "-GLO"}, ""},
      {{"-LOC"}, "Method=LOCAL_ALIGNMENT Mismatch_Weight=-9"},
      {{"-BU", "f"}, "Building=FULL"},
      {{"-OP", "s"}, "Optimize=SHORT"},
      {{"-BA", "hd"}, "Backward=HDV"},
      {{"-S1", "x/y.seq"}, "Name_1='x/y.seq' Identifier_1='y'"},
      {{"-I1", "id"}, "Identifier_1='id'"},
      {{"-F1", "gc"}, "Format_1=GCG"},
      {{"-T1", "p"}, "Model_1=PROTEIN"},
      {{"-B1", "-5"}, "Begin_1=-5"},
      {{"-E1", "7"}, "End_1=7"},
      {{"-R1"}, "Reverse_1=true"},
      {{"-C1"}, "Complement_1=true"},
      {{"-ST1", "crick"}, "Strand_1=CRICK"},
      {{"-I2", "id2"}, "Identifier_2='id2'"},
      {{"-F2", "s"}, "Format_2=DNA_STRIDER"},
      {{"-T2", "r"}, "Model_2=RNA"},
      {{"-B2", "3"}, "Begin_2=3"},
      {{"-E2", "4"}, "End_2=4"},
      {{"-R2"}, "Reverse_2=true"},
      {{"-C2"}, "Complement_2=true"},
      {{"-ST2", "C"}, "Strand_2=CRICK"},
      {{"-SC", "m.txt"}, "Matrix_Name='m.txt'"},
      {{"-MA", "4"}, "Match_Weight=4"},
      {{"-MW", "5"}, "Match_Weight=5"},
      {{"-MI", "-2"}, "Mismatch_Weight=-2"},
      {{"-GAP_W", "-7"}, "Gap_Weight=-7"},
      {{"-GW", "-8"}, "Gap_Weight=-8"},
      {{"-GAP_L", "-1"}, "Gap_Length_Weight=-1"},
      {{"-LW", "-2"}, "Gap_Length_Weight=-2"},
      {{"-SIMILARITY_T", "3"}, "Similarity_Threshold=3"},
      {{"-SIT", "4"}, "Similarity_Threshold=4"},
      {{"-RAND", "9"}, "Randomization=9"},
      {{"-RND", "8"}, "Randomization=8"},
      {{"-PRE", "2"}, "Preserve=2"},
      {{"-END_WE"}, "End_Weight=true"},
      {{"-EW"}, "End_Weight=true"},
      {{"-RE"}, "Write_Results=true"},
      {{"-N"}, "Screen_Summary=false"},
      {{"-SU"}, "Write_Summary=true"},
      {{"-L", "0"}, "Length_Max=0"},
      {{"-P", "p.txt"}, "Positions_File='p.txt' Positions_Given=true"},
      {{"-A", "-6"}, "Adjust=-6"},
      {{"-LM", "12"}, "Lmin=12"},
      {{"-S", "100.0"}, "Smin=100"},
      {{"-V"}, "Verbose=true"},
      // Case plays no part, and the whole keyword is accepted.
      {{"-gl", "-Local", "-GLOBAL"}, ""},
      {{"-building", "All", "-OPTIMIZE", "l", "-backward", "hv"},
       "Building=ALL_FIRSTS Optimize=LARGE Backward=HVD"},
      {{"-bu", "o", "-op", "n", "-ba", "dv"}, ""},
      {{"-BA", "dh"}, "Backward=DHV"},
      {{"-BA", "vd"}, "Backward=VDH"},
      {{"-BA", "VH"}, "Backward=VHD"},
      {{"-SMIN", "0.0", "-LENGTHMAX", "0"}, "Length_Max=0"},
      {{"-S2", "z"}, "Name_2='z' Identifier_2='z'"},
      // The last occurrence wins; the mismatch default follows the final method.
      {{"-GW", "-10", "-GW", "-20"}, "Gap_Weight=-20"},
      {{"-LOCAL", "-GLOBAL"}, ""},
      {{"-MISMATCH_WEIGHT", "-9"}, "Mismatch_Weight=-9"},
      {{"-LOCAL", "-MI", "-3"}, "Method=LOCAL_ALIGNMENT Mismatch_Weight=-3"},
  };
  platform::Standard_Output_Capture quiet;  // "-V" writes its line
  const Options_Record plain = parse(single);
  for (const Case& c : cases) {
    const Options_Record o = parse(with_single(c.arguments));
    EXPECT_EQ(differences(plain, o), c.changes) << testing::PrintToString(c.arguments);
  }
}

TEST(ZarnOptions, ListMode) {
  EXPECT_EQ(differences(Init_Options(), parse({"-LI", "l.txt", "-POSITIONS", "p.txt"})),
            "List_File='l.txt' Positions_File='p.txt' Positions_Given=true Mismatch_Weight=0");
  EXPECT_EQ(differences(Init_Options(), parse({"-LIST", "l.txt", "-P", "p.txt", "-LOCAL"})),
            "Method=LOCAL_ALIGNMENT List_File='l.txt' Positions_File='p.txt' Positions_Given=true");
}

// A form one character shorter than the minimum does not select the keyword:
// it is refused, or a later keyword takes it.
TEST(ZarnOptions, ShorterFormsAndOtherRefusedWords) {
  const std::string refused = "OPTIONS_UTIL.ARGUMENT_ERROR zarn_options:361";
  struct Case {
    Arguments arguments;
    std::string expected;
  };
  const Case cases[] = {
      {{"-G"}, refused},       {{"-GLOBALS"}, refused},  {{"-B", "o"}, refused},
      {{"-O", "n"}, refused},  {{"-S", "a"}, "ZARN_OPTIONS.INVALID_DATA O_Smin"},
      {{"-ST", "w"}, refused}, {{"-SC"}, "CONSTRAINT_ERROR"},
      {{"-M", "1"}, refused},  {{"-GAP_", "1"}, refused}, {{"-G", "1"}, refused},
      {{"-SIM", "1"}, refused}, {{"-SIMILARITY_", "1"}, refused}, {{"-SI", "1"}, refused},
      {{"-RAN", "1"}, refused}, {{"-RN", "1"}, refused},  {{"-PR", "1"}, refused},
      {{"-END_W"}, refused},   {{"-E"}, refused},        {{"-R"}, refused},
      {{"-"}, refused},        {{""}, refused},          {{"-LISTFILE", "l"}, refused},
      {{"-LOCALS"}, refused},  {{"-VERBOSEX"}, refused}, {{"S1"}, refused},
      // A value left over after a keyword that takes none.
      {{"-R1", "x"}, refused},
      // A keyword that takes a value takes the next argument whatever it is.
      {{"-S1", "-S2", "b.seq"}, refused},
      {{"-L"}, "CONSTRAINT_ERROR"},
  };
  for (const Case& c : cases) {
    std::string got = outcome(with_single(c.arguments));
    if (c.expected == "CONSTRAINT_ERROR") got = got.substr(0, got.find(' '));
    EXPECT_EQ(got, c.expected) << testing::PrintToString(c.arguments);
  }
}

TEST(ZarnOptions, RefusedValuesRaiseTheirKeys) {
  struct Case {
    Arguments arguments;
    const char* expected;
  };
  const Case cases[] = {
      {{}, "OPTIONS_UTIL.ARGUMENT_ERROR zarn_options:39"},
      {{"-BU", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Building"},
      {{"-OP", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Optimize"},
      {{"-BA", "d"}, "ZARN_OPTIONS.INVALID_DATA O_Backward"},
      {{"-F1", "DNA"}, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT F1"},
      {{"-F2", "xyz"}, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_FORMAT F2"},
      {{"-T1", "A"}, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL T1"},
      {{"-T2", "x"}, "SEQUENCE_SPECIFICATIONS.INVALID_SEQUENCE_MODEL T2"},
      {{"-ST1", "b"}, "SEQUENCE_SPECIFICATIONS.INVALID_STRAND 1"},
      {{"-ST1", "x"}, "SEQUENCE_SPECIFICATIONS.INVALID_STRAND 1"},
      {{"-ST2", "both"}, "SEQUENCE_SPECIFICATIONS.INVALID_STRAND 2"},
      {{"-B1", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Start 1"},
      {{"-E1", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Stop 1"},
      {{"-B2", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Start 2"},
      {{"-E2", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Stop 2"},
      // Only a data error gets the key; an empty value's end error passes through.
      {{"-B1", ""}, "IO_EXCEPTIONS.END_ERROR no number before the end of the text"},
      {{"-E2", "  "}, "IO_EXCEPTIONS.END_ERROR no number before the end of the text"},
      {{"-B1", "99999999999"}, "ZARN_OPTIONS.INVALID_DATA O_Start 1"},
      {{"-MW", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Match_Weight"},
      {{"-MATCH_WEIGHT", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Match_Weight"},
      {{"-MI", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Mismatch_Weight"},
      {{"-GW", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Gap_Weight"},
      {{"-LW", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Gap_Length_Weight"},
      {{"-SIT", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Similarity_Threshold"},
      {{"-RND", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Randomization"},
      {{"-PRE", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Preserve"},
      {{"-ADJUST", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Adjust"},
      {{"-LMIN", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Lmin"},
      {{"-LENGTHMAX", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Length_Max"},
      {{"-LENGTHMAX", "-1"}, "ZARN_OPTIONS.INVALID_DATA O_Length_Max"},
      {{"-SMIN", "100.5"}, "ZARN_OPTIONS.INVALID_DATA O_Smin"},
      {{"-SMIN", "-0.5"}, "ZARN_OPTIONS.INVALID_DATA O_Smin"},
      {{"-SMIN", "x"}, "ZARN_OPTIONS.INVALID_DATA O_Smin"},
  };
  for (const Case& c : cases) {
    const Arguments arguments = c.arguments.empty() ? Arguments{} : with_single(c.arguments);
    EXPECT_EQ(outcome(arguments), c.expected) << testing::PrintToString(c.arguments);
  }
}

TEST(ZarnOptions, ModeChecks) {
  struct Case {
    Arguments arguments;
    const char* expected;
  };
  const Case cases[] = {
      {{"-S1", "a.seq"}, "ZARN_OPTIONS.INVALID_DATA O_Name 2"},
      {{"-S2", "b.seq"}, "ZARN_OPTIONS.INVALID_DATA O_Name 1"},
      {{"-S1", "", "-S2", "b"}, "ZARN_OPTIONS.INVALID_DATA O_Name 1"},
      {{"-GLOBAL"}, "ZARN_OPTIONS.INVALID_DATA O_Name 1"},
      {{"-LIST", "l.txt"}, "ZARN_OPTIONS.INVALID_DATA L_Poslist"},
      {{"-LIST", "l.txt", "-S1", "a"}, "ZARN_OPTIONS.INVALID_DATA L_Name 1"},
      {{"-LIST", "l.txt", "-S2", "b", "-POSITIONS", "p.txt"}, "ZARN_OPTIONS.INVALID_DATA L_Name 2"},
      // An empty positions name still counts as "-POSITIONS" given.
      {{"-LIST", "l.txt", "-POSITIONS", ""}, "nothing raised"},
      {{"-LIST", "", "-POSITIONS", "p"}, "ZARN_OPTIONS.INVALID_DATA O_Name 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(outcome(c.arguments), c.expected) << testing::PrintToString(c.arguments);
  }
  std::string missing = outcome({"-S2", "b", "-S1"});
  EXPECT_EQ(missing.substr(0, missing.find(' ')), "CONSTRAINT_ERROR");
}

TEST(ZarnOptions, VerboseWritesItsLineWhenParsed) {
  {
    platform::Standard_Output_Capture capture;
    parse(with_single({"-VERBOSE", "-V"}));
    EXPECT_EQ(capture.text(), "Zarn version 1.5\nZarn version 1.5\n");
  }
  {
    platform::Standard_Output_Capture capture;
    EXPECT_EQ(outcome({"-VERBOSE", "-X"}), "OPTIONS_UTIL.ARGUMENT_ERROR zarn_options:361");
    EXPECT_EQ(capture.text(), "Zarn version 1.5\n");
  }
}

TEST(ZarnOptions, UsageText) {
  platform::Standard_Output_Capture capture;
  Print_Usage();
  EXPECT_TRUE(test_support::matches_golden(capture.text(), "zarn/usage.txt"));
}
