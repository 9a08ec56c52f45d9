#include <cstdint>
#include <cstdlib>

#include "net/answers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  for (const auto& pair : tv::ParseIdList(body)) {
    if (pair.LogId.empty() || tv::FindSeparator(pair.LogId, "@") != std::string::npos ||
        tv::FindSeparator(pair.LogId, "|") != std::string::npos) {
      std::abort();
    }
  }
  return 0;
}
