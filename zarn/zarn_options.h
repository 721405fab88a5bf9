// The aligner's command line: every setting of one run with its default,
// the parser that fills it, and the usage text.
#pragma once

#include <cstdint>

#include "platform/exceptions.h"
#include "sequence_alignment.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace zarn_options {

// Its message is always a key that the error reporter turns into a sentence.
inline constexpr platform::Exception_Id INVALID_DATA{"ZARN_OPTIONS.INVALID_DATA"};

struct Options_Record {
  sequence_alignment::Alignment_Method Method = sequence_alignment::Alignment_Method::GLOBAL_ALIGNMENT;
  sequence_alignment::Building_Mode Building = sequence_alignment::Building_Mode::ONE;
  sequence_alignment::Optimize_Mode Optimize = sequence_alignment::Optimize_Mode::NO;
  sequence_alignment::Backward_Mode Backward = sequence_alignment::Backward_Mode::DVH;
  strlib::String_Pointer Name_1;
  strlib::String_Pointer Name_2;
  strlib::String_Pointer Identifier_1;
  strlib::String_Pointer Identifier_2;
  std::int32_t Begin_1 = sequence_alignment::Unset_Position;
  std::int32_t Begin_2 = sequence_alignment::Unset_Position;
  std::int32_t End_1 = sequence_alignment::Unset_Position;
  std::int32_t End_2 = sequence_alignment::Unset_Position;
  std::int32_t Adjust = 0;
  sequence_specifications::Sequence_Format Format_1 = sequence_specifications::Sequence_Format::UNKNOWN;
  sequence_specifications::Sequence_Format Format_2 = sequence_specifications::Sequence_Format::UNKNOWN;
  sequence_specifications::Sequence_Model Model_1 = sequence_specifications::Sequence_Model::NO;
  sequence_specifications::Sequence_Model Model_2 = sequence_specifications::Sequence_Model::NO;
  bool Reverse_1 = false;
  bool Reverse_2 = false;
  bool Complement_1 = false;
  bool Complement_2 = false;
  sequence_specifications::Strand Strand_1 = sequence_specifications::Strand::WATSON;
  sequence_specifications::Strand Strand_2 = sequence_specifications::Strand::WATSON;
  bool Verbose = false;
  strlib::String_Pointer List_File;
  strlib::String_Pointer Positions_File;
  bool Positions_Given = false;
  bool Write_Results = false;
  bool Write_Summary = false;
  bool Screen_Summary = true;
  std::int32_t Length_Max = 3500;
  strlib::String_Pointer Matrix_Name;
  std::int32_t Match_Weight = 10;
  std::int32_t Mismatch_Weight = -9;
  std::int32_t Gap_Weight = -50;
  std::int32_t Gap_Length_Weight = -3;
  bool End_Weight = false;
  std::int32_t Similarity_Threshold = -1;
  std::int32_t Randomization = 0;
  std::int32_t Preserve = 1;
  std::int32_t Lmin = 0;
  float Smin = 0.0f;
};

// Every field at its default.
Options_Record Init_Options();

// Parses the whole command line into Options, which it does not reset.
// OPTIONS_UTIL.ARGUMENT_ERROR for a word no keyword accepts (or no argument
// at all), INVALID_DATA or a sequence-model exception with a message key for
// a refused value; CONSTRAINT_ERROR when a value is missing at the end.
void Get_Options(Options_Record& options);

// The usage text, on standard output.
void Print_Usage();

}  // namespace zarn_options
