// The fast GBK-aware separator search must agree with the plain character
// walk: a lead byte 0x81-0xFE takes the next byte with it when that byte is
// 0x40-0xFE.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "net/answers.h"

namespace {

std::size_t Walk(std::string_view text, std::string_view needle, std::size_t from) {
  for (std::size_t i = from; i < text.size();) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
    const auto c = static_cast<unsigned char>(text[i]);
    const bool pair = c >= 0x81 && c <= 0xFE && i + 1 < text.size() &&
                      static_cast<unsigned char>(text[i + 1]) >= 0x40 &&
                      static_cast<unsigned char>(text[i + 1]) <= 0xFE;
    i += pair ? 2 : 1;
  }
  return std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (std::string_view needle : {"@@", "||", "@", "|", "@@@@@"}) {
    // Follow the hits forward, as the parsers do.
    std::size_t from = 0;
    for (;;) {
      const std::size_t fast = tv::FindSeparator(text, needle, from);
      if (fast != Walk(text, needle, from)) std::abort();
      if (fast == std::string_view::npos) break;
      from = fast + needle.size();
    }
  }
  return 0;
}
