#include "kernel/sequence_alignment-kernel-choice.h"

#include <iterator>

namespace sequence_alignment::kernel::choice {

namespace {

Instruction_Set find_widest() noexcept {
  for (const Instruction_Set set : {Instruction_Set::AVX512BW, Instruction_Set::AVX2}) {
    if (runs(set)) return set;
  }
  return Instruction_Set::GENERIC;
}

}  // namespace

bool runs(Instruction_Set set) noexcept {
  switch (set) {
    case Instruction_Set::GENERIC:
      return true;
#if SEQUENCE_ALIGNMENT_X86()
    case Instruction_Set::AVX2:
      return __builtin_cpu_supports("avx2");
    case Instruction_Set::AVX512BW:
      return __builtin_cpu_supports("avx512bw");
#endif
    default:
      return false;
  }
}

Instruction_Set widest() noexcept {
  static const Instruction_Set found = find_widest();
  return found;
}

const Rounds_Facts& facts(Rounds_Pass pass) noexcept {
  for (const Rounds_Facts& r : rounds_passes) {
    if (r.rounds_pass == pass) return r;
  }
  return rounds_passes[std::size(rounds_passes) - 1];
}

bool Runs_Here(Rounds_Pass pass) noexcept {
  const Pass how = facts(pass).pass;
  return how.width == Lane_Width::SCALAR || runs(how.set);
}

}  // namespace sequence_alignment::kernel::choice
