// Tests of the vector passes run once for each instruction set; where the
// processor lacks the set, each says so in its skip message.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

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

// Each set of the choice's table.
inline const auto every_instruction_set = testing::ValuesIn([] {
  std::vector<Instruction_Set> sets;
  for (const auto& facts : sequence_alignment::kernel::choice::instruction_sets) sets.push_back(facts.set);
  return sets;
}());

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
