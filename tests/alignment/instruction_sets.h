// Tests of the vector passes run once for each instruction set; where the
// processor lacks the set, each says so in its skip message.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "kernel/sequence_alignment-kernel-choice.h"

namespace instruction_sets {

using sequence_alignment::kernel::choice::Instruction_Set;

class Each_Instruction_Set : public testing::TestWithParam<Instruction_Set> {
 protected:
  void SetUp() override {
    if (!sequence_alignment::kernel::choice::runs(GetParam())) {
      GTEST_SKIP() << sequence_alignment::kernel::choice::facts(GetParam()).name << " is not on this processor";
    }
  }
};

inline const auto every_instruction_set =
    testing::Values(Instruction_Set::GENERIC, Instruction_Set::AVX2, Instruction_Set::AVX512BW);

// "generic", "AVX2", "AVX512BW": the test's name.
inline std::string set_name(const testing::TestParamInfo<Instruction_Set>& info) {
  std::string name = sequence_alignment::kernel::choice::facts(info.param).name;
  std::erase(name, '-');
  return name;
}

}  // namespace instruction_sets

namespace sequence_alignment::kernel::choice {
// A test's parameter, by name.
inline void PrintTo(Instruction_Set set, std::ostream* out) { *out << facts(set).name; }
}  // namespace sequence_alignment::kernel::choice
