// The dynamic-programming kernel shared by the local and the global
// aligner, over either residue alphabet: what one call is given, the three
// methods and the one place that dispatches on them, and the bounds every
// pass keeps. The work is done in units of their own, each
// sequence_alignment-kernel-NAME:
//
//   -call          one call, from the fill to the results; the score-only pass; the rounds
//   -choice        which pass runs: instruction set and lane width, for the fills and the rounds
//   -cells         what a fill leaves for the traceback, and the start cells of each method
//   -rows          the working rows of the scalar passes and the boundaries of the windows
//   -fill          the fill when every gap costs (the recurrences written out)
//   -exact         the fill and the score-only pass when some gap costs nothing
//   -score         the score-only pass when every gap costs
//   -scalar        the scalar passes as one family, for every method
//   -column_lanes  the fills and the score-only pass of one couple, a row's columns in vector lanes
//   -couple_lanes  the score-only pass of the shuffle rounds, one couple a lane
//   -simd          the vector layer both use: lanes, lane shifts, suffix scans
//   -traceback     tracing paths, and which are traced
//   -paths         keeping paths, and their statistics
//
// The scalar passes (fill, exact, score) are the reference; the vector
// passes write the same bytes in 16-bit lanes when a bound on the weights
// proves every value fits, else in 32-bit lanes; beyond those the scalar
// passes run in 32 bits when a bound proves it exact and in 64 bits
// otherwise; the final score must fit 32 bits.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "alignment_results.h"
#include "platform/exceptions.h"
#include "sequence_alignment-utils.h"
#include "sequence_alignment.h"
#include "sequence_specifications.h"

namespace sequence_alignment::kernel {

using utils::Cell_Position;
using utils::Code_Window;
using utils::Path;
using utils::Path_Step;
using utils::Step_Kind;

template <class Code, int Size, char (*Letter)(Code)>
struct Alphabet {
  using code_type = Code;
  static constexpr int size = Size;
  using matrix_type = std::array<std::array<std::int32_t, Size>, Size>;
  static char letter(Code code) { return Letter(code); }
};

using Nucleic = Alphabet<sequence_specifications::Nucleotide, sequence_specifications::Nucleotide_Count,
                         &sequence_specifications::Nucleotide_Image>;
using Protein = Alphabet<sequence_specifications::Amino_Acid, sequence_specifications::Amino_Acid_Count,
                         &sequence_specifications::Amino_Acid_Image>;

// The three methods: local, and global with end gaps charged like inner
// gaps or free. Every pass is compiled for each (a template over Method,
// with a marked branch where they differ) and chosen by by_method.
enum class Method : std::uint8_t { LOCAL, GLOBAL_WEIGHTED_ENDS, GLOBAL_FREE_ENDS };
inline constexpr Method every_method[] = {Method::LOCAL, Method::GLOBAL_WEIGHTED_ENDS, Method::GLOBAL_FREE_ENDS};

constexpr Method method_of(bool global, bool end_weight) noexcept {
  return !global ? Method::LOCAL : end_weight ? Method::GLOBAL_WEIGHTED_ENDS : Method::GLOBAL_FREE_ENDS;
}
constexpr bool is_global(Method method) noexcept { return method != Method::LOCAL; }

template <Method M>
using Method_Constant = std::integral_constant<Method, M>;

// Visit(Method_Constant<M>()) for the method: the one dispatch on the
// method of every family of passes.
template <class Visit>
__attribute__((always_inline)) inline decltype(auto) by_method(Method method, Visit&& visit) {
  switch (method) {
    case Method::LOCAL:
      return visit(Method_Constant<Method::LOCAL>());
    case Method::GLOBAL_WEIGHTED_ENDS:
      return visit(Method_Constant<Method::GLOBAL_WEIGHTED_ENDS>());
    case Method::GLOBAL_FREE_ENDS:
      break;
  }
  return visit(Method_Constant<Method::GLOBAL_FREE_ENDS>());
}

// Visit(Method_Constant<M>(), std::bool_constant<Exact>()): the method and
// which recurrences run, those of the fast fill or the exact ones (see
// exact_gaps).
template <class Visit>
__attribute__((always_inline)) inline decltype(auto) by_method_and_gaps(Method method, bool exact, Visit&& visit) {
  return by_method(method, [&](auto m) __attribute__((always_inline)) -> decltype(auto) {
    if (exact) return visit(m, std::true_type());
    return visit(m, std::false_type());
  });
}

// The windows and the settings of one call.
template <class A>
struct Problem {
  Code_Window<typename A::code_type> codes_1;
  Code_Window<typename A::code_type> codes_2;
  const typename A::matrix_type* matrix;
  std::int32_t gap_weight;
  std::int32_t gap_length_weight;
  Method method;
};

struct Path_Settings {
  std::int32_t match_weight;
  std::int32_t mismatch_weight;
  Backward_Mode backward;
  Building_Mode building;
  Optimize_Mode optimize;
  std::int32_t similarity_threshold;
};

// What the consistency checks of one instance of the kernel (a method and
// an alphabet) raise, and in which unit it is instantiated where.
struct Error_Context {
  const platform::Exception_Id* internal_error;
  const char* unit;     // "sequence_alignment-local"
  int instantiated_at;  // a place of that unit
};

// Where the kernel's consistency checks (the rules never trip them) raise: the
// number that follows the instance's unit in the message,
// "sequence_alignment-global:662 instantiated at sequence_alignment-global:897".
// These numbers are part of the printed messages and never change, whatever
// becomes of the source.
enum class Place : int {
  local_cell_without_move = 551, local_stop_step = 696,
  global_start_cell = 528, global_cell_without_move = 662, global_stop_step = 812,
};

// The gap-length planes hold 16-bit lengths.
inline constexpr std::int32_t max_window = Longest_Window;

// Whether some gap of k residues, G + k L, costs nothing or adds to the
// score. The fast fill relies on every gap costing something: a gap then
// never ends where its own direction is the best move, and a free leading
// gap is never worth continuing in its own direction. Otherwise the exact
// fill runs.
constexpr bool exact_gaps(std::int32_t g, std::int32_t l) noexcept {
  return !(g <= 0 && l <= 0 && std::int64_t(g) + l < 0);
}

// The shape of one call: window bounds and gap weights, and the cell order.
struct Frame {
  std::int32_t first1, last1, first2, last2;
  std::int32_t len1, len2;
  std::int32_t g, l;
  Method method;

  template <class A>
  explicit Frame(const Problem<A>& p) noexcept
      : first1(p.codes_1.first),
        last1(p.codes_1.last),
        first2(p.codes_2.first),
        last2(p.codes_2.last),
        len1(p.codes_1.length() > 0 ? p.codes_1.length() : 0),
        len2(p.codes_2.length() > 0 ? p.codes_2.length() : 0),
        g(p.gap_weight),
        l(p.gap_length_weight),
        method(p.method) {}

  // Cell number k of (i, j): rows from First1, each row from First2.
  std::size_t cell(std::int32_t i, std::int32_t j) const noexcept {
    return std::size_t(i - first1) * std::size_t(len2) + std::size_t(j - first2);
  }
  std::size_t cells() const noexcept { return std::size_t(len1) * std::size_t(len2); }
  bool exact() const noexcept { return exact_gaps(g, l); }
};

// Prints Printed, when given, and raises the instance's INTERNAL_ERROR.
[[noreturn]] void internal_error(const Error_Context& context, Place place, const char* printed);

// The final score, refused beyond 32 bits.
std::int32_t to_score(std::int64_t value);

// The bounds that keep a pass's arithmetic exact in the width it runs in,
// and the minus infinities its gap chains start from.
namespace bounds {

// Far below any score, yet safe to add a weight to.
inline constexpr std::int64_t minus_infinity = std::numeric_limits<std::int64_t>::min() / 4;
inline constexpr std::int32_t minus_infinity_32 = -(std::int32_t(1) << 30);

template <class S>
constexpr S minus_infinity_of() noexcept {
  return sizeof(S) == 4 ? S(minus_infinity_32) : S(minus_infinity);
}

// Every score of a pass is that of an alignment of at most Len1 + Len2
// columns (or a gap or two beside one), so this bound keeps 32-bit
// arithmetic exact; beyond it a pass runs in 64 bits.
template <class Matrix>
bool scores_fit_32_bits(const Matrix& matrix, std::int32_t len1, std::int32_t len2, std::int32_t g,
                        std::int32_t l) noexcept {
  std::int64_t largest = 0;
  for (const auto& row : matrix) {
    for (std::int32_t v : row) largest = std::max<std::int64_t>(largest, v < 0 ? -std::int64_t(v) : v);
  }
  const std::int64_t gap = g < 0 ? -std::int64_t(g) : g, length = l < 0 ? -std::int64_t(l) : l;
  const std::int64_t bound = (std::int64_t(len1) + len2 + 2) * (largest + gap + length) + gap + length;
  return bound < (std::int64_t(1) << 29);
}

// 16-bit lanes. A vector pass computes the values of the recurrences, each
// plus at most two gap weights and scan_steps gap-length weights (a scan
// across a vector adds up to one per lane), and starts its gap chains from
// minus_infinity_16, to which it adds at most scan_steps gap-length weights.
inline constexpr std::int64_t scan_steps = 64;

constexpr std::int16_t minus_infinity_16(std::int32_t l) noexcept {
  const std::int64_t length = l < 0 ? -std::int64_t(l) : l;
  return std::int16_t(std::numeric_limits<std::int16_t>::min() + std::min<std::int64_t>(length * scan_steps, 16384));
}

// Whether those values all fit 16 bits, and stay above minus_infinity_16 and
// what is added to it. Every value of the recurrences is the score of a
// path towards the ends of the windows (or 0 for a local stop): above, at
// most min(Len1, Len2) pairs and Len1 + Len2 gapped residues, each gap
// adding G + k L; below, a local value is 0, a pair or an opening, and a
// global value is at least that of the two end gaps, plus a pair and an
// opening.
template <class Matrix>
bool scores_fit_16_bits(const Matrix& matrix, std::int32_t len1, std::int32_t len2, std::int32_t g, std::int32_t l,
                        bool global) noexcept {
  std::int64_t best_pair = 0, worst_pair = 0;
  for (const auto& row : matrix) {
    for (std::int32_t v : row) {
      best_pair = std::max<std::int64_t>(best_pair, v);
      worst_pair = std::min<std::int64_t>(worst_pair, v);
    }
  }
  const std::int64_t g_up = std::max(g, 0), g_down = std::min(g, 0), l_up = std::max(l, 0), l_down = std::min(l, 0);
  const std::int64_t residues = std::int64_t(len1) + len2;
  const std::int64_t high = std::min(len1, len2) * best_pair + residues * (g_up + l_up);
  const std::int64_t lowest_path = global ? 2 * g_down + residues * l_down : 0;
  const std::int64_t low = lowest_path + worst_pair + g_down + l_down;
  const std::int64_t g_abs = g_up - g_down, l_abs = l_up - l_down;
  const std::int64_t margin = 2 * g_abs + (scan_steps + 2) * l_abs;
  // minus_infinity_16 plus its steps stays below Low - Margin.
  const std::int64_t floor = std::int64_t(minus_infinity_16(l)) + scan_steps * l_abs;
  return l_abs * scan_steps <= 16384 && high + margin <= std::numeric_limits<std::int16_t>::max() &&
         low - margin > floor;
}

}  // namespace bounds

}  // namespace sequence_alignment::kernel
