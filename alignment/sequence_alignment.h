// The vocabulary of the alignment engine: the mode enumerations, the fixed
// summary record and the engine's exceptions.
#pragma once

#include <array>
#include <cstdint>

#include "platform/exceptions.h"
#include "sequence_specifications.h"

namespace sequence_alignment {

enum class Alignment_Method : std::uint8_t { GLOBAL_ALIGNMENT, LOCAL_ALIGNMENT };
enum class Building_Mode : std::uint8_t { ONE, ALL_FIRSTS, FULL };
enum class Optimize_Mode : std::uint8_t { NO, SHORT, LARGE };
enum class Backward_Mode : std::uint8_t { DVH, DHV, VDH, VHD, HDV, HVD };

const char* Image(Alignment_Method value) noexcept;
const char* Image(Building_Mode value) noexcept;
const char* Image(Optimize_Mode value) noexcept;
const char* Image(Backward_Mode value) noexcept;

using sequence_specifications::Strand;

struct Alignment_Summary {
  std::array<char, 10> Name_1{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  std::array<char, 10> Name_2{' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  Strand Strand_1 = Strand::WATSON;
  Strand Strand_2 = Strand::WATSON;
  Alignment_Method Method = Alignment_Method::GLOBAL_ALIGNMENT;
  std::int32_t Quality = 0;
  float Quality_Mean = 0.0f;
  float Quality_Std = 0.0f;
  float Quality_Z_Score = 0.0f;
  float Quality_Significance = 0.0f;
  float Ratio = 0.0f;
  float Percent_Similarity = 0.0f;
  float Percent_Identity = 0.0f;
  std::int32_t Length = 0;
  std::int32_t Matches = 0;
  std::int32_t Mismatches = 0;
  std::int32_t Gaps = 0;
  std::int32_t Gaps_Length = 0;
  std::int32_t Continuous_Matches = 0;
  std::int32_t Start_1 = 0;
  std::int32_t Stop_1 = 0;
  std::int32_t Start_2 = 0;
  std::int32_t Stop_2 = 0;
};

inline constexpr platform::Exception_Id INCONSISTENT_MODEL{"SEQUENCE_ALIGNMENT.INCONSISTENT_MODEL"};
inline constexpr platform::Exception_Id INCONSISTENT_RANGE{"SEQUENCE_ALIGNMENT.INCONSISTENT_RANGE"};
inline constexpr platform::Exception_Id INVALID_FORMAT{"SEQUENCE_ALIGNMENT.INVALID_FORMAT"};

}  // namespace sequence_alignment

namespace sequence_alignment {
// A begin or end position that was not given.
inline constexpr std::int32_t Unset_Position = -99999999;
// The longest window the engine aligns: the kernels keep gap lengths in 16 bits.
inline constexpr std::int32_t Longest_Window = 65535;
}  // namespace sequence_alignment
