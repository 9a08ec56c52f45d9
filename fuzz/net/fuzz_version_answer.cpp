#include <cstdint>
#include <cstdlib>

#include "net/version_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const tv::VersionAnswer answer = tv::ParseVersionAnswer(body);
  if (answer.version.find('#') != std::string::npos ||
      answer.program_url.find('#') != std::string::npos) {
    std::abort();
  }
  // Never older than itself; never both older and newer.
  if (tv::VersionLess(answer.version, answer.version)) std::abort();
  if (tv::VersionLess("8.1.0.1", answer.version) && tv::VersionLess(answer.version, "8.1.0.1")) {
    std::abort();
  }
  return 0;
}
