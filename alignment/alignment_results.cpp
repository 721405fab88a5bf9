#include "alignment_results.h"

namespace alignment_results {

Alignment_Array::Alignment_Array(std::int32_t first, std::int32_t last) : first_(first) {
  if (last >= first) items_.resize(std::size_t(std::int64_t(last) - first + 1));
}

Alignment_Access Free_Alignment(Alignment_Access item) noexcept {
  item.reset();
  return nullptr;
}

Alignment_Array_Access Free_Alignments(Alignment_Array_Access items) noexcept {
  if (!items) return nullptr;
  for (std::int32_t i = items->first(); i <= items->last(); ++i) {
    (*items)(i) = Free_Alignment(std::move((*items)(i)));
  }
  items.reset();
  return nullptr;
}

sequence_alignment::Alignment_Summary To_Summary(const Alignment& item) noexcept {
  sequence_alignment::Alignment_Summary summary;
  strlib::Move_Padded(summary.Name_1, item.Name_1);
  strlib::Move_Padded(summary.Name_2, item.Name_2);
  summary.Strand_1 = item.Strand_1;
  summary.Strand_2 = item.Strand_2;
  summary.Method = item.Method;
  summary.Quality = item.Quality;
  summary.Quality_Mean = item.Quality_Mean;
  summary.Quality_Std = item.Quality_Std;
  summary.Quality_Z_Score = item.Quality_Z_Score;
  summary.Quality_Significance = item.Quality_Significance;
  summary.Ratio = item.Ratio;
  summary.Percent_Similarity = item.Percent_Similarity;
  summary.Percent_Identity = item.Percent_Identity;
  summary.Length = item.Length;
  summary.Matches = item.Number_Of_Match;
  summary.Mismatches = item.Number_Of_Mismatch;
  summary.Gaps = item.Nb_Gaps;
  summary.Gaps_Length = item.Gaps_Length;
  summary.Continuous_Matches = item.Continuous_Matches;
  summary.Start_1 = item.Start_1;
  summary.Stop_1 = item.Stop_1;
  summary.Start_2 = item.Start_2;
  summary.Stop_2 = item.Stop_2;
  return summary;
}

}  // namespace alignment_results
