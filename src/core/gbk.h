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

// Bytes taken by the character that starts at `pos`: 2 for a lead byte with a
// byte after it, otherwise 1.
inline std::size_t CharWidthAt(std::string_view gbk, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(gbk[pos])) && pos + 1 < gbk.size() ? 2 : 1;
}

// The first occurrence of `word` in `text` that starts on a character
// boundary at or after `from` (itself a boundary); npos when there is none.
// A byte match that began on a trail byte would pair the halves of two
// characters and find a word the text does not hold. An empty word is found
// at `from`.
std::size_t FindWholeChars(std::string_view text, std::string_view word, std::size_t from = 0);
inline bool ContainsWholeChars(std::string_view text, std::string_view word) {
  return FindWholeChars(text, word) != std::string_view::npos;
}

// The text with its ASCII letters lowered. The trail byte of a double-byte
// character may fall in the letter range (0x41-0x5A); it belongs to the
// character and stays as it is.
std::string GbkAsciiLower(std::string_view gbk);

}  // namespace tv

// A fixed text of the program, written once in UTF-8 and converted to GBK
// once per call site (thread-safe static). Yields a const std::string&.
#define TV_TEXT(utf8_literal)                                              \
  ([]() -> const std::string& {                                            \
    static const std::string kGbkText = ::tv::Utf8ToGbk(utf8_literal);     \
    return kGbkText;                                                       \
  }())
