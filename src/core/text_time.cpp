#include "core/text_time.h"

#include <cstdio>

namespace tv {

std::string TimeText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%d-%d-%d %d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buffer;
}

std::string TimeTextNow() { return TimeText(std::time(nullptr)); }

}  // namespace tv
