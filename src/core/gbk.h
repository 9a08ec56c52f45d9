#pragma once
// GBK text handling. Below the widgets every text is GBK bytes in a std::string;
// conversion happens only at the edges (widgets, tarvolo-cli) through iconv.
#include <cstddef>
#include <string>
#include <string_view>

namespace tv {

// The failure text of the transport and the settings store.
inline constexpr std::string_view kError = "Error";

// GBK -> UTF-8. A byte sequence that is not GBK becomes U+FFFD; never fails.
std::string GbkToUtf8(std::string_view gbk);
// UTF-8 -> GBK. A character GBK cannot hold (or bad UTF-8) becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// Length in characters, counted from the end: a last byte of 0x80 or above
// closes a two-byte character. This is the count every length limit uses.
std::size_t CharCount(std::string_view gbk);

// True when the byte at `pos` starts a character (scanning forward from 0).
// Used by searches that must not match a trail byte.
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c != 0xFF; }

}  // namespace tv

// A fixed text of the program, written once in UTF-8 and converted to GBK
// once per call site (thread-safe static). Yields a const std::string&.
#define TV_TEXT(utf8_literal)                                              \
  ([]() -> const std::string& {                                            \
    static const std::string kGbkText = ::tv::Utf8ToGbk(utf8_literal);     \
    return kGbkText;                                                       \
  }())
