// An alignment as a full report or as one summary line.
#pragma once

#include <cstdint>

#include "alignment_results.h"
#include "platform/text_io.h"
#include "sequence_alignment.h"

namespace sequence_alignment::print {

// The full report, in blocks of Width alignment columns; ends with a line end.
void Print_Alignment(platform::Output_File& file, const alignment_results::Alignment& item,
                     std::int32_t width);
// One summary line of fixed-width fields, without a line end.
void Print_Summary(platform::Output_File& file, const alignment_results::Alignment& item);
void Print_Summary_Record(platform::Output_File& file, const Alignment_Summary& item);

}  // namespace sequence_alignment::print
