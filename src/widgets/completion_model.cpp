#include "widgets/completion_model.h"

#include <algorithm>

#include "core/gbk.h"

namespace tv {

void CompletionModel::Clear() {
  entries_.clear();
  Hide();
}

void CompletionModel::Hide() {
  visible_ = false;
  matches_.clear();
  highlighted_ = -1;
}

bool CompletionModel::TextChanged(std::string_view typed) {
  Hide();
  if (typed.empty() || entries_.empty()) return false;
  const std::string folded = GbkAsciiLower(typed);
  for (const auto& entry : entries_) {
    // Both sides folded whole, so the prefix test sees whole characters on
    // both sides.
    if (entry.size() >= typed.size() && GbkAsciiLower(entry).starts_with(folded)) {
      matches_.push_back(entry);
    }
  }
  visible_ = !matches_.empty();
  return visible_;
}

int CompletionModel::VisibleLines() const {
  return std::min(static_cast<int>(matches_.size()), kMaxLines);
}

std::optional<std::string> CompletionModel::MoveTo(int index) {
  highlighted_ = index;
  return matches_[static_cast<std::size_t>(index)];
}

std::optional<std::string> CompletionModel::Press(Key key) {
  if (!visible_) return std::nullopt;
  const int last = static_cast<int>(matches_.size()) - 1;
  const int page = VisibleLines();
  const int h = highlighted_;
  switch (key) {
    case Key::kDown:
      return MoveTo(h < 0 || h >= last ? 0 : h + 1);
    case Key::kUp:
      return MoveTo(h <= 0 ? last : h - 1);
    case Key::kPageDown:
      // A page past the end stops on the last match; from the last it wraps.
      if (h < 0) return MoveTo(std::min(page - 1, last));
      return MoveTo(h == last ? 0 : std::min(h + page, last));
    case Key::kPageUp:
      if (h < 0) return MoveTo(0);
      return MoveTo(h == 0 ? last : std::max(h - page, 0));
    case Key::kHome:
      return MoveTo(0);
    case Key::kEnd:
      return MoveTo(last);
    case Key::kEnter:
    case Key::kEscape:
      Hide();
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> CompletionModel::Click(int match_index) {
  if (!visible_ || match_index < 0 || match_index >= static_cast<int>(matches_.size())) {
    return std::nullopt;
  }
  return MoveTo(match_index);
}

}  // namespace tv
