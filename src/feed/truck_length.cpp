#include "feed/truck_length.h"

#include <algorithm>

#include "core/gbk.h"
#include "feed/message_identity.h"
#include "publish/phrases.h"

namespace tv {
namespace {

std::vector<TruckLength> LoadKnownLengths() {
  std::vector<TruckLength> lengths;
  const publish_data::PhraseMenu* menu = FindPhraseMenu(TV_TEXT("[车长]"));
  if (menu == nullptr) return lengths;
  const std::string& metre = TV_TEXT("米");
  for (const publish_data::MenuEntry& entry : menu->entries) {
    if (!entry.submenu.empty()) continue;
    const std::string_view label = entry.text;
    if (label.size() <= metre.size() || label.substr(label.size() - metre.size()) != metre) {
      continue;
    }
    const std::vector<int> read = ReadTruckLengths(label);
    if (read.size() != 1) continue;
    lengths.push_back({read.front(), std::string(label)});
  }
  std::sort(lengths.begin(), lengths.end(),
            [](const TruckLength& a, const TruckLength& b) { return a.decimetres < b.decimetres; });
  if (lengths.size() > 32) lengths.resize(32);
  return lengths;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Known(int decimetres) {
  for (const TruckLength& length : KnownTruckLengths()) {
    if (length.decimetres == decimetres) return true;
  }
  return false;
}

// A number "12" or "9.6" ending at `end` (exclusive) of `text`, in decimetres;
// `begin` is set to where it starts. -1 when no digit ends there.
int NumberBefore(std::string_view text, std::size_t end, std::size_t& begin) {
  std::size_t i = end;
  while (i > 0 && IsDigit(text[i - 1])) --i;
  if (i == end) return -1;
  int decimal = -1;
  std::size_t whole_end = end;
  if (i >= 2 && text[i - 1] == '.' && IsDigit(text[i - 2])) {
    // "9.6": one decimal place is what lengths have; more is not a length.
    if (end - i != 1) return -1;
    decimal = text[i] - '0';
    whole_end = i - 1;
    i = whole_end;
    while (i > 0 && IsDigit(text[i - 1])) --i;
  }
  if (whole_end - i > 3) return -1;  // "2024米" is not a truck
  int whole = 0;
  for (std::size_t k = i; k < whole_end; ++k) whole = whole * 10 + (text[k] - '0');
  begin = i;
  return whole * 10 + std::max(decimal, 0);
}

}  // namespace

std::span<const TruckLength> KnownTruckLengths() {
  static const std::vector<TruckLength> kLengths = LoadKnownLengths();
  return kLengths;
}

std::vector<int> ReadTruckLengths(std::string_view gbk) {
  std::vector<int> found;
  const std::string text = NormalizeContent(gbk);
  const std::string& metre = TV_TEXT("米");
  for (std::size_t at = FindWholeChars(text, metre); at != std::string::npos;
       at = FindWholeChars(text, metre, at + metre.size())) {
    std::size_t begin = 0;
    int length = NumberBefore(text, at, begin);
    if (length < 0) continue;
    const std::size_t after = at + metre.size();
    if (length % 10 == 0 && after < text.size() && IsDigit(text[after]) &&
        (after + 1 >= text.size() || !IsDigit(text[after + 1])) &&
        Known(length + (text[after] - '0'))) {
      length += text[after] - '0';  // "9米6"
    }
    // "6.8/7.6米": the lengths before share the one "米".
    std::vector<int> shared;
    while (begin > 0) {
      const char sep = text[begin - 1];
      std::size_t sep_size = 1;
      if (sep != '/' && sep != ',' && sep != '-') {
        const std::string& list_mark = TV_TEXT("、");
        const std::string& or_word = TV_TEXT("或");
        std::string_view before(text.data(), begin);
        if (before.ends_with(list_mark)) {
          sep_size = list_mark.size();
        } else if (before.ends_with(or_word)) {
          sep_size = or_word.size();
        } else {
          break;
        }
      }
      std::size_t earlier_begin = 0;
      const int earlier = NumberBefore(text, begin - sep_size, earlier_begin);
      if (earlier < 0) break;
      shared.push_back(earlier);
      begin = earlier_begin;
    }
    found.insert(found.end(), shared.rbegin(), shared.rend());
    found.push_back(length);
  }
  return found;
}

std::uint32_t TruckLengthMask(std::string_view gbk) {
  std::uint32_t mask = 0;
  const std::span<const TruckLength> known = KnownTruckLengths();
  for (int length : ReadTruckLengths(gbk)) {
    for (std::size_t i = 0; i < known.size(); ++i) {
      if (known[i].decimetres == length) mask |= std::uint32_t{1} << i;
    }
  }
  return mask;
}

}  // namespace tv
