// The lenient decoder takes any bytes; its output never holds a zero byte and
// re-encodes to something that decodes to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "net/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string decoded = tv::DecodeBase64Lenient(text);
  if (decoded.size() > (size + 3) / 4 * 3) std::abort();
  if (decoded.find('\0') != std::string::npos) std::abort();
  if (tv::DecodeBase64Lenient(tv::EncodeBase64(decoded)) != decoded) std::abort();
  return 0;
}
