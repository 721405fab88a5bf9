// The kernels on the run's kept working memory: a couple gives the same
// paths whatever the couples before it left in the block.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/work_block.h"
#include "sequence_alignment-global.h"
#include "sequence_alignment-local.h"
#include "sequence_alignment-utils.h"

using namespace sequence_alignment;
using alignment_results::Alignment;
using alignment_results::Alignment_Array_Access;
using sequence_specifications::Amino_Acid;
using sequence_specifications::Nucleotide;

namespace {

struct Couple {
  bool protein;
  bool global;
  std::int32_t gap, gap_length;  // both 0, or a reward: the exact fill
  std::vector<std::uint8_t> codes_1, codes_2;
  Building_Mode building;
};

// A random sequence and a relative of it: point changes, and one insertion
// longer than a plane byte counts (255).
Couple couple(std::mt19937& random, bool protein, bool global, std::int32_t gap, std::int32_t gap_length,
              int length, Building_Mode building) {
  const int alphabet = protein ? 20 : 4;
  Couple c{protein, global, gap, gap_length, {}, {}, building};
  std::uniform_int_distribution<int> code(0, alphabet - 1), percent(0, 99);
  for (int k = 0; k < length; ++k) c.codes_1.push_back(std::uint8_t(code(random)));
  for (int k = 0; k < length; ++k) {
    if (k == length / 3 && length > 600) {
      for (int extra = 0; extra < 300; ++extra) c.codes_2.push_back(std::uint8_t(code(random)));
    }
    c.codes_2.push_back(percent(random) < 15 ? std::uint8_t(code(random)) : c.codes_1[std::size_t(k)]);
  }
  return c;
}

std::string image(const Alignment& r) {
  return std::string(r.Aligned_1.view()) + "/" + std::string(r.Aligned_2.view()) + " Q" +
         std::to_string(r.Quality) + " " + std::to_string(r.Start_1) + "-" + std::to_string(r.Stop_1) + " " +
         std::to_string(r.Start_2) + "-" + std::to_string(r.Stop_2);
}

// The couple's alignments through one alphabet's two entries; the alphabets
// also differ in the matrix, the traceback order and the end gaps.
template <class Code, class Matrix, class Global, class Local>
Alignment_Array_Access computed(const Couple& c, const Matrix& matrix, Global global_entry, Local local_entry,
                                Backward_Mode backward, bool end_weight) {
  static_assert(sizeof(Code) == 1);
  const auto window = [](const std::vector<std::uint8_t>& codes) {
    return utils::Code_Window<Code>{reinterpret_cast<const Code*>(codes.data()), 1, std::int32_t(codes.size())};
  };
  const auto a = window(c.codes_1), b = window(c.codes_2);
  return c.global ? global_entry(a, b, matrix, 10, -9, c.gap, c.gap_length, backward, c.building, Optimize_Mode::NO,
                                 end_weight, -1)
                  : local_entry(a, b, matrix, 10, -9, c.gap, c.gap_length, backward, c.building, Optimize_Mode::NO, -1);
}

std::vector<std::string> paths(const Couple& c) {
  const Alignment_Array_Access results =
      c.protein ? computed<Amino_Acid>(c, utils::Default_Protein_Matrix(), global::Compute_Global_Alignments_Protein,
                                       local::Compute_Local_Alignments_Protein, Backward_Mode::DVH, true)
                : computed<Nucleotide>(c, utils::Default_Nucleic_Matrix(10, -9),
                                       global::Compute_Global_Alignments_Nucleic,
                                       local::Compute_Local_Alignments_Nucleic, Backward_Mode::HDV, false);
  std::vector<std::string> all;
  for (std::int32_t k = 1; k <= results->last(); ++k) all.push_back(image(*(*results)(k)));
  return all;
}

// Leaves Byte in the whole of the thread's kept block.
void soil(std::uint8_t byte) {
  platform::Work_Loan loan;
  const std::size_t size = std::max<std::size_t>(loan.block().size(), std::size_t(4) << 20);
  std::memset(loan.block().allocate(size), byte, size);
}

}  // namespace

TEST(KeptWorkBlock, CouplesGiveTheirPathsWhateverCameBefore) {
  std::mt19937 random(2024);
  const std::vector<Couple> couples = {
      couple(random, false, true, -50, -3, 900, Building_Mode::ONE),           // fast fill, grows the block
      couple(random, true, false, -11, -1, 60, Building_Mode::ALL_FIRSTS),     // far smaller
      couple(random, false, true, 0, 0, 700, Building_Mode::ONE),              // exact fill over the fast one's bytes
      couple(random, true, true, -50, -3, 1100, Building_Mode::ONE),           // grows again
      couple(random, false, false, -6, 4, 300, Building_Mode::ALL_FIRSTS),     // rewarding gaps: exact fill
      couple(random, false, true, -50, -3, 650, Building_Mode::ONE),           // fast fill over exact bytes
      couple(random, true, false, 0, 0, 40, Building_Mode::FULL),
  };
  // Each couple alone, in a thread of its own: a block never used before.
  std::vector<std::vector<std::string>> alone(couples.size());
  for (std::size_t k = 0; k < couples.size(); ++k) {
    std::thread([&] { alone[k] = paths(couples[k]); }).join();
    ASSERT_FALSE(alone[k].empty());
  }
  for (const std::uint8_t byte : {std::uint8_t(0xff), std::uint8_t(0x5a)}) {
    soil(byte);
    for (std::size_t k = 0; k < couples.size(); ++k) {
      EXPECT_EQ(paths(couples[k]), alone[k]) << "couple " << k << " after bytes " << int(byte);
    }
  }
}
