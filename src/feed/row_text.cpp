#include "feed/row_text.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

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

// A word whose last byte is a lead byte without its trail byte: matched,
// it would take half of a character of the text.
bool EndsInsideChar(std::string_view word) {
  if (word.empty()) return false;
  std::size_t i = 0;
  while (i + CharWidthAt(word, i) < word.size()) i += CharWidthAt(word, i);
  return i + 1 == word.size() && IsLeadByte(static_cast<unsigned char>(word.back()));
}

bool HoldsMarker(std::string_view word) {
  for (std::string_view marker : {kMarkTel, kMarkHighlight, kMarkTime, kMarkEnd}) {
    if (ContainsWholeChars(word, marker)) return true;
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

std::string HighlightWords(std::string_view text, std::span<const std::string_view> words) {
  std::vector<std::string_view> usable;
  usable.reserve(words.size());
  for (std::string_view w : words) {
    if (!w.empty() && w.size() <= text.size() && !HoldsMarker(w) && !EndsInsideChar(w))
      usable.push_back(w);
  }
  if (usable.empty()) return std::string(text);

  std::string out;
  out.reserve(text.size() + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t match = 0;
    for (std::string_view w : usable) {
      if (w.size() > match && text.compare(i, w.size(), w) == 0) match = w.size();
    }
    if (match > 0) {
      out += kMarkHighlight;
      out += text.substr(i, match);
      out += kMarkEnd;
      i += match;
      continue;
    }
    // Step one whole character so that the next comparison starts on a boundary.
    const std::size_t step = CharWidthAt(text, i);
    out.append(text.substr(i, step));
    i += step;
  }
  return out;
}

std::vector<std::string_view> SplitKeywords(std::string_view keywords) {
  // "," is below 0x40 and never the trail byte of a GBK character.
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = keywords.find(',', start);
    pieces.push_back(keywords.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return pieces;
}

std::string HighlightKeywords(std::string_view text, std::string_view keywords) {
  if (keywords.empty()) return std::string(text);
  return HighlightWords(text, SplitKeywords(keywords));
}

std::string RepeatMark(int copies) {
  return TV_TEXT("【重复") + std::to_string(copies) + TV_TEXT("次】");
}

std::string BuildRowText(const RowTextFields& fields, bool closed, bool masked,
                         const IdMarks& deleted, std::string_view keywords) {
  if (deleted.Contains(fields.info_id)) return TV_TEXT("该条信息已被删除!");
  const std::string short_time = ShortTime(fields.time);
  const std::string_view tel = masked ? std::string_view(TV_TEXT("双击查看电话")) : fields.tel;
  const std::string& open_bracket = TV_TEXT("【");
  const std::string& close_bracket = TV_TEXT("】");
  std::string text;
  text.reserve(fields.city.size() + fields.content.size() + tel.size() + 64);
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
  if (!keywords.empty()) text = HighlightKeywords(text, keywords);
  if (closed) text.insert(0, TV_TEXT("【已成交】"));
  return text;
}

}  // namespace tv
