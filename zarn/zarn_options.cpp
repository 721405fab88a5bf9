#include "zarn_options.h"

#include <string>

#include "options_util.h"
#include "platform/command_line.h"
#include "platform/text_io.h"

namespace zarn_options {

using options_util::To_Sequence_Format;
using options_util::To_Sequence_Model;
using options_util::Word_Row;
using sequence_alignment::Alignment_Method;
using sequence_alignment::Backward_Mode;
using sequence_alignment::Building_Mode;
using sequence_alignment::Optimize_Mode;
using sequence_specifications::INVALID_SEQUENCE_FORMAT;
using sequence_specifications::INVALID_SEQUENCE_MODEL;
using sequence_specifications::INVALID_STRAND;
using sequence_specifications::Strand;
using strlib::Copy_Non_Empty;
using strlib::String_Length;

namespace {

// Where this unit raises: the number that follows its name in the message,
// "zarn_options:361". These numbers are part of the printed messages and
// never change, whatever becomes of the source.
enum class Place : int { no_argument = 39, unknown_word = 361 };

[[noreturn]] void argument_error(Place place) {
  platform::raise(options_util::ARGUMENT_ERROR, platform::place("zarn_options", int(place)));
}

enum class Action {
  global, local, building, optimize, backward,
  name_1, identifier_1, format_1, model_1, begin_1, end_1, reverse_1, complement_1, strand_1,
  name_2, identifier_2, format_2, model_2, begin_2, end_2, reverse_2, complement_2, strand_2,
  matrix, match, mismatch, gap, gap_length, similarity, randomization, preserve, end_weight,
  results, no_summary, summary, length_max, list, positions, adjust, lmin, smin, verbose,
};

// Tried in this order; the first that accepts the argument decides, so the
// order settles every common beginning ("-L" is "-LENGTHMAX").
constexpr Word_Row<Action> keywords[] = {
    {"-GLOBAL", 3, Action::global},
    {"-LOCAL", 3, Action::local},
    {"-BUilding", 3, Action::building},
    {"-OPtimize", 3, Action::optimize},
    {"-BAckward", 3, Action::backward},
    {"-S1", 3, Action::name_1},
    {"-I1", 3, Action::identifier_1},
    {"-F1", 3, Action::format_1},
    {"-T1", 3, Action::model_1},
    {"-B1", 3, Action::begin_1},
    {"-E1", 3, Action::end_1},
    {"-R1", 3, Action::reverse_1},
    {"-C1", 3, Action::complement_1},
    {"-ST1", 4, Action::strand_1},
    {"-S2", 3, Action::name_2},
    {"-I2", 3, Action::identifier_2},
    {"-F2", 3, Action::format_2},
    {"-T2", 3, Action::model_2},
    {"-B2", 3, Action::begin_2},
    {"-E2", 3, Action::end_2},
    {"-R2", 3, Action::reverse_2},
    {"-C2", 3, Action::complement_2},
    {"-ST2", 4, Action::strand_2},
    {"-SCORE_MATRIX", 3, Action::matrix},
    {"-MATCH_WEIGHT", 3, Action::match},
    {"-MW", 3, Action::match},
    {"-MISMATCH_WEIGHT", 3, Action::mismatch},
    {"-GAP_WEIGHT", 6, Action::gap},
    {"-GW", 3, Action::gap},
    {"-GAP_LENGTH_WEIGHT", 6, Action::gap_length},
    {"-LW", 3, Action::gap_length},
    {"-SIMILARITY_THRESHOLD", 13, Action::similarity},
    {"-SIT", 4, Action::similarity},
    {"-RANDomization", 5, Action::randomization},
    {"-RND", 4, Action::randomization},
    {"-PREserve", 4, Action::preserve},
    {"-END_WEIGHT", 7, Action::end_weight},
    {"-EW", 3, Action::end_weight},
    {"-RESULTS", 3, Action::results},
    {"-NOSUMMARY", 2, Action::no_summary},
    {"-SUMMARY", 3, Action::summary},
    {"-LENGTHMAX", 2, Action::length_max},
    {"-LIST", 3, Action::list},
    {"-POSITIONS", 2, Action::positions},
    {"-ADJUST", 2, Action::adjust},
    {"-LMIN", 2, Action::lmin},
    {"-SMIN", 2, Action::smin},
    {"-VERBOSE", 2, Action::verbose},
};

constexpr Word_Row<Building_Mode> building_words[] = {
    {"One", 1, Building_Mode::ONE},
    {"All_first", 1, Building_Mode::ALL_FIRSTS},
    {"Full", 1, Building_Mode::FULL},
};

constexpr Word_Row<Optimize_Mode> optimize_words[] = {
    {"No", 1, Optimize_Mode::NO},
    {"Short", 1, Optimize_Mode::SHORT},
    {"Large", 1, Optimize_Mode::LARGE},
};

constexpr Word_Row<Backward_Mode> backward_words[] = {
    {"DVH", 2, Backward_Mode::DVH}, {"DHV", 2, Backward_Mode::DHV}, {"VDH", 2, Backward_Mode::VDH},
    {"VHD", 2, Backward_Mode::VHD}, {"HDV", 2, Backward_Mode::HDV}, {"HVD", 2, Backward_Mode::HVD},
};

template <class Result, std::size_t N>
Result value_word(const std::string& value, const Word_Row<Result> (&rows)[N], const char* key) {
  if (const Result* found = options_util::Find_Word(value, rows)) return *found;
  platform::raise(INVALID_DATA, key);
}

// The value is fetched before the field's old string is handed over, so
// that a missing value leaves the field as it was.
void name_value(const std::string& value, strlib::String_Pointer& field) {
  field = Copy_Non_Empty(value, std::move(field));
}

// Only a value that does not begin with a number gets the option's key; an
// empty value's end error passes through as it is.
std::int32_t integer_value(const std::string& value, const char* key) {
  return options_util::With_Key(io_exceptions::DATA_ERROR, INVALID_DATA, key,
                                [&] { return options_util::To_Integer(value); });
}

float float_value(const std::string& value, const char* key) {
  return options_util::With_Key(io_exceptions::DATA_ERROR, INVALID_DATA, key,
                                [&] { return options_util::To_Float(value); });
}

// A format, type or strand word that Convert does not know keeps its
// exception, with the option's key as the message.
template <class Result>
Result known_word(Result (*convert)(strlib::Plain_View), const platform::Exception_Id& unknown,
                  const std::string& value, const char* key) {
  return options_util::With_Key(unknown, unknown, key, [&] { return convert(value); });
}

// The strand is stored before BOTH is refused.
void strand_value(const std::string& value, Strand& field, const char* key) {
  field = known_word(options_util::To_Strand, INVALID_STRAND, value, key);
  if (field == Strand::BOTH) platform::raise(INVALID_STRAND, key);
}

}  // namespace

Options_Record Init_Options() { return Options_Record{}; }

void Get_Options(Options_Record& options) {
  const int count = platform::argument_count();
  if (count == 0) argument_error(Place::no_argument);
  bool mismatch_given = false;
  int i = 1;
  while (i <= count) {
    const Action* found = options_util::Find_Word(platform::argument(i), keywords);
    if (!found) argument_error(Place::unknown_word);

    // A keyword with a value moves I on to the next argument; when there is
    // none, the CONSTRAINT_ERROR of the access goes on unchanged.
    auto value = [&]() -> const std::string& { return platform::argument(++i); };
    switch (*found) {
      case Action::global: options.Method = Alignment_Method::GLOBAL_ALIGNMENT; break;
      case Action::local: options.Method = Alignment_Method::LOCAL_ALIGNMENT; break;
      case Action::building: options.Building = value_word(value(), building_words, "O_Building"); break;
      case Action::optimize: options.Optimize = value_word(value(), optimize_words, "O_Optimize"); break;
      case Action::backward: options.Backward = value_word(value(), backward_words, "O_Backward"); break;
      case Action::name_1: name_value(value(), options.Name_1); break;
      case Action::identifier_1: name_value(value(), options.Identifier_1); break;
      case Action::format_1:
        options.Format_1 = known_word(To_Sequence_Format, INVALID_SEQUENCE_FORMAT, value(), "F1");
        break;
      case Action::model_1:
        options.Model_1 = known_word(To_Sequence_Model, INVALID_SEQUENCE_MODEL, value(), "T1");
        break;
      case Action::begin_1: options.Begin_1 = integer_value(value(), "O_Start 1"); break;
      case Action::end_1: options.End_1 = integer_value(value(), "O_Stop 1"); break;
      case Action::reverse_1: options.Reverse_1 = true; break;
      case Action::complement_1: options.Complement_1 = true; break;
      case Action::strand_1: strand_value(value(), options.Strand_1, "1"); break;
      case Action::name_2: name_value(value(), options.Name_2); break;
      case Action::identifier_2: name_value(value(), options.Identifier_2); break;
      case Action::format_2:
        options.Format_2 = known_word(To_Sequence_Format, INVALID_SEQUENCE_FORMAT, value(), "F2");
        break;
      case Action::model_2:
        options.Model_2 = known_word(To_Sequence_Model, INVALID_SEQUENCE_MODEL, value(), "T2");
        break;
      case Action::begin_2: options.Begin_2 = integer_value(value(), "O_Start 2"); break;
      case Action::end_2: options.End_2 = integer_value(value(), "O_Stop 2"); break;
      case Action::reverse_2: options.Reverse_2 = true; break;
      case Action::complement_2: options.Complement_2 = true; break;
      case Action::strand_2: strand_value(value(), options.Strand_2, "2"); break;
      case Action::matrix: name_value(value(), options.Matrix_Name); break;
      case Action::match: options.Match_Weight = integer_value(value(), "O_Match_Weight"); break;
      case Action::mismatch:
        options.Mismatch_Weight = integer_value(value(), "O_Mismatch_Weight");
        mismatch_given = true;
        break;
      case Action::gap: options.Gap_Weight = integer_value(value(), "O_Gap_Weight"); break;
      case Action::gap_length:
        options.Gap_Length_Weight = integer_value(value(), "O_Gap_Length_Weight");
        break;
      case Action::similarity:
        options.Similarity_Threshold = integer_value(value(), "O_Similarity_Threshold");
        break;
      case Action::randomization: options.Randomization = integer_value(value(), "O_Randomization"); break;
      case Action::preserve: options.Preserve = integer_value(value(), "O_Preserve"); break;
      case Action::end_weight: options.End_Weight = true; break;
      case Action::results: options.Write_Results = true; break;
      case Action::no_summary: options.Screen_Summary = false; break;
      case Action::summary: options.Write_Summary = true; break;
      case Action::length_max:
        options.Length_Max = integer_value(value(), "O_Length_Max");
        if (options.Length_Max < 0) platform::raise(INVALID_DATA, "O_Length_Max");
        break;
      case Action::list: name_value(value(), options.List_File); break;
      case Action::positions:
        options.Positions_Given = true;
        name_value(value(), options.Positions_File);
        break;
      case Action::adjust: options.Adjust = integer_value(value(), "O_Adjust"); break;
      case Action::lmin: options.Lmin = integer_value(value(), "O_Lmin"); break;
      case Action::smin:
        options.Smin = float_value(value(), "O_Smin");
        if (!(options.Smin >= 0.0f && options.Smin <= 100.0f)) platform::raise(INVALID_DATA, "O_Smin");
        break;
      case Action::verbose:
        platform::standard_output().put_line("Zarn version 1.5");
        options.Verbose = true;
        break;
    }
    ++i;
  }

  if (String_Length(options.List_File) != 0) {
    if (String_Length(options.Name_1) != 0) platform::raise(INVALID_DATA, "L_Name 1");
    if (String_Length(options.Name_2) != 0) platform::raise(INVALID_DATA, "L_Name 2");
    if (!options.Positions_Given) platform::raise(INVALID_DATA, "L_Poslist");
  } else {
    if (String_Length(options.Name_1) == 0) platform::raise(INVALID_DATA, "O_Name 1");
    if (String_Length(options.Name_2) == 0) platform::raise(INVALID_DATA, "O_Name 2");
    if (String_Length(options.Identifier_1) == 0) {
      options.Identifier_1 =
          Copy_Non_Empty(options_util::Base_Name(options.Name_1), std::move(options.Identifier_1));
    }
    if (String_Length(options.Identifier_2) == 0) {
      options.Identifier_2 =
          Copy_Non_Empty(options_util::Base_Name(options.Name_2), std::move(options.Identifier_2));
    }
  }

  if (!mismatch_given) {
    options.Mismatch_Weight = options.Method == Alignment_Method::GLOBAL_ALIGNMENT ? 0 : -9;
  }
}

void Print_Usage() {
  static constexpr const char* lines[] = {
      "[-LOcal] ",
      "[-Building <One|All_first|Full>]",
      "[-OPtimize <No|Short|large>]",
      "[-BAckward <DVH|DHV|VDH|VHD|HDV|HVD>]",
      "[-B1 start] [-E1 stop]",
      "[-B2 start] [-E2 stop]",
      "[-F1 <Ascii|GCg|GEnbank|Strider>]",
      "[-F2 <Ascii|GCg|GEnbank|Strider>]",
      "[-T1 <Dna|Rna|Protein>]",
      "[-T2 <Dna|Rna|Protein>]",
      "[-R1] [-C1]",
      "[-R2] [-C2]",
      "[-ST1 Watson|Crick]",
      "[-ST2 Watson|Crick]",
      "[-SCore_Matrix name]",
      "[-MAtch_weight value]",
      "[-MIsmatch_weight value]",
      "[-GAP_Weight value] | [-GW value]",
      "[-GAP_Length_weight value] | [-LW value]",
      "[-RANDomization value] | [-RND value]",
      "[-PREserve value]",
      "[-END_WEight] | [-EW]",
      "[-SIMILARITY_Threshold value] | [-SIT value]",
      "[-Adjust value]",
      "[-LEngthmax value]",
      "[-LMin value]",
      "[-SMin value]",
      "[-LIstfile file]",
      "[-Positions file]",
      "[-REsults]",
      "[-SUmmary]",
      "[-Nosummary]",
      "[-Verbose]",
      "[-S1 sequence_file]",
      "[-S2 sequence_file]",
  };
  platform::Output_File& out = platform::standard_output();
  out.put_line("Zarn - 1.5: argument error");
  out.put_line("  syntax is: zarn [-GLobal] ");
  const std::string indent(18, ' ');
  for (const char* line : lines) {
    out.put(indent);
    out.put_line(line);
  }
  out.new_line();
}

}  // namespace zarn_options
