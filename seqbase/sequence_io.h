// Reading one sequence file into a sequence record, with detection of the
// file format and the sequence type when the caller leaves them open.
#pragma once

#include "platform/exceptions.h"
#include "sequence_specifications-basic.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace sequence_io {

// Declared for the programs' own use; this unit never raises it.
inline constexpr platform::Exception_Id SEQUENCE_IO_ERROR{"SEQUENCE_IO.SEQUENCE_IO_ERROR"};

// Reads File_Name into Seq. Model NO and Format UNKNOWN ask for detection.
// As_Text stores upper-case letters in Text, otherwise codes in Nucleotides
// (DNA, RNA) or Amino_Acids (PROTEIN).
void Read_Sequence(strlib::Plain_View file_name, sequence_specifications::basic::SEQUENCE_DATA& seq,
                   sequence_specifications::Sequence_Model model,
                   sequence_specifications::Sequence_Format format, bool as_text);

}  // namespace sequence_io
