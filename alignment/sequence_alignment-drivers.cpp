#include "sequence_alignment-drivers.h"

#include <cmath>
#include <utility>

#include "alignment_random.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "sequence_alignment-utils.h"

namespace sequence_alignment::drivers {

namespace {

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
                                                        const Matrix& matrix, const Driver_Call& call,
                                                        const kernel::Error_Context& context,
                                                        alignment_random::Shuffle_Statistics& statistics) {
  const kernel::Problem<A> problem{window(codes_1, call.start_1, call.stop_1),
                                   window(codes_2, call.start_2, call.stop_2),
                                   &matrix,
                                   call.gap_weight,
                                   call.gap_length_weight,
                                   call.method};
  auto results = kernel::Compute_Alignments<A>(problem,
                                               {call.match_weight, call.mismatch_weight, call.backward,
                                                call.building, call.optimize, call.similarity_threshold},
                                               context);
  statistics = {};
  if (call.randomization >= 1) statistics = alignment_random::Shuffled_Qualities(problem, call.randomization);
  return results;
}

}  // namespace

alignment_results::Alignment_Array_Access Drive(const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
                                                const sequence_specifications::basic::SEQUENCE_DATA& seq_2,
                                                Driver_Call call, const Driver_Places& places) {
  using sequence_specifications::Sequence_Model;
  const auto refuse = [&](const platform::Exception_Id& id, int place) {
    platform::raise(id, platform::place(places.unit, place));
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
  if (call.start_1 == Unset_Position) call.start_1 = first_of(seq_1);
  if (call.stop_1 == Unset_Position) call.stop_1 = last_of(seq_1);
  if (call.start_2 == Unset_Position) call.start_2 = first_of(seq_2);
  if (call.stop_2 == Unset_Position) call.stop_2 = last_of(seq_2);
  if (call.start_1 >= call.stop_1 || call.start_2 >= call.stop_2) refuse(INCONSISTENT_RANGE, places.range);

  alignment_random::Shuffle_Statistics statistics;
  alignment_results::Alignment_Array_Access results;
  if (model == Sequence_Model::DNA) {
    const utils::Nucleic_Score_Matrix matrix =
        call.matrix_name.empty() ? utils::Default_Nucleic_Matrix(call.match_weight, call.mismatch_weight)
                                 : utils::Read_Nucleic_Matrix(call.matrix_name);
    results = align_windows<kernel::Nucleic>(seq_1.Nucleotides, seq_2.Nucleotides, matrix, call, places.nucleic(),
                                             statistics);
  } else if (model == Sequence_Model::PROTEIN) {
    const utils::Protein_Score_Matrix matrix =
        call.matrix_name.empty() ? utils::Default_Protein_Matrix() : utils::Read_Protein_Matrix(call.matrix_name);
    results = align_windows<kernel::Protein>(seq_1.Amino_Acids, seq_2.Amino_Acids, matrix, call, places.protein(),
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
    r.Name_1 = strlib::Copy_String(seq_1.Identifier, std::move(r.Name_1));
    r.Name_2 = strlib::Copy_String(seq_2.Identifier, std::move(r.Name_2));
    r.Strand_1 = sequence_specifications::Strand::WATSON;
    r.Strand_2 = sequence_specifications::Strand::WATSON;
    r.Model = seq_1.Model;
    r.Matrix_Name = strlib::Copy_Non_Empty(call.matrix_name, std::move(r.Matrix_Name));
  }
  return results;
}

}  // namespace sequence_alignment::drivers
