#include <cstdint>

#include "record_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  std::size_t seen = 0;
  tv::ParseCountedPage(body, [&](const tv::InfoRecordView& r) {
    tv::fuzz::CheckRecord(body, r);
    ++seen;
  });
  if (tv::ParseCountedPage(body).records.size() != seen) std::abort();
  if (seen > 0 && !tv::HasItems(body)) std::abort();
  return 0;
}
