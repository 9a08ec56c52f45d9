#include "core/test_hooks.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tv {

bool TestHooksOn() {
  const char* value = std::getenv("TARVOLO_TEST_HOOKS");
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

void ReportTestEvent(const QString& line) {
  std::printf("TARVOLO %s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace tv
