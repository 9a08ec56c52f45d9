#pragma once
// The editing steps of the message editor, worked out without the widget:
// the text is the editor's UTF-16, positions are UTF-16 offsets (as a text
// cursor counts), and a character is a code point, so a surrogate pair is
// never split. Lengths against the content limit are counted as the sending
// check counts them: characters of the GBK text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// One change to apply to the editor: remove `remove` units at `position`,
// insert `insert` there, put the caret at `caret`.
struct EditorChange {
  std::size_t position = 0;
  std::size_t remove = 0;
  std::u16string insert;
  std::size_t caret = 0;
  bool operator==(const EditorChange&) const = default;
};

// The length that the content limit is held against.
std::size_t EditorCharCount(std::u16string_view text);

// A key, a menu item or "添加": with `limit` above 0 and the text already at
// `limit` characters or more, nothing; otherwise the text goes in at the start
// of the selection (the selected text stays), the caret after it.
std::optional<EditorChange> PlanInsertText(std::u16string_view text, std::size_t selection_start,
                                           std::u16string_view insert, int limit);

// "←退格": the one character before the start of the selection goes, the
// caret stays where it began; nothing at the very start.
std::optional<EditorChange> PlanBackspace(std::u16string_view text, std::size_t selection_start);

// Typing and input methods are held to `limit` characters in all: of the text
// just put in (`added`, into a text that had `chars_before` characters), how
// many UTF-16 units may stay. All of it without a limit.
std::size_t UnitsWithinLimit(std::u16string_view added, std::size_t chars_before, int limit);

}  // namespace tv
