#pragma once
// What a highlighted text and a row text must be, whatever the server sent.
#include <span>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "grid/marked_text.h"
#include "text_checks.h"

namespace tv::fuzz {

// Where the characters of `text` start, read from its first byte the way the
// highlighting and the drawing read it; entry `size` is true too.
inline std::vector<bool> CharBoundaries(std::string_view text) {
  std::vector<bool> starts(text.size() + 1, false);
  for (std::size_t i = 0; i < text.size(); i += CharWidthAt(text, i)) starts[i] = true;
  starts[text.size()] = true;
  return starts;
}

// True when the last character of `word` is a lead byte without its trail.
inline bool EndsInsideChar(std::string_view word) {
  std::size_t i = 0;
  std::size_t last = 0;
  while (i < word.size()) {
    last = i;
    i += CharWidthAt(word, i);
  }
  return !word.empty() && word.size() - last == 1 &&
         IsLeadByte(static_cast<unsigned char>(word.back()));
}

// A word the highlighting may mark: not empty, no marker character in it,
// and not ending inside a character.
inline bool Highlightable(std::string_view word) {
  if (word.empty() || EndsInsideChar(word)) return false;
  for (std::string_view marker : {kMarkTel, kMarkHighlight, kMarkTime, kMarkEnd}) {
    if (ContainsWholeChars(word, marker)) return false;
  }
  return true;
}

// `out` is `text` with every match of `words` wrapped as "Ξ" word "§": a
// match starts and ends on a character boundary of `text`, the longest word
// wins, and no highlightable word is left unmarked where it starts.
inline void CheckHighlights(std::string_view text, std::span<const std::string_view> words,
                            std::string_view out) {
  std::vector<std::string_view> usable;
  for (std::string_view w : words) {
    if (Highlightable(w) && w.size() <= text.size()) usable.push_back(w);
  }
  const std::vector<bool> starts = CharBoundaries(text);
  std::size_t i = 0;
  std::size_t o = 0;
  while (i < text.size()) {
    std::size_t match = 0;
    for (std::string_view w : usable) {
      if (w.size() > match && text.compare(i, w.size(), w) == 0 && starts[i + w.size()])
        match = w.size();
    }
    if (match > 0) {
      TV_REQUIRE(out.substr(o, kMarkHighlight.size()) == kMarkHighlight);
      o += kMarkHighlight.size();
      TV_REQUIRE(out.substr(o, match) == text.substr(i, match));
      o += match;
      TV_REQUIRE(out.substr(o, kMarkEnd.size()) == kMarkEnd);
      o += kMarkEnd.size();
      i += match;
      continue;
    }
    const std::size_t width = CharWidthAt(text, i);
    TV_REQUIRE(out.substr(o, width) == text.substr(i, width));
    o += width;
    i += width;
  }
  TV_REQUIRE(o == out.size());
}

}  // namespace tv::fuzz
