// tarvolo-service-test: tarvolo-service with the switches only tests need,
// read from the environment before main() runs:
//   TARVOLO_LOGIN_DELAY_UNIT_MS  the unit of the login throttle's delays
//                                (one second in the program)
#include <chrono>
#include <cstdlib>

#include "login_throttle.h"

namespace {

const bool kSwitchesRead = [] {
  if (const char* ms = std::getenv("TARVOLO_LOGIN_DELAY_UNIT_MS"); ms && std::atoi(ms) > 0) {
    tv::SetLoginDelayUnitForTesting(std::chrono::milliseconds(std::atoi(ms)));
  }
  return true;
}();

}  // namespace
