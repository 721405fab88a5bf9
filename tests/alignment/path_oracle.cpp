#include "path_oracle.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string_view>

namespace path_oracle {

const char* name(Method method) noexcept {
  switch (method) {
    case Method::LOCAL: return "local";
    case Method::GLOBAL_WEIGHTED_ENDS: return "global, weighted ends";
    case Method::GLOBAL_FREE_ENDS: return "global, free ends";
  }
  return "?";
}

Fields fields_of(const alignment_results::Alignment& r) {
  Fields f;
  f.method = r.Method;
  f.backward = r.Backward;
  f.match_weight = r.Match_Weight;
  f.mismatch_weight = r.Mismatch_Weight;
  f.gap_weight = r.Gap_Weight;
  f.gap_length_weight = r.Gap_Length_Weight;
  f.length = r.Length;
  f.nb_gaps = r.Nb_Gaps;
  f.gaps_length = r.Gaps_Length;
  f.quality = r.Quality;
  f.ratio = r.Ratio;
  f.number_of_match = r.Number_Of_Match;
  f.number_of_mismatch = r.Number_Of_Mismatch;
  f.percent_similarity = r.Percent_Similarity;
  f.percent_identity = r.Percent_Identity;
  f.continuous_matches = r.Continuous_Matches;
  f.aligned_1 = r.Aligned_1.is_null() ? "(null)" : std::string(r.Aligned_1.view());
  f.aligned_2 = r.Aligned_2.is_null() ? "(null)" : std::string(r.Aligned_2.view());
  f.start_1 = r.Start_1;
  f.stop_1 = r.Stop_1;
  f.start_2 = r.Start_2;
  f.stop_2 = r.Stop_2;
  f.driver_fields_unset = r.Name_1.is_null() && r.Name_2.is_null() && r.Matrix_Name.is_null() &&
                          r.Model == sequence_specifications::Sequence_Model::NO &&
                          r.Strand_1 == sequence_specifications::Strand::WATSON &&
                          r.Strand_2 == sequence_specifications::Strand::WATSON && r.Quality_Mean == 0.0f &&
                          r.Quality_Std == 0.0f && r.Quality_Z_Score == 0.0f && r.Quality_Significance == 0.0f;
  return f;
}

std::string describe(const Fields& f) {
  char numbers[512];
  std::snprintf(numbers, sizeof numbers,
                " %s %s Q%d L%d gaps %d/%d M%d X%d C%d 1:%d-%d 2:%d-%d ratio %.9g sim %.9g id %.9g"
                " weights %d %d %d %d%s",
                f.method == Alignment_Method::LOCAL_ALIGNMENT ? "LOCAL" : "GLOBAL", Image(f.backward), f.quality,
                f.length, f.nb_gaps, f.gaps_length, f.number_of_match, f.number_of_mismatch, f.continuous_matches,
                f.start_1, f.stop_1, f.start_2, f.stop_2, double(f.ratio), double(f.percent_similarity),
                double(f.percent_identity), f.match_weight, f.mismatch_weight, f.gap_weight, f.gap_length_weight,
                f.driver_fields_unset ? "" : " (driver fields set)");
  return f.aligned_1 + "/" + f.aligned_2 + numbers;
}

std::string describe(const std::vector<Step>& steps) {
  std::string text;
  for (const Step& s : steps) {
    if (!text.empty()) text += ' ';
    text += s.move;
    text += '(' + std::to_string(s.i) + ',' + std::to_string(s.j) + ")" + std::to_string(s.column);
  }
  return text;
}

Oracle::Oracle(Couple couple)
    : couple_(std::move(couple)),
      m_(std::int32_t(couple_.codes_1.size())),
      n_(std::int32_t(couple_.codes_2.size())),
      local_(couple_.method == Method::LOCAL),
      weighted_(couple_.method == Method::GLOBAL_WEIGHTED_ENDS),
      free_ends_(couple_.method == Method::GLOBAL_FREE_ENDS) {
  const std::size_t cells = std::size_t(m_ + 1) * std::size_t(n_ + 1);
  for (auto* table : {&h_, &d_, &e_, &f_, &x_, &y_, &e_length_, &f_length_}) table->assign(cells, 0);
  const std::int64_t G = couple_.gap, L = couple_.gap_length;
  const std::int64_t none = std::numeric_limits<std::int64_t>::min() / 4;

  // Beyond the windows: nothing more to align scores 0, except that with
  // weighted ends what is left of the other sequence is an end gap.
  for (std::int32_t c = 0; c < n_; ++c) at(h_, m_, c) = weighted_ ? G + L * (n_ - c) : 0;
  for (std::int32_t r = 0; r < m_; ++r) at(h_, r, n_) = weighted_ ? G + L * (m_ - r) : 0;
  at(h_, m_, n_) = 0;
  for (std::int32_t c = 0; c <= n_; ++c) at(x_, m_, c) = at(y_, m_, c) = at(h_, m_, c);
  for (std::int32_t r = 0; r < m_; ++r) at(x_, r, n_) = at(y_, r, n_) = at(h_, r, n_);

  for (std::int32_t r = m_ - 1; r >= 0; --r) {
    for (std::int32_t c = n_ - 1; c >= 0; --c) {
      const std::int64_t d = at(h_, r + 1, c + 1) + pair_score(r, c);
      // A horizontal gap of k residues, then anything but a horizontal gap
      // from (r, c + k). Running into the column beyond the window with
      // weighted ends, it may also join the end gap there: one opening for
      // both.
      std::int64_t f = none, f_length = 0;
      for (std::int32_t k = 1; c + k <= n_; ++k) {
        std::int64_t value = at(x_, r, c + k) + G + k * L;
        if (c + k == n_ && weighted_) value = std::max(value, at(h_, r, n_) + k * L);
        if (value >= f) {
          f = value;
          f_length = k;
        }
      }
      std::int64_t e = none, e_length = 0;
      for (std::int32_t k = 1; r + k <= m_; ++k) {
        std::int64_t value = at(y_, r + k, c) + G + k * L;
        if (r + k == m_ && weighted_) value = std::max(value, at(h_, m_, c) + k * L);
        if (value >= e) {
          e = value;
          e_length = k;
        }
      }
      const std::int64_t floor = local_ ? 0 : none;
      at(d_, r, c) = d;
      at(e_, r, c) = e;
      at(f_, r, c) = f;
      at(e_length_, r, c) = e_length;
      at(f_length_, r, c) = f_length;
      at(x_, r, c) = std::max({d, e, floor});
      at(y_, r, c) = std::max({d, f, floor});
      at(h_, r, c) = std::max({d, e, f, floor});
    }
  }

  // Where paths start, in the order they are found.
  std::int64_t best = std::numeric_limits<std::int64_t>::min();
  const auto offer = [&](std::int64_t value, Cell cell) {
    if (value > best) {
      best = value;
      starts_.clear();
    }
    if (value == best) starts_.push_back(cell);
  };
  if (local_) {
    // The cells of the best positive score, from the last row and, in a
    // row, from the last column; none positive: every cell, score 0.
    for (std::int32_t r = m_ - 1; r >= 0; --r) {
      for (std::int32_t c = n_ - 1; c >= 0; --c) offer(at(h_, r, c), {r, c});
    }
    if (best <= 0) {
      best = 0;
      starts_.clear();
      for (std::int32_t r = m_ - 1; r >= 0; --r) {
        for (std::int32_t c = n_ - 1; c >= 0; --c) starts_.push_back({r, c});
      }
    }
  } else if (weighted_) {
    best = at(h_, 0, 0);
    starts_.push_back({0, 0});
  } else {
    // Free ends: the first column from the bottom, after a free leading
    // gap over sequence 1 (then no vertical gap), the corner with its pair,
    // then the first row, after a free leading gap over sequence 2 (then
    // no horizontal gap), up to the column beyond: nothing aligned.
    for (std::int32_t r = m_ - 1; r > 0; --r) offer(at(y_, r, 0), {r, 0});
    offer(at(d_, 0, 0), {0, 0});
    for (std::int32_t c = 1; c < n_; ++c) offer(at(x_, 0, c), {0, c});
    offer(0, {0, n_});
  }
  if (best < std::numeric_limits<std::int32_t>::min() || best > std::numeric_limits<std::int32_t>::max()) {
    throw std::logic_error("the oracle's best score does not fit 32 bits");
  }
  quality_ = std::int32_t(best);
}

std::int64_t Oracle::pair_score(std::int32_t r, std::int32_t c) const {
  return couple_.matrix[std::size_t(couple_.codes_1[std::size_t(r)])][std::size_t(couple_.codes_2[std::size_t(c)])];
}

// The moves that reach the value a path stands on at a cell: H when it
// arrives freely, X after a horizontal gap (which cannot go on), Y after a
// vertical one; a local path stops where that value is 0.
Oracle::Moves Oracle::moves(Cell cell, Arrival arrival) const {
  const std::int64_t value = arrival == Arrival::FREE      ? at(h_, cell.r, cell.c)
                             : arrival == Arrival::AFTER_H ? at(x_, cell.r, cell.c)
                                                           : at(y_, cell.r, cell.c);
  Moves mv;
  mv.stop = local_ && value == 0;
  mv.pair = at(d_, cell.r, cell.c) == value;
  mv.horizontal = arrival != Arrival::AFTER_H && at(f_, cell.r, cell.c) == value;
  mv.vertical = arrival != Arrival::AFTER_V && at(e_, cell.r, cell.c) == value;
  return mv;
}

std::vector<Step> Oracle::trace(Cell start, Backward_Mode mode) const {
  // The mode's name spells the order of the moves.
  const std::string_view order = Image(mode);
  std::vector<Step> steps;
  std::int32_t r = start.r, c = start.c, column = 0;
  Arrival arrival = Arrival::FREE;
  const auto add = [&](char move, std::int32_t length) {
    column += length;
    steps.push_back({move, couple_.first_1 + r, couple_.first_2 + c, column});
  };
  const auto one_move = [&] {
    const Moves mv = moves({r, c}, arrival);
    for (const char letter : order) {
      if (letter == 'D' && mv.pair) {
        add('D', 1);
        ++r;
        ++c;
        arrival = Arrival::FREE;
        return;
      }
      if (letter == 'H' && mv.horizontal) {
        const std::int32_t length = std::int32_t(at(f_length_, r, c));
        add('H', length);
        c += length;
        arrival = Arrival::AFTER_H;
        return;
      }
      if (letter == 'V' && mv.vertical) {
        const std::int32_t length = std::int32_t(at(e_length_, r, c));
        add('V', length);
        r += length;
        arrival = Arrival::AFTER_V;
        return;
      }
    }
    throw std::logic_error("the oracle found no move at a cell of a path");
  };

  if (local_) {
    // The pair at the start cell begins the path, unless the score there
    // is made by gaps alone (which only gaps that cost nothing allow).
    if (quality_ == 0 || at(d_, r, c) == at(h_, r, c)) {
      add('D', 1);
      ++r;
      ++c;
    }
    while (r < m_ && c < n_ && !moves({r, c}, arrival).stop) one_move();
    return steps;
  }

  // Global: the leading gap to a start cell on the first row or column,
  // or the pair at the corner when the ends are free.
  if (r == 0 && c > 0) {
    column = c;
    steps.push_back({'H', couple_.first_1, couple_.first_2, column});
    arrival = Arrival::AFTER_H;
  } else if (c == 0 && r > 0) {
    column = r;
    steps.push_back({'V', couple_.first_1, couple_.first_2, column});
    arrival = Arrival::AFTER_V;
  } else if (free_ends_) {
    add('D', 1);
    ++r;
    ++c;
  }
  while (r < m_ && c < n_) one_move();
  if (r == m_ && c < n_) {
    add('H', n_ - c);
    c = n_;
  } else if (c == n_ && r < m_) {
    add('V', m_ - r);
    r = m_;
  }
  add('S', 0);
  return steps;
}

template <class Visit>
void Oracle::build(const Settings& s, Visit visit) const {
  constexpr Backward_Mode every_mode[] = {Backward_Mode::DVH, Backward_Mode::DHV, Backward_Mode::VDH,
                                          Backward_Mode::VHD, Backward_Mode::HDV, Backward_Mode::HVD};
  for (const Cell& start : starts_) {
    if (s.building == Building_Mode::FULL) {
      for (Backward_Mode mode : every_mode) visit(Traced{trace(start, mode), mode});
    } else {
      visit(Traced{trace(start, s.backward), s.backward});
      if (s.building == Building_Mode::ONE) return;
    }
  }
}

std::vector<std::vector<Step>> Oracle::traced(const Settings& settings) const {
  std::vector<std::vector<Step>> all;
  build(settings, [&](Traced&& path) { all.push_back(std::move(path.steps)); });
  return all;
}

std::vector<Expected> Oracle::results(const Settings& settings) const {
  std::vector<Traced> kept;
  // SHORT keeps the shortest paths, LARGE the longest, NO every one; a
  // path already kept is kept once, with the first one's mode.
  std::int32_t best_length = settings.optimize == Optimize_Mode::SHORT ? std::numeric_limits<std::int32_t>::max()
                                                                       : std::numeric_limits<std::int32_t>::min();
  build(settings, [&](Traced&& path) {
    const std::int32_t length = path.steps.back().column;
    const bool better = (settings.optimize == Optimize_Mode::SHORT && length < best_length) ||
                        (settings.optimize == Optimize_Mode::LARGE && length > best_length);
    const bool worse = (settings.optimize == Optimize_Mode::SHORT && length > best_length) ||
                       (settings.optimize == Optimize_Mode::LARGE && length < best_length);
    if (worse) return;
    if (better) {
      kept.clear();
      best_length = length;
    }
    for (const Traced& k : kept) {
      if (k.steps == path.steps) return;
    }
    kept.push_back(std::move(path));
  });
  std::vector<Expected> out;
  for (const Traced& path : kept) out.push_back({fields(path, settings), path.steps});
  return out;
}

Fields Oracle::fields(const Traced& path, const Settings& settings) const {
  const std::vector<Step>& steps = path.steps;
  Fields f;
  f.method = local_ ? Alignment_Method::LOCAL_ALIGNMENT : Alignment_Method::GLOBAL_ALIGNMENT;
  f.backward = path.mode;
  f.match_weight = settings.match_weight;
  f.mismatch_weight = settings.mismatch_weight;
  f.gap_weight = couple_.gap;
  f.gap_length_weight = couple_.gap_length;
  f.quality = quality_;
  f.length = steps.back().column;

  // The threshold from which a pair is similar: the setting, or the mean
  // of the positive values off the diagonal of the whole matrix.
  float threshold = float(settings.similarity_threshold);
  if (settings.similarity_threshold < 0) {
    float sum = 0.0f;
    int count = 0;
    for (std::size_t a = 0; a < couple_.matrix.size(); ++a) {
      for (std::size_t b = 0; b < couple_.matrix[a].size(); ++b) {
        if (a != b && couple_.matrix[a][b] > 0) {
          sum += float(couple_.matrix[a][b]);
          ++count;
        }
      }
    }
    threshold = count == 0 ? 0.0f : sum / float(count);
  }

  std::int32_t similar = 0, pairs = 0, run = 0;
  const auto close_run = [&] {
    f.continuous_matches = std::max(f.continuous_matches, run);
    run = 0;
  };
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const Step& s = steps[k];
    const std::int32_t length = s.column - (k == 0 ? 0 : steps[k - 1].column);
    const bool opens = k == 0 || steps[k - 1].move != s.move;
    if (s.move == 'D') {
      const int a = couple_.codes_1[std::size_t(s.i - couple_.first_1)];
      const int b = couple_.codes_2[std::size_t(s.j - couple_.first_2)];
      f.aligned_1 += couple_.letters[std::size_t(a)];
      f.aligned_2 += couple_.letters[std::size_t(b)];
      ++pairs;
      if (threshold <= float(couple_.matrix[std::size_t(a)][std::size_t(b)])) ++similar;
      if (a == b) {
        ++f.number_of_match;
        ++run;
      } else {
        ++f.number_of_mismatch;
        close_run();
      }
    } else if (s.move == 'H' || s.move == 'V') {
      for (std::int32_t x = 0; x < length; ++x) {
        if (s.move == 'H') {
          f.aligned_1 += '.';
          f.aligned_2 += couple_.letters[std::size_t(couple_.codes_2[std::size_t(s.j + x - couple_.first_2)])];
        } else {
          f.aligned_1 += couple_.letters[std::size_t(couple_.codes_1[std::size_t(s.i + x - couple_.first_1)])];
          f.aligned_2 += '.';
        }
      }
      if (opens) ++f.nb_gaps;
      f.gaps_length += length;
      close_run();
    }
  }
  close_run();

  if (local_) {
    // The last residue of each sequence the alignment holds.
    const Step& last = steps.back();
    const std::int32_t length = last.column - (steps.size() == 1 ? 0 : steps[steps.size() - 2].column);
    f.start_1 = steps.front().i;
    f.start_2 = steps.front().j;
    f.stop_1 = last.move == 'V' ? last.i + length - 1 : last.move == 'H' ? last.i - 1 : last.i;
    f.stop_2 = last.move == 'H' ? last.j + length - 1 : last.move == 'V' ? last.j - 1 : last.j;
    const std::int32_t shorter = std::min(f.stop_1 - f.start_1, f.stop_2 - f.start_2) + 1;
    f.ratio = shorter > 0 ? float(f.quality) / float(shorter) : 0.0f;
  } else {
    f.start_1 = couple_.first_1;
    f.start_2 = couple_.first_2;
    f.stop_1 = couple_.first_1 + m_ - 1;
    f.stop_2 = couple_.first_2 + n_ - 1;
    if (free_ends_) {
      // Free end gaps are not counted as gaps.
      if (steps.front().move != 'D') {
        --f.nb_gaps;
        f.gaps_length -= steps.front().column;
      }
      const Step& end = steps[steps.size() - 2];
      if (end.move == 'H') {
        --f.nb_gaps;
        f.gaps_length -= f.stop_2 - end.j + 1;
      } else if (end.move == 'V') {
        --f.nb_gaps;
        f.gaps_length -= f.stop_1 - end.i + 1;
      }
    }
    f.ratio = float(f.quality) / float(std::min(m_, n_));
  }
  if (pairs > 0) {
    f.percent_identity = float(100 * f.number_of_match) / float(pairs);
    f.percent_similarity = float(100 * similar) / float(pairs);
  }
  return f;
}

std::int64_t Oracle::score_of(const std::vector<Step>& steps) const {
  const std::int64_t G = couple_.gap, L = couple_.gap_length;
  // Runs of steps: a pair each, a gap run per maximal stretch of gap steps
  // in one direction.
  struct Run {
    char move;
    std::int64_t length;
  };
  std::vector<Run> runs;
  std::int64_t score = 0;
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const Step& s = steps[k];
    const std::int64_t length = s.column - (k == 0 ? 0 : steps[k - 1].column);
    if (s.move == 'D') {
      score += couple_.matrix[std::size_t(couple_.codes_1[std::size_t(s.i - couple_.first_1)])]
                             [std::size_t(couple_.codes_2[std::size_t(s.j - couple_.first_2)])];
      runs.push_back({'D', 1});
    } else if (s.move == 'H' || s.move == 'V') {
      if (!runs.empty() && runs.back().move == s.move) {
        runs.back().length += length;
      } else {
        runs.push_back({s.move, length});
      }
    }
  }
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (runs[k].move == 'D') continue;
    const bool end = k == 0 || k + 1 == runs.size();
    if (free_ends_ && end) continue;
    score += G + L * runs[k].length;
  }
  if (weighted_ && runs.size() >= 2 && runs.back().move != 'D' && runs[runs.size() - 2].move != 'D') {
    score -= std::min<std::int64_t>(G, 0);
  }
  return score;
}

}  // namespace path_oracle
