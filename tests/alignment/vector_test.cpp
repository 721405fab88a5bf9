// The vector passes against the scalar passes, cell by cell: the flag
// bytes, both gap-length planes or the gap-state bytes, the side table of
// long gaps, the start cells and the score, at every lane width of every
// instruction set; a set this processor lacks is skipped, by name.
//
// The vector passes pack their rows of flags and apply the rule of long
// gaps with the scalar fill's own code (cells::pack_row, cells::both_gaps):
// this comparison cannot see a fault there. The path oracle can.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "instruction_sets.h"
#include "kernel/sequence_alignment-kernel-call.h"
#include "kernel/sequence_alignment-kernel-cells.h"
#include "kernel/sequence_alignment-kernel-choice.h"
#include "kernel/sequence_alignment-kernel-column_lanes.h"
#include "kernel/sequence_alignment-kernel-scalar.h"
#include "path_oracle.h"
#include "test_support.h"

using namespace sequence_alignment;
using namespace sequence_alignment::kernel;

namespace {

using choice::Instruction_Set;
using choice::Lane_Width;

std::string name(choice::Pass pass) {
  return std::string(choice::facts(pass.set).name) + " " + std::to_string(choice::lane_bits(pass.width)) + "-bit";
}

// The passes of Set whose bounds a call keeps: both widths where they fit.
template <class Matrix>
std::vector<choice::Pass> passes(Instruction_Set set, const Matrix& matrix, const Frame& fr) {
  std::vector<choice::Pass> all;
  for (const Lane_Width width : {Lane_Width::BITS_16, Lane_Width::BITS_32}) {
    if (choice::fill_fits(matrix, fr, width)) all.push_back({set, width});
  }
  return all;
}

template <class A>
struct Couple {
  std::vector<typename A::code_type> codes_1, codes_2;
  std::int32_t first_1 = 1, first_2 = 1;
  typename A::matrix_type matrix{};
  std::int32_t gap = -5, gap_length = -2;

  Problem<A> problem(Method method) const {
    return {{codes_1.data(), first_1, first_1 + std::int32_t(codes_1.size()) - 1},
            {codes_2.data(), first_2, first_2 + std::int32_t(codes_2.size()) - 1},
            &matrix,
            gap,
            gap_length,
            method};
  }
};

struct Filled {
  std::unique_ptr<cells::Cells> cells;
  cells::Start_Cells starts;
};

Filled empty_cells(const Frame& fr) {
  Filled f{std::make_unique<cells::Cells>(fr), {}};
  if (fr.exact()) {
    f.cells->allocate_gap_states();
  } else {
    f.cells->allocate_planes();
  }
  return f;
}

// The scalar fill in 64 bits: the reference.
template <class A>
Filled reference_fill(const Problem<A>& p, const Frame& fr) {
  Filled f = empty_cells(fr);
  scalar::fill<A, std::int64_t>(p, *f.cells, f.starts);
  return f;
}

// The first difference of two byte arrays of Cells_A_Byte cells a byte,
// or "".
std::string first_difference(const char* what, const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                             const Frame& fr, std::size_t cells_a_byte = 1) {
  for (std::size_t k = 0; k < n; ++k) {
    if (a[k] != b[k]) {
      return std::string(what) + " byte " + std::to_string(k) + " (row " +
             std::to_string(k * cells_a_byte / std::size_t(fr.len2)) + "): " + std::to_string(a[k]) + " expected " +
             std::to_string(b[k]);
    }
  }
  return "";
}

std::string positions(const cells::Start_Cells& s) {
  std::string text = s.every_cell ? "every cell" : "";
  for (const Cell_Position& c : s.list) text += " (" + std::to_string(c.I) + "," + std::to_string(c.J) + ")";
  return text + " Q" + std::to_string(s.quality);
}

struct Seen {
  int calls = 0, side_table = 0;
};

// Every pass of Set against the scalar fill and the scalar score-only pass.
template <class A>
void expect_same_as_scalar(Instruction_Set set, const Couple<A>& c, Method method, Seen* seen = nullptr) {
  const Problem<A> p = c.problem(method);
  const Frame fr(p);
  Filled expected = reference_fill(p, fr);
  const std::int64_t expected_quality = scalar::quality<A, std::int64_t>(p, fr);
  const std::size_t n = fr.cells();
  // The side table holds cells with both gap moves only; the traceback
  // reads it for no other.
  std::vector<std::size_t> both_gaps;
  std::size_t aside = 0;
  for (std::size_t k = 0; k < n && !fr.exact(); ++k) {
    if ((expected.cells->flags(k) & cells::gap_bits) != cells::gap_bits) continue;
    both_gaps.push_back(k);
    aside += expected.cells->aside_length(k, true) != 0 || expected.cells->aside_length(k, false) != 0;
  }
  if (seen) {
    seen->side_table += aside > 0;
  }
  for (const choice::Pass pass : passes(set, c.matrix, fr)) {
    SCOPED_TRACE(name(pass));
    if (seen) ++seen->calls;
    Filled actual = empty_cells(fr);
    column_lanes::fill(p, *actual.cells, actual.starts, pass);
    cells::Cells& a = *actual.cells;
    cells::Cells& e = *expected.cells;
    EXPECT_EQ(first_difference("flag", a.flag_bytes(), e.flag_bytes(), (n + 1) / 2, fr, 2), "");
    if (fr.exact()) {
      EXPECT_EQ(first_difference("gap state", a.gap_states(), e.gap_states(), n, fr), "");
    } else {
      EXPECT_EQ(first_difference("plane P", a.plane_h(), e.plane_h(), n, fr), "");
      EXPECT_EQ(first_difference("plane Q", a.plane_v(), e.plane_v(), n, fr), "");
      for (const std::size_t k : both_gaps) {
        ASSERT_EQ(a.aside_length(k, true), e.aside_length(k, true)) << "cell " << k;
        ASSERT_EQ(a.aside_length(k, false), e.aside_length(k, false)) << "cell " << k;
      }
    }
    EXPECT_EQ(positions(actual.starts), positions(expected.starts));
    EXPECT_EQ(column_lanes::quality(p, fr, pass), expected_quality);
  }
}

template <class A>
void expect_same_as_scalar_all_methods(Instruction_Set set, const Couple<A>& c, Seen* seen = nullptr) {
  for (const Method method : every_method) {
    SCOPED_TRACE(path_oracle::name(method));
    expect_same_as_scalar(set, c, method, seen);
  }
}

// Gap weights of every class: ordinary, gaps or lengths that cost nothing,
// and rewarding openings or lengths.
struct Weights {
  std::int32_t gap, gap_length;
};
const Weights weight_classes[] = {{-5, -2}, {-11, -1}, {0, -2}, {-4, 0}, {0, 0},
                                  {3, -2},  {-3, 1},   {2, 0},  {0, 1},  {1, 1}};

template <class A>
typename A::code_type random_code(std::mt19937& random, int codes_used) {
  return typename A::code_type(std::uniform_int_distribution<int>(0, codes_used - 1)(random));
}

// A random window and a relative of it (changes, insertions, deletions),
// over few codes and a matrix of few values: ties everywhere.
template <class A>
Couple<A> random_couple(std::mt19937& random, std::int32_t len1, std::int32_t len2, Weights w) {
  Couple<A> c;
  const int codes_used = std::uniform_int_distribution<int>(0, 1)(random) ? 4 : A::size;
  for (std::int32_t k = 0; k < len1; ++k) c.codes_1.push_back(random_code<A>(random, codes_used));
  std::uniform_int_distribution<int> event(0, 9);
  for (std::size_t k = 0; std::int32_t(c.codes_2.size()) < len2; ++k) {
    const int e = event(random);
    if (k >= c.codes_1.size() || e == 0) {
      c.codes_2.push_back(random_code<A>(random, codes_used));
    } else if (e > 2) {
      c.codes_2.push_back(c.codes_1[k]);
    }
  }
  c.first_1 = std::uniform_int_distribution<int>(-5, 30)(random);
  c.first_2 = std::uniform_int_distribution<int>(-5, 30)(random);
  const int low = std::uniform_int_distribution<int>(-6, 0)(random);
  const int high = std::uniform_int_distribution<int>(-1, 6)(random);
  std::uniform_int_distribution<int> value(low, std::max(low, high));
  for (auto& row : c.matrix) {
    for (auto& v : row) v = value(random);
  }
  c.gap = w.gap;
  c.gap_length = w.gap_length;
  return c;
}

// Window lengths around every vector width: 1, 2, W - 1, W, W + 1 for W of
// 4, 8, 16 and 32 lanes, odd and even (rows then start in the middle of a
// flag byte).
const std::int32_t edge_lengths[] = {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65};

template <class A>
void check_random_couples(Instruction_Set set, std::uint32_t seed) {
  std::mt19937 random(seed);
  for (const Weights w : weight_classes) {
    SCOPED_TRACE("G " + std::to_string(w.gap) + ", L " + std::to_string(w.gap_length));
    for (const std::int32_t len2 : edge_lengths) {
      const std::int32_t len1 = std::uniform_int_distribution<int>(1, 12)(random);
      SCOPED_TRACE(std::to_string(len1) + " x " + std::to_string(len2));
      expect_same_as_scalar_all_methods(set, random_couple<A>(random, len1, len2, w));
    }
    for (int trial = 0; trial < 6; ++trial) {
      const std::int32_t len1 = std::uniform_int_distribution<int>(1, 80)(random);
      const std::int32_t len2 = std::uniform_int_distribution<int>(1, 150)(random);
      SCOPED_TRACE(std::to_string(len1) + " x " + std::to_string(len2));
      expect_same_as_scalar_all_methods(set, random_couple<A>(random, len1, len2, w));
    }
  }
}

// Each test at each instruction set, skipped where the processor lacks it.
class VectorFill : public instruction_sets::Each_Instruction_Set {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(EveryInstructionSet, VectorFill, instruction_sets::every_instruction_set,
                         instruction_sets::set_name);

TEST_P(VectorFill, NucleicCouplesLikeTheScalarFill) { check_random_couples<Nucleic>(GetParam(), 21); }

TEST_P(VectorFill, ProteinCouplesLikeTheScalarFill) { check_random_couples<Protein>(GetParam(), 22); }

TEST(VectorChoice, TheFillsRunOnThisProcessorsWidestSet) {
  EXPECT_TRUE(choice::runs(choice::widest()));
  for (const choice::Set_Facts& set : choice::instruction_sets) {
    if (choice::runs(set.set)) {
      EXPECT_GE(int(choice::widest()), int(set.set));
    }
  }
}

// Gaps longer than a byte: long windows with cheap lengths, so that gaps of
// hundreds of residues run beside other moves (continuation offsets) and
// some find no cell with the gap alone within 255 (the side table).
TEST_P(VectorFill, GapsLongerThanAByte) {
  std::mt19937 random(23);
  Seen seen;
  for (const Weights w : {Weights{-3, 0}, Weights{-40, -1}, Weights{0, 0}, Weights{-1, 0}}) {
    for (const auto& [len1, len2] : {std::pair{30, 600}, std::pair{600, 30}, std::pair{300, 301}}) {
      SCOPED_TRACE(std::to_string(len1) + " x " + std::to_string(len2) + ", G " + std::to_string(w.gap) + ", L " +
                   std::to_string(w.gap_length));
      Couple<Nucleic> c = random_couple<Nucleic>(random, len1, len2, w);
      // Equal pairs everywhere: every path of the same gaps ties.
      for (auto& row : c.matrix) {
        for (auto& v : row) v = -1;
      }
      expect_same_as_scalar_all_methods(GetParam(), c, &seen);
      expect_same_as_scalar_all_methods(GetParam(), random_couple<Nucleic>(random, len1, len2, w), &seen);
    }
  }
  EXPECT_GT(seen.calls, 0);
  EXPECT_GT(seen.side_table, 0) << "no call kept a long gap aside";
}

namespace {

// Identical windows under a matrix of Match on the diagonal and -Match
// elsewhere: the best score is Len Match, near the top of the bound.
template <class A>
Couple<A> identical(std::int32_t length, std::int32_t match, Weights w) {
  std::mt19937 random{std::uint32_t(length)};
  Couple<A> c;
  for (std::int32_t k = 0; k < length; ++k) c.codes_1.push_back(random_code<A>(random, 4));
  c.codes_2 = c.codes_1;
  for (int a = 0; a < A::size; ++a) {
    for (int b = 0; b < A::size; ++b) c.matrix[std::size_t(a)][std::size_t(b)] = a == b ? match : -match;
  }
  c.gap = w.gap;
  c.gap_length = w.gap_length;
  return c;
}

// Windows with nothing in common under a steep gap length: the all-gap
// path, near the bottom of the bound, is a global call's best.
template <class A>
Couple<A> unrelated(std::int32_t length, std::int32_t mismatch, std::int32_t gap_length) {
  Couple<A> c;
  c.codes_1.assign(std::size_t(length), typename A::code_type(0));
  c.codes_2.assign(std::size_t(length) + 3, typename A::code_type(1));
  for (auto& row : c.matrix) {
    for (auto& v : row) v = -mismatch;
  }
  c.gap = -7;
  c.gap_length = gap_length;
  return c;
}

// The largest K from 1 for which Fits(K) holds, Fits(K + 1) not.
std::int32_t last_that_fits(const std::function<bool(std::int32_t)>& fits) {
  std::int32_t low = 1, high = 2;
  while (fits(high)) high *= 2;
  while (high - low > 1) {
    const std::int32_t mid = low + (high - low) / 2;
    (fits(mid) ? low : high) = mid;
  }
  return low;
}

// The lanes the fills choose for the couple.
template <class A>
Lane_Width width_of(const Couple<A>& c, bool global) {
  const Problem<A> p = c.problem(global ? Method::GLOBAL_WEIGHTED_ENDS : Method::LOCAL);
  return choice::fill_pass(c.matrix, Frame(p)).width;
}

}  // namespace

// Weights chosen so that a call just fits 16-bit lanes, and just does not
// (then it runs in 32-bit lanes): top and bottom of the bound.
TEST_P(VectorFill, EdgesOfThe16BitBound) {
  for (const bool global : {false, true}) {
    const auto top = [&](std::int32_t match) { return identical<Nucleic>(150, match, {-10, -2}); };
    const std::int32_t match =
        last_that_fits([&](std::int32_t m) { return width_of(top(m), global) == Lane_Width::BITS_16; });
    EXPECT_GT(150 * match, 32767 - 600) << "the bound leaves room unused";
    EXPECT_EQ(width_of(top(match + 1), global), Lane_Width::BITS_32);
    expect_same_as_scalar_all_methods(GetParam(), top(match));
    expect_same_as_scalar_all_methods(GetParam(), top(match + 1));
  }
  const auto bottom = [](std::int32_t steep) { return unrelated<Protein>(120, 900, -steep); };
  const std::int32_t steep =
      last_that_fits([&](std::int32_t s) { return width_of(bottom(s), true) == Lane_Width::BITS_16; });
  EXPECT_EQ(width_of(bottom(steep + 1), true), Lane_Width::BITS_32);
  expect_same_as_scalar_all_methods(GetParam(), bottom(steep));
  expect_same_as_scalar_all_methods(GetParam(), bottom(steep + 1));
}

// The same for 32-bit lanes: the bound of the scalar 32-bit passes, and the
// weights a scan adds; beyond them the scalar passes run.
TEST_P(VectorFill, EdgesOf32BitLanes) {
  const auto top = [](std::int32_t match) { return identical<Protein>(40, match, {-10, -2}); };
  const std::int32_t match =
      last_that_fits([&](std::int32_t m) { return width_of(top(m), false) != Lane_Width::SCALAR; });
  EXPECT_EQ(width_of(top(match), false), Lane_Width::BITS_32);
  EXPECT_GT(std::int64_t(40) * match, std::int64_t(1) << 26);
  EXPECT_EQ(width_of(top(match + 1), false), Lane_Width::SCALAR);
  expect_same_as_scalar_all_methods(GetParam(), top(match));

  const auto steep = [](std::int32_t s) { return unrelated<Nucleic>(3, 5, -s); };
  const std::int32_t length =
      last_that_fits([&](std::int32_t s) { return width_of(steep(s), true) != Lane_Width::SCALAR; });
  EXPECT_EQ(width_of(steep(length), true), Lane_Width::BITS_32);
  EXPECT_EQ(width_of(steep(length + 1), true), Lane_Width::SCALAR);
  EXPECT_TRUE(bounds::scores_fit_32_bits(steep(length + 1).matrix, 3, 6, -7, -(length + 1)));
  expect_same_as_scalar_all_methods(GetParam(), steep(length));
  Couple<Nucleic> rewarding = steep(length);
  rewarding.gap_length = length;  // lengths that reward, as steep
  expect_same_as_scalar_all_methods(GetParam(), rewarding);

  // Beyond the lanes, the kernel's entry points still give the scalar score.
  for (const Couple<Nucleic>& c : {steep(length + 1), identical<Nucleic>(40, match + 1, {-10, -2})}) {
    for (const Method method : {Method::LOCAL, Method::GLOBAL_WEIGHTED_ENDS}) {
      const Problem<Nucleic> p = c.problem(method);
      const std::int64_t expected = scalar::quality<Nucleic, std::int64_t>(p, Frame(p));
      EXPECT_EQ(Compute_Quality(p), expected);
    }
  }
}

// A pass asked for is refused where the processor lacks its set or the
// call's values may not fit its lanes; the scalar pass takes any call.
TEST(VectorChoice, PassesAskedForAreRefusedBeyondTheProcessorOrTheBound) {
  const Couple<Nucleic> c = identical<Nucleic>(40, 1000, {-10, -2});  // beyond 16 bits, within 32
  const Problem<Nucleic> p = c.problem(Method::LOCAL);
  const std::int32_t expected = std::int32_t(scalar::quality<Nucleic, std::int64_t>(p, Frame(p)));
  EXPECT_EQ(Compute_Quality(p, {Instruction_Set::GENERIC, Lane_Width::SCALAR}), expected);
  for (const choice::Set_Facts& set : choice::instruction_sets) {
    SCOPED_TRACE(set.name);
    if (choice::runs(set.set)) {
      EXPECT_EQ(Compute_Quality(p, {set.set, Lane_Width::BITS_32}), expected);
      EXPECT_EQ(test_support::raised([&] { Compute_Quality(p, {set.set, Lane_Width::BITS_16}); }),
                "CONSTRAINT_ERROR fill beyond the bound of the pass's lanes");
    } else {
      EXPECT_EQ(test_support::raised([&] { Compute_Quality(p, {set.set, Lane_Width::BITS_32}); }),
                "CONSTRAINT_ERROR fill pass not available on this processor");
    }
  }
}
