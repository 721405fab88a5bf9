// One call of the kernel, from the fill to the results, the score-only
// pass, and the randomisation rounds: the kernel's entry points, for either
// alphabet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "alignment_results.h"
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

// How the randomisation rounds are scored: several couples at once, one
// per vector lane of 16 or 32 bits (generic vectors, AVX2 or AVX-512BW), or
// one at a time in 64 bits.
enum class Rounds_Pass { scalar_64, generic_32, avx2_32, avx512_32, generic_16, avx2_16, avx512_16 };

// Whether this processor can run the pass.
bool Runs_Here(Rounds_Pass pass) noexcept;

// Window 1 of a problem against copies of its window 2 (the rounds'
// shuffles), as many at once as the pass has lanes.
template <class A>
class Rounds {
 public:
  // The fastest pass this processor has whose lanes hold every value of the
  // problem's recurrences.
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
extern template std::int32_t Compute_Quality<Nucleic>(const Problem<Nucleic>&);
extern template std::int32_t Compute_Quality<Protein>(const Problem<Protein>&);
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
