#include "sequence_alignment-global.h"

#include "sequence_alignment-kernel.h"

namespace sequence_alignment::global {

namespace {

using Nucleic = kernel::Alphabet<sequence_specifications::Nucleotide, sequence_specifications::Nucleotide_Count,
                                 &sequence_specifications::Nucleotide_Image>;
using Protein = kernel::Alphabet<sequence_specifications::Amino_Acid, sequence_specifications::Amino_Acid_Count,
                                 &sequence_specifications::Amino_Acid_Image>;

constexpr kernel::Instance nucleic_instance{&INTERNAL_ERROR, "sequence_alignment-global", 897};
constexpr kernel::Instance protein_instance{&INTERNAL_ERROR, "sequence_alignment-global", 905};

}  // namespace

alignment_results::Alignment_Array_Access Compute_Global_Alignments_Nucleic(
    Nucleotide_Window codes_1, Nucleotide_Window codes_2, const utils::Nucleic_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, true, end_weight},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      nucleic_instance);
}

alignment_results::Alignment_Array_Access Compute_Global_Alignments_Protein(
    Amino_Acid_Window codes_1, Amino_Acid_Window codes_2, const utils::Protein_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, bool end_weight, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, true, end_weight},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      protein_instance);
}

std::int32_t Global_Quality_Nucleic(Nucleotide_Window codes_1, Nucleotide_Window codes_2,
                                    const utils::Nucleic_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight) {
  return kernel::Compute_Quality<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, true, end_weight});
}

std::int32_t Global_Quality_Protein(Amino_Acid_Window codes_1, Amino_Acid_Window codes_2,
                                    const utils::Protein_Score_Matrix& matrix, std::int32_t gap_weight,
                                    std::int32_t gap_length_weight, bool end_weight) {
  return kernel::Compute_Quality<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, true, end_weight});
}

}  // namespace sequence_alignment::global
