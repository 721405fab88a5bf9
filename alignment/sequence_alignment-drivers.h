// The procedure that Align_Local and Align_Global share: the checks of the
// couple, the score matrix, the kernel of the couple's alphabet, the
// randomisation test and the completion of every result. Each driver runs it
// with its method and its own places.
#pragma once

#include <cstdint>

#include "alignment_results.h"
#include "platform/exceptions.h"
#include "kernel/sequence_alignment-kernel.h"
#include "sequence_alignment.h"
#include "sequence_specifications-basic.h"
#include "strlib.h"

namespace sequence_alignment::drivers {

// A driver's unit and its places: where its own checks raise and where its
// instances of the kernel are, each the number that follows the unit's name
// in the message.
struct Driver_Places {
  const char* unit;
  const platform::Exception_Id* internal_error;  // of its kernel instances
  int models_differ;
  int model_no;
  int no_nucleotides;
  int no_amino_acids;
  int range;
  int rna;
  int nucleic_kernel;
  int protein_kernel;

  constexpr kernel::Error_Context nucleic() const noexcept { return {internal_error, unit, nucleic_kernel}; }
  constexpr kernel::Error_Context protein() const noexcept { return {internal_error, unit, protein_kernel}; }
};

// Everything of one driver call but the two sequences.
struct Driver_Call {
  std::int32_t start_1, stop_1, start_2, stop_2;
  strlib::Plain_View matrix_name;
  std::int32_t match_weight, mismatch_weight, gap_weight, gap_length_weight;
  Backward_Mode backward;
  Building_Mode building;
  Optimize_Mode optimize;
  kernel::Method method;
  std::int32_t similarity_threshold, randomization;
};

// Checks the couple, chooses the matrix, aligns the windows, runs the
// randomisation test and completes every result.
alignment_results::Alignment_Array_Access Drive(const sequence_specifications::basic::SEQUENCE_DATA& seq_1,
                                                const sequence_specifications::basic::SEQUENCE_DATA& seq_2,
                                                Driver_Call call, const Driver_Places& places);

}  // namespace sequence_alignment::drivers
