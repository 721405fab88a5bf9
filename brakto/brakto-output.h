// The editor's output files: the plain fragment layout and the GCG-style
// layout of a record's working range First..Last.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/text_io.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"

namespace brakto::output {

using sequence_specifications::basic::SEQUENCE_DATA;

// The names of the files the writers create for a record of Model.
std::string Fragment_File_Name(sequence_specifications::Sequence_Model model,
                               strlib::Plain_View base_name);
std::string GCG_File_Name(strlib::Plain_View base_name);

// Creates Base_Name.frgpep (protein) or Base_Name.frgseq (anything else):
// "> " and the base name, then the residues in lines of Line_Length.
// A Line_Length below 1 raises CONSTRAINT_ERROR before the file is made.
void Write_Fragment(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name,
                    std::int32_t line_length);

// Creates Base_Name.gcg: a header line dated from one clock reading, an
// empty line, then numbered blocks of 50 residues in groups of 10.
void Write_GCG(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name);

// The layouts themselves, on a file already open.
void Put_Fragment(platform::Output_File& file, const SEQUENCE_DATA& sequence,
                  strlib::Plain_View base_name, std::int32_t line_length);
void Put_GCG(platform::Output_File& file, const SEQUENCE_DATA& sequence,
             strlib::Plain_View base_name, const platform::Clock_Reading& now);

// The GCG header line, without its line end. Its entry name is the base
// name with each blank made "_", and a blank always follows "Length:".
std::string GCG_Header(const SEQUENCE_DATA& sequence, strlib::Plain_View base_name,
                       const platform::Clock_Reading& now);

}  // namespace brakto::output
