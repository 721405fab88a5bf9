// A reference for the co-optimal paths of the kernels on small couples.
//
// The three-state values (the pair first, a vertical gap first, a
// horizontal gap first) are computed by plain dynamic programming over full
// matrices, from the ends of the windows backwards as the kernels score; a
// gap's value is the best over every length it may have, and its length is
// the longest of the best (a tie extends). The co-optimal moves of a cell,
// and the traceback, Building and Optimize rules then give the ordered
// results the aligners must return. Nothing here shares code with the
// kernels but their enumeration of the methods: it is written from the
// rules alone, for windows of a few residues, where clarity matters and
// speed does not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "alignment_results.h"
#include "kernel/sequence_alignment-kernel.h"
#include "sequence_alignment.h"

namespace path_oracle {

using sequence_alignment::Alignment_Method;
using sequence_alignment::Backward_Mode;
using sequence_alignment::Building_Mode;
using sequence_alignment::Optimize_Mode;

using sequence_alignment::kernel::Method;
const char* name(Method method) noexcept;

// Two windows and how they are scored. Codes index Letters and Matrix,
// whose row is sequence 1's code.
struct Couple {
  std::vector<int> codes_1, codes_2;
  std::int32_t first_1 = 1, first_2 = 1;
  std::string letters;
  std::vector<std::vector<std::int32_t>> matrix;
  std::int32_t gap = 0, gap_length = 0;
  Method method = Method::LOCAL;
};

struct Settings {
  Backward_Mode backward = Backward_Mode::DVH;
  Building_Mode building = Building_Mode::ONE;
  Optimize_Mode optimize = Optimize_Mode::NO;
  std::int32_t similarity_threshold = -1;
  std::int32_t match_weight = 0, mismatch_weight = 0;
};

// Every field of a result that a kernel fills; the fields the drivers fill
// afterwards must still hold their defaults.
struct Fields {
  Alignment_Method method = Alignment_Method::GLOBAL_ALIGNMENT;
  Backward_Mode backward = Backward_Mode::DVH;
  std::int32_t match_weight = 0, mismatch_weight = 0, gap_weight = 0, gap_length_weight = 0;
  std::int32_t length = 0, nb_gaps = 0, gaps_length = 0, quality = 0;
  float ratio = 0.0f;
  std::int32_t number_of_match = 0, number_of_mismatch = 0;
  float percent_similarity = 0.0f, percent_identity = 0.0f;
  std::int32_t continuous_matches = 0;
  std::string aligned_1, aligned_2;
  std::int32_t start_1 = 0, stop_1 = 0, start_2 = 0, stop_2 = 0;
  bool driver_fields_unset = true;

  bool operator==(const Fields&) const = default;
};

Fields fields_of(const alignment_results::Alignment& result);
// One line with every field.
std::string describe(const Fields& fields);

// One step of a traced path: the move made from cell (I, J), 'D' a pair,
// 'H' a gap in sequence 1 (residues of sequence 2: INSERT_1), 'V' a gap in
// sequence 2 (INSERT_2), 'S' the end of a global path; Column counts the
// alignment columns up to the end of the move.
struct Step {
  char move;
  std::int32_t i, j, column;

  bool operator==(const Step&) const = default;
};
std::string describe(const std::vector<Step>& steps);

struct Expected {
  Fields fields;
  std::vector<Step> steps;
};

class Oracle {
 public:
  explicit Oracle(Couple couple);

  std::int32_t quality() const noexcept { return quality_; }

  // The results, in order, that the aligner returns with these settings.
  std::vector<Expected> results(const Settings& settings) const;

  // Every path that Building traces with these settings, before keeping.
  std::vector<std::vector<Step>> traced(const Settings& settings) const;

  // A path's score from its steps alone: each pair its matrix value, each
  // run of gap steps in one direction G + k L, free end gaps free, and two
  // charged end gaps meeting at the far corner sharing one opening when
  // opening does not reward.
  std::int64_t score_of(const std::vector<Step>& steps) const;

 private:
  enum class Arrival : std::uint8_t { FREE, AFTER_H, AFTER_V };
  struct Cell {
    std::int32_t r, c;  // offsets from the windows' first positions
  };
  struct Moves {
    bool stop = false, pair = false, horizontal = false, vertical = false;
  };
  struct Traced {
    std::vector<Step> steps;
    Backward_Mode mode;
  };

  std::int64_t& at(std::vector<std::int64_t>& table, std::int32_t r, std::int32_t c) {
    return table[std::size_t(r) * std::size_t(n_ + 1) + std::size_t(c)];
  }
  std::int64_t at(const std::vector<std::int64_t>& table, std::int32_t r, std::int32_t c) const {
    return table[std::size_t(r) * std::size_t(n_ + 1) + std::size_t(c)];
  }
  std::int64_t pair_score(std::int32_t r, std::int32_t c) const;
  Moves moves(Cell cell, Arrival arrival) const;
  std::vector<Step> trace(Cell start, Backward_Mode mode) const;
  template <class Visit>
  void build(const Settings& settings, Visit visit) const;
  Fields fields(const Traced& path, const Settings& settings) const;

  Couple couple_;
  std::int32_t m_, n_;
  bool local_, weighted_, free_ends_;
  // Per cell (rows 0..m, columns 0..n; row m and column n lie beyond the
  // windows): H the best of what starts there, D with the pair first, E
  // with a vertical gap first, F with a horizontal one, X the best without
  // a horizontal gap first, Y without a vertical one; the gaps' lengths.
  std::vector<std::int64_t> h_, d_, e_, f_, x_, y_, e_length_, f_length_;
  std::vector<Cell> starts_;
  std::int32_t quality_ = 0;
};

}  // namespace path_oracle
