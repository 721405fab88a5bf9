#include "sequence_alignment-local.h"

#include <cmath>

#include "alignment_random.h"
#include "sequence_alignment-kernel-call.h"

namespace sequence_alignment::local {

namespace {

using kernel::Nucleic;
using kernel::Protein;

constexpr kernel::Instance nucleic_instance{
    .internal_error = &INTERNAL_ERROR, .unit = "sequence_alignment-local", .instantiated_at = 735};
constexpr kernel::Instance protein_instance{
    .internal_error = &INTERNAL_ERROR, .unit = "sequence_alignment-local", .instantiated_at = 743};

constexpr Driver_Places places{.unit = "sequence_alignment-local",
                               .models_differ = 768,
                               .model_no = 790,
                               .no_nucleotides = 775,
                               .no_amino_acids = 783,
                               .range = 798,
                               .rna = 984,
                               .nucleic = nucleic_instance,
                               .protein = protein_instance};

template <class Code>
utils::Code_Window<Code> window(const platform::Heap_Array<Code>& codes, std::int32_t first, std::int32_t last) {
  // The caller keeps windows inside the sequences; a window that is not
  // would be read out of bounds.
  if (first < codes.first() || last > codes.last()) {
    platform::raise(standard::CONSTRAINT_ERROR, "alignment window outside the sequence");
  }
  return {&codes(first), first, last};
}

// Aligns the windows, then, when asked, realigns window 1 with shuffled
// copies of window 2.
template <class A, class Matrix>
alignment_results::Alignment_Array_Access align_windows(const platform::Heap_Array<typename A::code_type>& codes_1,
                                                        const platform::Heap_Array<typename A::code_type>& codes_2,
                                                        const Matrix& matrix, const Driver_Call& c,
                                                        const kernel::Instance& instance,
                                                        alignment_random::Shuffle_Statistics& statistics) {
  const kernel::Problem<A> problem{window(codes_1, c.start_1, c.stop_1),
                                   window(codes_2, c.start_2, c.stop_2),
                                   &matrix,
                                   c.gap_weight,
                                   c.gap_length_weight,
                                   c.global,
                                   c.end_weight};
  auto results = kernel::Compute_Alignments<A>(
      problem, {c.match_weight, c.mismatch_weight, c.backward, c.building, c.optimize, c.similarity_threshold},
      instance);
  statistics = {};
  if (c.randomization >= 1) statistics = alignment_random::Shuffled_Qualities(problem, c.randomization);
  return results;
}

}  // namespace

alignment_results::Alignment_Array_Access Align_Local(
    const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
    const sequence_specifications::basic::SEQUENCE_DATA& seq_2, std::int32_t start_1,
    std::int32_t stop_1, std::int32_t start_2, std::int32_t stop_2, strlib::Plain_View matrix_name,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold, std::int32_t randomization,
    std::int32_t /* preserve: accepted, without effect */) {
  return Drive(seq_1, seq_2,
               {start_1, stop_1, start_2, stop_2, matrix_name, match_weight, mismatch_weight, gap_weight,
                gap_length_weight, backward, building, optimize, false, false, similarity_threshold, randomization},
               places);
}

alignment_results::Alignment_Array_Access Compute_Local_Alignments_Nucleic(
    Nucleotide_Window codes_1, Nucleotide_Window codes_2, const utils::Nucleic_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Nucleic>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, false, false},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      nucleic_instance);
}

alignment_results::Alignment_Array_Access Compute_Local_Alignments_Protein(
    Amino_Acid_Window codes_1, Amino_Acid_Window codes_2, const utils::Protein_Score_Matrix& matrix,
    std::int32_t match_weight, std::int32_t mismatch_weight, std::int32_t gap_weight,
    std::int32_t gap_length_weight, Backward_Mode backward, Building_Mode building,
    Optimize_Mode optimize, std::int32_t similarity_threshold) {
  return kernel::Compute_Alignments<Protein>(
      {codes_1, codes_2, &matrix, gap_weight, gap_length_weight, false, false},
      {match_weight, mismatch_weight, backward, building, optimize, similarity_threshold},
      protein_instance);
}

std::int32_t Local_Quality_Nucleic(Nucleotide_Window codes_1, Nucleotide_Window codes_2,
                                   const utils::Nucleic_Score_Matrix& matrix, std::int32_t gap_weight,
                                   std::int32_t gap_length_weight) {
  return kernel::Compute_Quality<Nucleic>({codes_1, codes_2, &matrix, gap_weight, gap_length_weight, false, false});
}

std::int32_t Local_Quality_Protein(Amino_Acid_Window codes_1, Amino_Acid_Window codes_2,
                                   const utils::Protein_Score_Matrix& matrix, std::int32_t gap_weight,
                                   std::int32_t gap_length_weight) {
  return kernel::Compute_Quality<Protein>({codes_1, codes_2, &matrix, gap_weight, gap_length_weight, false, false});
}

std::int32_t Maximum_Of_Three(std::int32_t a, std::int32_t b, std::int32_t c) noexcept {
  return std::max(a, std::max(b, c));
}

alignment_results::Alignment_Array_Access Drive(const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
                                                const sequence_specifications::basic::SEQUENCE_DATA& seq_2,
                                                Driver_Call c, const Driver_Places& places) {
  using sequence_specifications::Sequence_Model;
  const auto refuse = [&](const platform::Exception_Id& id, int line) {
    platform::raise(id, platform::place(places.unit, line));
  };
  const Sequence_Model model = seq_1.Model;
  if (model != seq_2.Model) refuse(INCONSISTENT_MODEL, places.models_differ);
  if (model == Sequence_Model::NO) refuse(sequence_specifications::NOT_IMPLEMENTED, places.model_no);
  const bool nucleic = sequence_specifications::Is_Nucleic(model);
  if (nucleic && (seq_1.Nucleotides.is_null() || seq_2.Nucleotides.is_null())) {
    refuse(INVALID_FORMAT, places.no_nucleotides);
  }
  if (model == Sequence_Model::PROTEIN && (seq_1.Amino_Acids.is_null() || seq_2.Amino_Acids.is_null())) {
    refuse(INVALID_FORMAT, places.no_amino_acids);
  }

  const auto first_of = [&](const sequence_specifications::basic::SEQUENCE_DATA& seq) {
    return nucleic ? seq.Nucleotides.first() : seq.Amino_Acids.first();
  };
  const auto last_of = [&](const sequence_specifications::basic::SEQUENCE_DATA& seq) {
    return nucleic ? seq.Nucleotides.last() : seq.Amino_Acids.last();
  };
  if (c.start_1 == Unset_Position) c.start_1 = first_of(seq_1);
  if (c.stop_1 == Unset_Position) c.stop_1 = last_of(seq_1);
  if (c.start_2 == Unset_Position) c.start_2 = first_of(seq_2);
  if (c.stop_2 == Unset_Position) c.stop_2 = last_of(seq_2);
  if (c.start_1 >= c.stop_1 || c.start_2 >= c.stop_2) refuse(INCONSISTENT_RANGE, places.range);

  alignment_random::Shuffle_Statistics statistics;
  alignment_results::Alignment_Array_Access results;
  if (model == Sequence_Model::DNA) {
    const utils::Nucleic_Score_Matrix matrix = c.matrix_name.empty()
                                                   ? utils::Default_Nucleic_Matrix(c.match_weight, c.mismatch_weight)
                                                   : utils::Read_Nucleic_Matrix(c.matrix_name);
    results = align_windows<kernel::Nucleic>(seq_1.Nucleotides, seq_2.Nucleotides, matrix, c, places.nucleic,
                                             statistics);
  } else if (model == Sequence_Model::PROTEIN) {
    const utils::Protein_Score_Matrix matrix =
        c.matrix_name.empty() ? utils::Default_Protein_Matrix() : utils::Read_Protein_Matrix(c.matrix_name);
    results = align_windows<kernel::Protein>(seq_1.Amino_Acids, seq_2.Amino_Acids, matrix, c, places.protein,
                                             statistics);
  } else {
    refuse(sequence_specifications::NOT_IMPLEMENTED, places.rna);
  }

  for (std::int32_t k = results->first(); k <= results->last(); ++k) {
    alignment_results::Alignment& r = *(*results)(k);
    r.Quality_Mean = statistics.mean;
    r.Quality_Std = statistics.std_dev;
    if (statistics.std_dev != 0.0f) {
      r.Quality_Z_Score = std::fabs(float(r.Quality) - statistics.mean) / statistics.std_dev;
      r.Quality_Significance = alignment_random::Significance(r.Quality_Z_Score);
    } else {
      r.Quality_Z_Score = 0.0f;
      r.Quality_Significance = 0.0f;
    }
  }
  for (std::int32_t k = results->first(); k <= results->last(); ++k) {
    alignment_results::Alignment& r = *(*results)(k);
    r.Name_1 = strlib::Copy_String(seq_1.Identifier, std::move(r.Name_1));
    r.Name_2 = strlib::Copy_String(seq_2.Identifier, std::move(r.Name_2));
    r.Strand_1 = sequence_specifications::Strand::WATSON;
    r.Strand_2 = sequence_specifications::Strand::WATSON;
    r.Model = seq_1.Model;
    r.Matrix_Name = strlib::Copy_Non_Empty(c.matrix_name, std::move(r.Matrix_Name));
  }
  return results;
}

}  // namespace sequence_alignment::local
