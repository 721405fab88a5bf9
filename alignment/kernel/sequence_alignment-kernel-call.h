// One call of the kernel, from the fill to the results, the score-only
// pass, and the randomisation rounds: the kernel's entry points, for either
// alphabet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "alignment_results.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel.h"

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

// The same by the pass asked for (choice::fill_pass chooses otherwise);
// CONSTRAINT_ERROR when the processor lacks its instruction set or the
// problem's values may not fit its lanes.
template <class A>
alignment_results::Alignment_Array_Access Compute_Alignments(const Problem<A>& problem,
                                                             const Path_Settings& settings,
                                                             const Error_Context& context, choice::Pass pass);
template <class A>
std::int32_t Compute_Quality(const Problem<A>& problem, choice::Pass pass);

using choice::Rounds_Pass;
using choice::Runs_Here;

// Window 1 of a problem against copies of its window 2 (the rounds'
// shuffles), as many at once as the pass has lanes.
template <class A>
class Rounds {
 public:
  // By choice::fastest_rounds_pass.
  explicit Rounds(const Problem<A>& problem);
  // The pass asked for; CONSTRAINT_ERROR when the processor lacks it or the
  // problem's values may not fit its lanes.
  Rounds(const Problem<A>& problem, Rounds_Pass pass);
  Rounds(Rounds&&) noexcept;
  ~Rounds();

  Rounds_Pass pass() const noexcept { return pass_; }
  // How many windows one call of Score takes at most.
  int batch() const noexcept { return batch_; }
  // The Quality of window 1 with each of Count windows (1 to Batch) of
  // window 2's length, each given by its first code, as Compute_Quality
  // gives it.
  void score(const typename A::code_type* const* windows, int count, std::int32_t* qualities);
  // The bytes of working storage the rounds take, lent by the thread's work
  // block for as long as they live (none for the 64-bit pass, which works
  // as Compute_Quality does).
  std::size_t storage() const noexcept;

 private:
  struct Work;
  Problem<A> problem_;
  Rounds_Pass pass_;
  int batch_;
  std::unique_ptr<Work> work_;
};

extern template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&);
extern template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&);
extern template alignment_results::Alignment_Array_Access Compute_Alignments<Nucleic>(const Problem<Nucleic>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&,
                                                                                      choice::Pass);
extern template alignment_results::Alignment_Array_Access Compute_Alignments<Protein>(const Problem<Protein>&,
                                                                                      const Path_Settings&,
                                                                                      const Error_Context&,
                                                                                      choice::Pass);
extern template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
extern template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);
extern template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&, choice::Pass);
extern template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&, choice::Pass);
extern template class Rounds<Nucleic>;
extern template class Rounds<Protein>;

}  // namespace sequence_alignment::kernel::call

namespace sequence_alignment::kernel {
using call::Compute_Alignments;
using call::Compute_Quality;
using call::Rounds;
using call::Rounds_Pass;
using call::Runs_Here;
}  // namespace sequence_alignment::kernel
