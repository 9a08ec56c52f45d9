#include "text_match.h"

#include <cstring>

#include "core/gbk.h"

namespace tv {
namespace {

std::size_t CharLength(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  return (IsLeadByte(c) && i + 1 < text.size()) ? 2 : 1;
}

}  // namespace

bool ContainsGbk(std::string_view text, std::string_view needle) {
  if (needle.empty()) return true;
  for (std::size_t i = 0; i + needle.size() <= text.size(); i += CharLength(text, i)) {
    if (std::memcmp(text.data() + i, needle.data(), needle.size()) == 0) return true;
  }
  return false;
}

bool ContainsAnyGbk(std::string_view text, std::string_view list) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (!name.empty() && ContainsGbk(text, name)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

std::vector<std::string> SplitList(std::string_view list) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t comma = list.find(',');
    std::string_view piece = list.substr(0, comma);
    if (!piece.empty()) out.emplace_back(piece);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return out;
}

std::string JoinList(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) {
    if (!out.empty()) out.push_back(',');
    out += n;
  }
  return out;
}

std::string StoredText(std::string_view text, std::size_t max_bytes) {
  static const std::string kFullAt = Utf8ToGbk("＠");
  static const std::string kFullBar = Utf8ToGbk("｜");
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t len = CharLength(text, i);
    std::string_view ch = text.substr(i, len);
    if (ch == "@") ch = kFullAt;
    if (ch == "|") ch = kFullBar;
    if (out.size() + ch.size() > max_bytes) break;
    out.append(ch);
    i += len;
  }
  return out;
}

}  // namespace tv
