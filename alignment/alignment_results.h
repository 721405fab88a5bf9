// The result of one aligned path, its owning pointer and the array of them
// that the aligners return.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sequence_alignment.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace alignment_results {

using sequence_alignment::Alignment_Method;
using sequence_alignment::Backward_Mode;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;

struct Alignment {
  strlib::String_Pointer Name_1;
  strlib::String_Pointer Name_2;
  Strand Strand_1 = Strand::WATSON;
  Strand Strand_2 = Strand::WATSON;
  Sequence_Model Model = Sequence_Model::NO;
  Alignment_Method Method = Alignment_Method::GLOBAL_ALIGNMENT;
  Backward_Mode Backward = Backward_Mode::DVH;
  strlib::String_Pointer Matrix_Name;
  std::int32_t Gap_Weight = -50;
  std::int32_t Gap_Length_Weight = -3;
  std::int32_t Match_Weight = 100;
  std::int32_t Mismatch_Weight = -90;
  std::int32_t Length = 0;
  std::int32_t Nb_Gaps = 0;
  std::int32_t Gaps_Length = 0;
  std::int32_t Quality = 0;
  float Quality_Mean = 0.0f;
  float Quality_Std = 0.0f;
  float Quality_Z_Score = 0.0f;
  float Quality_Significance = 0.0f;
  float Ratio = 0.0f;
  std::int32_t Number_Of_Match = 0;
  std::int32_t Number_Of_Mismatch = 0;
  float Percent_Similarity = 0.0f;
  float Percent_Identity = 0.0f;
  std::int32_t Continuous_Matches = 0;
  strlib::String_Pointer Aligned_1;
  std::int32_t Start_1 = 0;
  std::int32_t Stop_1 = 0;
  strlib::String_Pointer Aligned_2;
  std::int32_t Start_2 = 0;
  std::int32_t Stop_2 = 0;
};

using Alignment_Access = std::unique_ptr<Alignment>;

// Owned records with their own bounds (the aligners make 1..n).
class Alignment_Array {
 public:
  Alignment_Array(std::int32_t first, std::int32_t last);

  std::int32_t first() const noexcept { return first_; }
  std::int32_t last() const noexcept { return std::int32_t(first_ + std::int64_t(items_.size()) - 1); }
  std::int32_t length() const noexcept { return std::int32_t(items_.size()); }
  Alignment_Access& operator()(std::int32_t i) { return items_[std::size_t(std::int64_t(i) - first_)]; }
  const Alignment_Access& operator()(std::int32_t i) const {
    return items_[std::size_t(std::int64_t(i) - first_)];
  }

 private:
  std::int32_t first_;
  std::vector<Alignment_Access> items_;
};

using Alignment_Array_Access = std::unique_ptr<Alignment_Array>;

// Releases the record and its strings; the result is always null.
Alignment_Access Free_Alignment(Alignment_Access item) noexcept;
// Releases every record in index order, then the array; always null.
Alignment_Array_Access Free_Alignments(Alignment_Array_Access items) noexcept;

sequence_alignment::Alignment_Summary To_Summary(const Alignment& item) noexcept;

}  // namespace alignment_results
