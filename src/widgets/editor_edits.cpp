#include "widgets/editor_edits.h"

#include "core/gbk.h"
#include "core/gbk_fit.h"

namespace tv {
namespace {

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::size_t EditorCharCount(std::u16string_view text) { return CharCount(Utf16ToGbk(text).gbk); }

std::optional<EditorChange> PlanInsertText(std::u16string_view text, std::size_t selection_start,
                                           std::u16string_view insert, int limit) {
  if (limit > 0 && EditorCharCount(text) >= static_cast<std::size_t>(limit)) return std::nullopt;
  const std::size_t at = std::min(selection_start, text.size());
  return EditorChange{at, 0, std::u16string(insert), at + insert.size()};
}

std::optional<EditorChange> PlanBackspace(std::u16string_view text, std::size_t selection_start) {
  const std::size_t at = std::min(selection_start, text.size());
  if (at == 0) return std::nullopt;
  std::size_t begin = at - 1;
  if (begin > 0 && IsLowSurrogate(text[begin]) && IsHighSurrogate(text[begin - 1])) --begin;
  return EditorChange{begin, at - begin, {}, begin};
}

std::size_t UnitsWithinLimit(std::u16string_view added, std::size_t chars_before, int limit) {
  if (limit <= 0) return added.size();
  std::size_t chars = chars_before;
  std::size_t units = 0;
  while (units < added.size()) {
    std::size_t step = 1;
    if (IsHighSurrogate(added[units]) && units + 1 < added.size() &&
        IsLowSurrogate(added[units + 1])) {
      step = 2;
    }
    if (chars + 1 > static_cast<std::size_t>(limit)) break;
    ++chars;
    units += step;
  }
  return units;
}

}  // namespace tv
