// The local date and time of day.
#pragma once

namespace platform {

struct Clock_Reading {
  int year;
  int month;  // 1..12
  int day;    // 1..31
  double seconds;  // since midnight, with the fraction
};

Clock_Reading clock();

}  // namespace platform
