#include "platform/clock.h"

#include <sys/time.h>

#include <ctime>

namespace platform {

Clock_Reading clock() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  std::tm local{};
  const std::time_t whole = now.tv_sec;
  ::localtime_r(&whole, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_usec / 1e6};
}

}  // namespace platform
