#pragma once
// What the completion box does, without a widget: the stored texts, the ones
// that begin with what the member typed (ASCII letters compared without
// regard to case), the highlighted one and the keys that move it, and the
// size of the pop-up list. Texts are GBK.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class CompletionModel {
 public:
  // More matches than this scroll.
  static constexpr int kMaxLines = 8;

  enum class Key { kDown, kUp, kPageDown, kPageUp, kHome, kEnd, kEnter, kEscape };

  void Add(std::string text) { entries_.push_back(std::move(text)); }
  void Clear();
  const std::vector<std::string>& Entries() const { return entries_; }

  // After every change of the host's text. Returns whether the list shows.
  bool TextChanged(std::string_view typed);
  // The host lost the focus (or the list was closed otherwise).
  void Hide();

  bool Visible() const { return visible_; }
  // The matching entries, in list order.
  const std::vector<std::string>& Matches() const { return matches_; }
  // Index into Matches(); -1 for none.
  int Highlighted() const { return highlighted_; }
  // Lines the list shows, and whether it needs a scroll bar.
  int VisibleLines() const;
  bool NeedsScrollBar() const { return static_cast<int>(matches_.size()) > kMaxLines; }
  // The list's height for a line height and a border width.
  int PopupHeight(int line_height, int border) const {
    return VisibleLines() * line_height + 2 * border;
  }

  // A key while the list shows: the text the host then holds (the highlighted
  // match), or nothing when the host's text stays as it is. Enter and Escape
  // only hide the list. Keys do nothing while the list is hidden.
  std::optional<std::string> Press(Key key);
  // A click on a line: it is highlighted and becomes the host's text.
  std::optional<std::string> Click(int match_index);

 private:
  std::optional<std::string> MoveTo(int index);

  std::vector<std::string> entries_;
  std::vector<std::string> matches_;
  int highlighted_ = -1;
  bool visible_ = false;
};

}  // namespace tv
