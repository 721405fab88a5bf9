#include "sequence_alignment-local.h"

#include "sequence_alignment-drivers.h"
#include "kernel/sequence_alignment-kernel-call.h"

namespace sequence_alignment::local {

namespace {

using kernel::Nucleic;
using kernel::Protein;

// Where this unit raises, and where its kernel instances are: the number
// that follows its name in the message, "sequence_alignment-local:768".
// These numbers are part of the printed messages and never change,
// whatever becomes of the source.
constexpr drivers::Driver_Places places{.unit = "sequence_alignment-local",
                                        .internal_error = &INTERNAL_ERROR,
                                        .models_differ = 768,
                                        .model_no = 790,
                                        .no_nucleotides = 775,
                                        .no_amino_acids = 783,
                                        .range = 798,
                                        .rna = 984,
                                        .nucleic_kernel = 735,
                                        .protein_kernel = 743};

}  // namespace

alignment_results::Alignment_Array_Access Align_Local(
    const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
    const sequence_specifications::basic::SEQUENCE_DATA& seq_2, std::int32_t start_1,
    std::int32_t stop_1, std::int32_t start_2, std::int32_t stop_2, strlib::Plain_View matrix_name,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold, std::int32_t randomization,
    std::int32_t /* preserve: accepted, without effect */) {
  return drivers::Drive(seq_1, seq_2,
                        {start_1, stop_1, start_2, stop_2, matrix_name, match_weight, mismatch_weight, gap_weight,
                         gap_length_weight, backward, building, optimize, kernel::Method::LOCAL,
                         similarity_threshold, randomization},
                        places);
}

alignment_results::Alignment_Array_Access Compute_Local_Alignments_Nucleic(
    Nucleotide_Window codes_1, Nucleotide_Window codes_2, const utils::Nucleic_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::Method::LOCAL},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      places.nucleic());
}

alignment_results::Alignment_Array_Access Compute_Local_Alignments_Protein(
    Amino_Acid_Window codes_1, Amino_Acid_Window codes_2, const utils::Protein_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::Method::LOCAL},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      places.protein());
}

std::int32_t Local_Quality_Nucleic(Nucleotide_Window codes_1, Nucleotide_Window codes_2,
                                   const utils::Nucleic_Score_Matrix& matrix, std::int32_t gap_weight,
                                   std::int32_t gap_length_weight) {
  return kernel::Compute_Quality<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::Method::LOCAL});
}

std::int32_t Local_Quality_Protein(Amino_Acid_Window codes_1, Amino_Acid_Window codes_2,
                                   const utils::Protein_Score_Matrix& matrix, std::int32_t gap_weight,
                                   std::int32_t gap_length_weight) {
  return kernel::Compute_Quality<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, kernel::Method::LOCAL});
}

}  // namespace sequence_alignment::local
