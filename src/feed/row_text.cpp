#include "feed/row_text.h"

#include <array>
#include <cctype>
#include <cstdio>

#include "core/gbk.h"
#include "feed/id_marks.h"

namespace tv {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One "%d" of a scanf-style read: optional blanks, optional sign, digits.
// Values are clamped so that a silly time text cannot overflow.
bool ReadNumber(std::string_view text, std::size_t& pos, long& value) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  std::size_t p = pos;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p]))) return false;
  long v = 0;
  while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
    if (v < 100000000) v = v * 10 + (text[p] - '0');
    ++p;
  }
  value = negative ? -v : v;
  pos = p;
  return true;
}

bool ReadLiteral(std::string_view text, std::size_t& pos, char c) {
  if (c == ' ') {  // a blank in the pattern takes any run of white space
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    return true;
  }
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

}  // namespace

std::string ShortTime(std::string_view time) {
  // year - month - day hour : minute : second; reading stops at the first
  // part that does not match and the rest count as 0.
  static constexpr std::array<char, 5> kSeparators = {'-', '-', ' ', ':', ':'};
  std::array<long, 6> parts{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 && !ReadLiteral(time, pos, kSeparators[i - 1])) break;
    if (!ReadNumber(time, pos, parts[i])) break;
  }
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, parts[4] > 9 ? "%ld-%ld %ld:%ld" : "%ld-%ld %ld:0%ld",
                parts[1], parts[2], parts[3], parts[4]);
  return buffer;
}

const std::string& TypeWord(std::string_view type) {
  if (type == "0") return TV_TEXT("货源");
  if (type == "1") return TV_TEXT("车源");
  return TV_TEXT("信息");
}

std::string HighlightRegion(std::string_view content, std::string_view region) {
  if (region.empty() || content.size() < region.size()) return std::string(content);
  std::string out;
  out.reserve(content.size() + 8);
  std::size_t i = 0;
  while (i < content.size()) {
    if (content.compare(i, region.size(), region) == 0) {
      out += kMarkHighlight;
      out += region;
      out += kMarkEnd;
      i += region.size();
      continue;
    }
    // Step one whole character so that the next comparison starts on a boundary.
    const std::size_t step =
        IsLeadByte(static_cast<unsigned char>(content[i])) && i + 1 < content.size() ? 2 : 1;
    out.append(content.substr(i, step));
    i += step;
  }
  return out;
}

std::string BuildRowText(const RowTextFields& fields, bool closed, bool masked,
                         const IdMarks& deleted) {
  if (deleted.Contains(fields.info_id)) return TV_TEXT("该条信息已被删除!");
  const std::string short_time = ShortTime(fields.time);
  const std::string_view tel = masked ? std::string_view(TV_TEXT("双击查看电话")) : fields.tel;
  const std::string& open_bracket = TV_TEXT("【");
  const std::string& close_bracket = TV_TEXT("】");
  std::string text;
  text.reserve(fields.city.size() + fields.content.size() + tel.size() + 48);
  if (closed) text += TV_TEXT("【已成交】");
  text += open_bracket;
  text += fields.city;
  text += close_bracket;
  text += fields.content;
  text += ' ';
  text += kMarkTel;
  text += tel;
  text += kMarkEnd;
  text += ' ';
  text += kMarkTime;
  text += short_time;
  text += kMarkEnd;
  return text;
}

}  // namespace tv
