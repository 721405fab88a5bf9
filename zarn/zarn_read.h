// Bringing the aligner's sequences into memory: one sequence file with its
// range, label, reverse, complement and opposite-strand companion, or a
// list file naming many of them.
#pragma once

#include <cstdint>

#include "platform/exceptions.h"
#include "sequence_specifications-basic.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace zarn_read {

inline constexpr platform::Exception_Id INVALID_ACCESS{"ZARN_READ.INVALID_ACCESS"};

// Reads Name into Seq as codes, narrows its working range to Start..Stop
// (Unset_Position: not given), labels it with Identifier, reverses and
// complements a nucleic sequence on request, and for strand CRICK or BOTH
// builds its reverse complement in Opposite (whose Model stays NO otherwise).
void Read_Sequence(strlib::Plain_View name, const strlib::String_Pointer& identifier,
                   sequence_specifications::Sequence_Model model,
                   sequence_specifications::Sequence_Format format, std::int32_t start,
                   std::int32_t stop, sequence_specifications::Strand strand,
                   sequence_specifications::basic::SEQUENCE_DATA& seq,
                   sequence_specifications::basic::SEQUENCE_DATA& opposite, bool reverse,
                   bool complement, bool verbose);

// Reads every sequence that the list file Name describes into two new
// arrays 1..N. Both must hold no array on entry.
void Read_Sequence_List(strlib::Plain_View name,
                        sequence_specifications::basic::Sequence_Data_Array& sequences,
                        sequence_specifications::basic::Sequence_Data_Array& opposites,
                        bool verbose);

}  // namespace zarn_read
