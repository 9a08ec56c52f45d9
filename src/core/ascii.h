#pragma once
// ASCII letter case, for protocol words (header names, query keys, user
// names). GBK bytes are all >= 0x81 and never change. Key paths of the
// settings store fold with their own GBK-aware rule (a trail byte may look
// like a letter).
#include <string>
#include <string_view>

namespace tv {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiFolded(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

}  // namespace tv
