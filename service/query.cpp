#include "query.h"

#include <limits>

#include "core/ascii.h"

namespace tv {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  if (!IsValidGbk(out)) return std::nullopt;
  return out;
}

}  // namespace

bool IsValidGbk(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == 0) return false;
    if (c < 0x80) continue;
    if (c == 0x80 || c == 0xFF || i + 1 >= bytes.size()) return false;
    const auto t = static_cast<unsigned char>(bytes[i + 1]);
    if (t < 0x40 || t == 0x7F || t == 0xFF) return false;
    ++i;
  }
  return true;
}

std::optional<std::int64_t> ParseNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;  // 18 digits always fit
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

std::optional<Query> Query::Parse(std::string_view raw) {
  Query q;
  while (!raw.empty()) {
    const std::size_t amp = raw.find('&');
    std::string_view pair = raw.substr(0, amp);
    raw = amp == std::string_view::npos ? std::string_view() : raw.substr(amp + 1);
    if (pair.empty()) continue;
    const std::size_t eq = pair.find('=');
    auto key = Decode(pair.substr(0, eq));
    auto value = Decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
    if (!key || !value || key->empty()) return std::nullopt;
    // The first occurrence of a key wins, as the page scripts read it.
    if (!q.Find(*key)) q.items_.emplace_back(std::move(*key), std::move(*value));
  }
  return q;
}

const std::string* Query::Find(std::string_view key) const {
  for (const auto& [k, v] : items_) {
    if (EqualsNoCase(k, key)) return &v;
  }
  return nullptr;
}

}  // namespace tv
