// Keeping traced paths (the Optimize modes, each distinct path once) and
// turning each kept path into an alignment result with its statistics.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>

#include "alignment_results.h"
#include "kernel/sequence_alignment-kernel.h"
#include "strlib.h"

namespace sequence_alignment::kernel::paths {

// The kept paths, with a hash of their steps beside the list so that a
// path already kept is found without walking the list.
class Keeper {
 public:
  explicit Keeper(Optimize_Mode optimize) noexcept
      : optimize_(optimize),
        best_length_(optimize == Optimize_Mode::SHORT ? std::numeric_limits<std::int32_t>::max()
                                                      : std::numeric_limits<std::int32_t>::min()) {}

  // Keeps a copy of Steps(0 .. N-1), traced with Mode, as Optimize rules:
  // a better length restarts the list, an equal one joins it unless the
  // same path is kept already (then the first one's mode stays).
  void keep(const Path_Step* steps, std::int32_t n, Backward_Mode mode) {
    const std::int32_t length = steps[n - 1].Column;
    switch (utils::Compare(steps[n - 1], best_length_, optimize_)) {
      case utils::Comparison::BAD:
        return;
      case utils::Comparison::GOOD:
        utils::Clear_Paths(kept_);
        index_.clear();
        best_length_ = length;
        break;
      case utils::Comparison::EQUAL:
        break;
    }
    const std::uint64_t key = hash(steps, n);
    const auto [from, to] = index_.equal_range(key);
    for (auto at = from; at != to; ++at) {
      if (at->second.count == n && same(steps, at->second.steps, n)) return;
    }
    Path copy = Path::copy_of(steps, n, 1);
    // The steps stay where they are while the list holds the path.
    const Path_Step* held = copy.data();
    kept_.Push(utils::Optimal_Path(std::move(copy), mode));
    index_.emplace(key, Held{held, n});
  }

  // The kept paths in the order kept; the keeper is left empty.
  utils::Kept_Path_List take() {
    index_.clear();
    return std::move(kept_);
  }

 private:
  struct Held {
    const Path_Step* steps;
    std::int32_t count;
  };

  static std::uint64_t hash(const Path_Step* steps, std::int32_t n) noexcept {
    std::uint64_t mix = 0x9E3779B97F4A7C15ull ^ std::uint64_t(n);
    for (std::int32_t k = 0; k < n; ++k) {
      const std::uint64_t move = std::uint64_t(std::uint32_t(steps[k].Column)) << 32 |
                                 std::uint64_t(steps[k].Spare) << 8 | std::uint64_t(steps[k].Move);
      const std::uint64_t place = std::uint64_t(std::uint32_t(steps[k].I)) << 32 | std::uint32_t(steps[k].J);
      mix = (mix ^ move) * 0xFF51AFD7ED558CCDull;
      mix = (mix ^ place) * 0xC4CEB9FE1A85EC53ull;
      mix ^= mix >> 29;
    }
    return mix;
  }
  static bool same(const Path_Step* a, const Path_Step* b, std::int32_t n) noexcept {
    for (std::int32_t k = 0; k < n; ++k) {
      if (a[k].Column != b[k].Column || a[k].Spare != b[k].Spare || a[k].Move != b[k].Move || a[k].I != b[k].I ||
          a[k].J != b[k].J) {
        return false;
      }
    }
    return true;
  }

  Optimize_Mode optimize_;
  std::int32_t best_length_;
  utils::Kept_Path_List kept_;
  std::unordered_multimap<std::uint64_t, Held> index_;
};

// The matrix value from which an aligned pair counts as similar: the
// setting, or when negative the mean of the positive values off the
// diagonal of the whole matrix.
template <class A>
float similarity_threshold(const typename A::matrix_type& matrix, std::int32_t setting) noexcept {
  if (setting >= 0) return float(setting);
  float sum = 0.0f;
  int count = 0;
  for (int a = 0; a < A::size; ++a) {
    for (int b = 0; b < A::size; ++b) {
      const std::int32_t value = matrix[std::size_t(a)][std::size_t(b)];
      if (a != b && value > 0) {
        sum += float(value);
        ++count;
      }
    }
  }
  return count == 0 ? 0.0f : sum / float(count);
}

// The result of one kept path: its texts and statistics.
template <class A>
alignment_results::Alignment_Access result_of(const Problem<A>& p, const Frame& fr, const Path_Settings& settings,
                                              std::int32_t quality, const Error_Context& context,
                                              utils::Optimal_Path& kept, float threshold) {
  using Code = typename A::code_type;
  const bool global = is_global(fr.method);
  auto result = std::make_unique<alignment_results::Alignment>();
  alignment_results::Alignment& r = *result;
  const Path_Step* steps = kept.Path.data();
  const std::int32_t n = kept.Path.length();
  r.Method = global ? Alignment_Method::GLOBAL_ALIGNMENT : Alignment_Method::LOCAL_ALIGNMENT;
  r.Backward = kept.Backward;
  r.Match_Weight = settings.match_weight;
  r.Mismatch_Weight = settings.mismatch_weight;
  r.Gap_Weight = fr.g;
  r.Gap_Length_Weight = fr.l;
  r.Length = steps[n - 1].Column;
  r.Start_1 = global ? fr.first1 : steps[0].I;
  r.Start_2 = global ? fr.first2 : steps[0].J;
  r.Aligned_1 = strlib::String_Pointer(platform::Heap_Array<char>::make(1, r.Length));
  r.Aligned_2 = strlib::String_Pointer(platform::Heap_Array<char>::make(1, r.Length));
  char* out_1 = r.Aligned_1.data();
  char* out_2 = r.Aligned_2.data();

  const auto& matrix = *p.matrix;
  std::int32_t similar = 0, run = 0, aligned = 0;
  std::int32_t column = 0;
  const auto close_run = [&] {
    if (run > 0) {
      r.Continuous_Matches = std::max(r.Continuous_Matches, run);
      run = 0;
    }
  };
  for (std::int32_t s = 0; s < n; ++s) {
    const Path_Step& st = steps[s];
    if (st.Move == Step_Kind::STOP) {
      if (global && s == n - 1) break;
      if (global) internal_error(context, Place::global_stop_step, "Error IE004");
      internal_error(context, Place::local_stop_step, nullptr);
    }
    // A step's length: to the next step's cell in a global path (which
    // always ends with its STOP step), by the columns in a local one.
    std::int32_t length;
    if (global) {
      length = st.Move == Step_Kind::INSERT_1   ? steps[s + 1].J - st.J
               : st.Move == Step_Kind::INSERT_2 ? steps[s + 1].I - st.I
                                                : 1;
    } else {
      length = st.Column - (s == 0 ? 0 : steps[s - 1].Column);
    }
    const bool new_gap = s == 0 || steps[s - 1].Move != st.Move;
    switch (st.Move) {
      case Step_Kind::ALIGN: {
        const Code a = p.codes_1(st.I), b = p.codes_2(st.J);
        if (threshold <= float(matrix[std::size_t(a)][std::size_t(b)])) ++similar;
        out_1[column] = A::letter(a);
        out_2[column] = A::letter(b);
        ++column;
        ++aligned;
        if (a == b) {
          ++run;
          ++r.Number_Of_Match;
        } else {
          ++r.Number_Of_Mismatch;
          close_run();
        }
        break;
      }
      case Step_Kind::INSERT_1:
        for (std::int32_t x = 0; x < length; ++x, ++column) {
          out_1[column] = '.';
          out_2[column] = A::letter(p.codes_2(st.J + x));
        }
        if (new_gap) ++r.Nb_Gaps;
        r.Gaps_Length += length;
        close_run();
        break;
      case Step_Kind::INSERT_2:
        for (std::int32_t x = 0; x < length; ++x, ++column) {
          out_1[column] = A::letter(p.codes_1(st.I + x));
          out_2[column] = '.';
        }
        if (new_gap) ++r.Nb_Gaps;
        r.Gaps_Length += length;
        close_run();
        break;
      case Step_Kind::STOP:
        break;
    }
  }
  r.Continuous_Matches = std::max(r.Continuous_Matches, run);
  r.Quality = quality;

  if (global) {
    r.Stop_1 = steps[n - 1].I - 1;
    r.Stop_2 = steps[n - 1].J - 1;
    if (fr.method == Method::GLOBAL_FREE_ENDS) {
      // Free end gaps are no gaps.
      if (steps[0].Move == Step_Kind::INSERT_1 || steps[0].Move == Step_Kind::INSERT_2) {
        --r.Nb_Gaps;
        r.Gaps_Length -= steps[0].Column;
      }
      if (n >= 2) {
        const Path_Step& end = steps[n - 2];
        if (end.Move == Step_Kind::INSERT_1) {
          --r.Nb_Gaps;
          r.Gaps_Length -= fr.last2 - end.J + 1;
        } else if (end.Move == Step_Kind::INSERT_2) {
          --r.Nb_Gaps;
          r.Gaps_Length -= fr.last1 - end.I + 1;
        }
      }
    }
    r.Ratio = float(r.Quality) / float(std::min(fr.len1, fr.len2));
  } else {
    // The last residue of each sequence that the alignment holds: the last
    // step's cell when it is a pair. (A local path ends with a gap only
    // when gaps reward.)
    const Path_Step& last = steps[n - 1];
    const std::int32_t length = last.Column - (n == 1 ? 0 : steps[n - 2].Column);
    r.Stop_1 = last.I + (last.Move == Step_Kind::INSERT_2 ? length - 1 : last.Move == Step_Kind::INSERT_1 ? -1 : 0);
    r.Stop_2 = last.J + (last.Move == Step_Kind::INSERT_1 ? length - 1 : last.Move == Step_Kind::INSERT_2 ? -1 : 0);
    // A gap alone holds no residue of one sequence.
    const std::int32_t shorter = std::min(r.Stop_1 - r.Start_1, r.Stop_2 - r.Start_2) + 1;
    r.Ratio = shorter > 0 ? float(r.Quality) / float(shorter) : 0.0f;
  }
  // Both percentages count the aligned pairs; a path without any gives 0.
  if (aligned > 0) {
    r.Percent_Identity = float(100 * r.Number_Of_Match) / float(aligned);
    r.Percent_Similarity = float(100 * similar) / float(aligned);
  }
  utils::Free_Path(kept.Path);
  return result;
}

// One result per kept path, in list order; each path is released as its
// result is made.
template <class A>
alignment_results::Alignment_Array_Access results(const Problem<A>& p, const Frame& fr, const Path_Settings& settings,
                                                  std::int32_t quality, const Error_Context& context,
                                                  utils::Kept_Path_List kept) {
  auto array = std::make_unique<alignment_results::Alignment_Array>(1, kept.Count());
  const float threshold = similarity_threshold<A>(*p.matrix, settings.similarity_threshold);
  for (std::int32_t index = 1; kept.Is_Not_Empty(); ++index) {
    utils::Optimal_Path path = kept.Pop();
    (*array)(index) = result_of<A>(p, fr, settings, quality, context, path, threshold);
  }
  return array;
}

}  // namespace sequence_alignment::kernel::paths
