#include <cstdint>
#include <cstdlib>

#include "net/totals_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  if (tv::ParseTotalsAnswer(body).has_value() != (!body.empty() && body != "Error")) std::abort();
  return 0;
}
