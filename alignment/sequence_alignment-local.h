// Local alignment (Smith and Waterman): the kernel and the driver.
#pragma once

#include <cstdint>

#include "alignment_results.h"
#include "platform/exceptions.h"
#include "sequence_alignment.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"

namespace sequence_alignment::local {

inline constexpr platform::Exception_Id INTERNAL_ERROR{"SEQUENCE_ALIGNMENT.LOCAL.INTERNAL_ERROR"};

// Aligns the windows Start_1..Stop_1 and Start_2..Stop_2 (Unset_Position:
// the whole code array) of two sequences. Matrix_Name "" uses the built-in
// matrix. The caller owns the result and frees it with Free_Alignments.
alignment_results::Alignment_Array_Access Align_Local(
    const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
    const sequence_specifications::basic::SEQUENCE_DATA& seq_2, std::int32_t start_1,
    std::int32_t stop_1, std::int32_t start_2, std::int32_t stop_2, strlib::Plain_View matrix_name,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold, std::int32_t randomization,
    std::int32_t preserve);

}  // namespace sequence_alignment::local
