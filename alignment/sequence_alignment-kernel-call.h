// One call of the kernel, from the fill to the results, and the
// score-only pass: the kernel's two entry points, for either alphabet.
#pragma once

#include <cstdint>

#include "alignment_results.h"
#include "sequence_alignment-kernel.h"

namespace sequence_alignment::kernel::call {

// Every kept path of the best alignments of the two windows, one result
// each. Windows over 65535 residues raise STORAGE_ERROR.
template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem,
                                                             const Path_Settings& settings,
                                                             const Error_Context& context);

// The Quality that Compute_Alignments gives, without flags or paths.
template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem);

extern template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&);
extern template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&);
extern template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
extern template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);

}  // namespace sequence_alignment::kernel::call

namespace sequence_alignment::kernel {
using call::Compute_Alignments;
using call::Compute_Quality;
}  // namespace sequence_alignment::kernel
