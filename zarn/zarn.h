// The aligner's main procedure: one whole run, from the command line to the
// last summary line.
#pragma once

#include <cstdint>

#include "platform/exceptions.h"
#include "platform/text_io.h"
#include "sequence_specifications-basic.h"
#include "sequence_specifications.h"

namespace zarn {

// What escapes the run-time's own exceptions (never expected).
inline constexpr platform::Exception_Id PROGRAM_ERROR{"PROGRAM_ERROR"};

// Runs the aligner once on the process's command line. Every failure is
// explained on standard output; nothing escapes.
void zarn() noexcept;

// The summary line of a couple too long to align: the requested positions,
// lower direct position first, then " NOT ALIGNED".
void Put_Not_Aligned(platform::Output_File& file,
                     const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
                     const sequence_specifications::basic::SEQUENCE_DATA& seq_2,
                     std::int32_t begin_1, std::int32_t end_1, std::int32_t begin_2,
                     std::int32_t end_2, sequence_specifications::Strand strand_1,
                     sequence_specifications::Strand strand_2);

}  // namespace zarn
