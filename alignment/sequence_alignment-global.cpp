#include "sequence_alignment-global.h"

#include "sequence_alignment-drivers.h"
#include "kernel/sequence_alignment-kernel-call.h"

namespace sequence_alignment::global {

namespace {

using kernel::Nucleic;
using kernel::Protein;

// Where this unit raises, and where its kernel instances are: the number
// that follows its name in the message, "sequence_alignment-global:930".
// These numbers are part of the printed messages and never change,
// whatever becomes of the source.
constexpr drivers::Driver_Places places{.unit = "sequence_alignment-global",
                                        .internal_error = &INTERNAL_ERROR,
                                        .models_differ = 930,
                                        .model_no = 952,
                                        .no_nucleotides = 937,
                                        .no_amino_acids = 945,
                                        .range = 960,
                                        .rna = 1152,
                                        .nucleic_kernel = 897,
                                        .protein_kernel = 905};

}  // namespace

alignment_results::Alignment_Array_Access Align_Global(
    const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
    const sequence_specifications::basic::SEQUENCE_DATA& seq_2, std::int32_t start_1,
    std::int32_t stop_1, std::int32_t start_2, std::int32_t stop_2, strlib::Plain_View matrix_name,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold,
    std::int32_t randomization, std::int32_t /* preserve: accepted, without effect */) {
  return drivers::Drive(seq_1, seq_2,
                        {start_1, stop_1, start_2, stop_2, matrix_name, match_weight, mismatch_weight, gap_weight,
                         gap_length_weight, backward, building, optimize, kernel::method_of(true, end_weight),
                         similarity_threshold, randomization},
                        places);
}

alignment_results::Alignment_Array_Access Compute_Global_Alignments_Nucleic(
    Nucleotide_Window codes_1, Nucleotide_Window codes_2, const utils::Nucleic_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::method_of(true, end_weight)},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      places.nucleic());
}

alignment_results::Alignment_Array_Access Compute_Global_Alignments_Protein(
    Amino_Acid_Window codes_1, Amino_Acid_Window codes_2, const utils::Protein_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::method_of(true, end_weight)},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      places.protein());
}

std::int32_t Global_Quality_Nucleic(Nucleotide_Window codes_1, Nucleotide_Window codes_2,
                                    const utils::Nucleic_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight) {
  return kernel::Compute_Quality<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::method_of(true, end_weight)});
}

std::int32_t Global_Quality_Protein(Amino_Acid_Window codes_1, Amino_Acid_Window codes_2,
                                    const utils::Protein_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight) {
  return kernel::Compute_Quality<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::method_of(true, end_weight)});
}

}  // namespace sequence_alignment::global
