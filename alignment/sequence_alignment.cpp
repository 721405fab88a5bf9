#include "sequence_alignment.h"

namespace sequence_alignment {

const char* Image(Alignment_Method value) noexcept {
  return value == Alignment_Method::GLOBAL_ALIGNMENT ? "GLOBAL_ALIGNMENT" : "LOCAL_ALIGNMENT";
}

const char* Image(Building_Mode value) noexcept {
  switch (value) {
    case Building_Mode::ONE: return "ONE";
    case Building_Mode::ALL_FIRSTS: return "ALL_FIRSTS";
    case Building_Mode::FULL: return "FULL";
  }
  return "?";
}

const char* Image(Optimize_Mode value) noexcept {
  switch (value) {
    case Optimize_Mode::NO: return "NO";
    case Optimize_Mode::SHORT: return "SHORT";
    case Optimize_Mode::LARGE: return "LARGE";
  }
  return "?";
}

const char* Image(Backward_Mode value) noexcept {
  switch (value) {
    case Backward_Mode::DVH: return "DVH";
    case Backward_Mode::DHV: return "DHV";
    case Backward_Mode::VDH: return "VDH";
    case Backward_Mode::VHD: return "VHD";
    case Backward_Mode::HDV: return "HDV";
    case Backward_Mode::HVD: return "HVD";
  }
  return "?";
}

}  // namespace sequence_alignment
