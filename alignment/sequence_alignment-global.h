// Global alignment (Needleman and Wunsch): Align_Global, the engine's entry
// point for the method, and the global instances of the kernel for either
// alphabet, with all results or the score alone. The kernel itself lives in
// the sequence_alignment-kernel units, and what Align_Global shares with
// Align_Local in sequence_alignment-drivers.
#pragma once

#include <cstdint>

#include "alignment_results.h"
#include "platform/exceptions.h"
#include "sequence_alignment-utils.h"
#include "sequence_alignment.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"

namespace sequence_alignment::global {

inline constexpr platform::Exception_Id INTERNAL_ERROR{"SEQUENCE_ALIGNMENT.GLOBAL.INTERNAL_ERROR"};

// As Align_Local, with End_Weight: true charges end gaps like inner gaps.
alignment_results::Alignment_Array_Access Align_Global(
    const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
    const sequence_specifications::basic::SEQUENCE_DATA& seq_2, std::int32_t start_1,
    std::int32_t stop_1, std::int32_t start_2, std::int32_t stop_2, strlib::Plain_View matrix_name,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold,
    std::int32_t randomization, std::int32_t preserve);

using Nucleotide_Window = utils::Code_Window<sequence_specifications::Nucleotide>;
using Amino_Acid_Window = utils::Code_Window<sequence_specifications::Amino_Acid>;

// The best end-to-end alignments of two windows (at most 65535 residues
// each: longer ones raise STORAGE_ERROR); End_Weight false makes end gaps
// free.
alignment_results::Alignment_Array_Access Compute_Global_Alignments_Nucleic(
    Nucleotide_Window codes_1, Nucleotide_Window codes_2, const utils::Nucleic_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold);
alignment_results::Alignment_Array_Access Compute_Global_Alignments_Protein(
    Amino_Acid_Window codes_1, Amino_Acid_Window codes_2, const utils::Protein_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold);

// The Quality of the kernels' results, computed without flags, planes or
// paths: the score-only pass, which the shuffle rounds run lane by lane.
std::int32_t Global_Quality_Nucleic(Nucleotide_Window codes_1, Nucleotide_Window codes_2,
                                    const utils::Nucleic_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight);
std::int32_t Global_Quality_Protein(Amino_Acid_Window codes_1, Amino_Acid_Window codes_2,
                                    const utils::Protein_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight);

}  // namespace sequence_alignment::global
