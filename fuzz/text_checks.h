#pragma once
// What the text targets of every area check: GBK that stays GBK, and the
// pieces a fuzz input is cut into.
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

// Stops the run with a finding when `ok` is false.
#define TV_REQUIRE(ok) ((ok) ? void(0) : ::tv::fuzz::Fail(#ok, __FILE__, __LINE__))

namespace tv::fuzz {

// Stops the run with a finding, naming the check that failed.
[[noreturn]] inline void Fail(const char* check, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, check);
  std::abort();
}

// GBK as the service stores it: bytes below 0x80 alone, a lead byte
// 0x81-0xFE followed by a trail byte 0x40-0xFE other than 0x7F.
inline bool IsValidGbk(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    if (c == 0x80 || c == 0xFF || i + 1 == text.size()) return false;
    const auto t = static_cast<unsigned char>(text[++i]);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
  }
  return true;
}

inline bool AllValidGbk(std::initializer_list<std::string_view> texts) {
  for (std::string_view t : texts) {
    if (!IsValidGbk(t)) return false;
  }
  return true;
}

// The text up to the next '\n' (all of it when there is none); `input`
// keeps what follows the '\n'.
inline std::string_view TakeLine(std::string_view& input) {
  const std::size_t end = input.find('\n');
  const std::string_view line = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return line;
}

// The first byte of `input` (0 when empty), taken off it.
inline unsigned TakeByte(std::string_view& input) {
  if (input.empty()) return 0;
  const auto byte = static_cast<unsigned char>(input.front());
  input.remove_prefix(1);
  return byte;
}

}  // namespace tv::fuzz
