#pragma once
// A drop-down box whose text the member may also type.
class QComboBox;
class QWidget;

namespace tv {

// Typed text never becomes an item, and Qt's own completer is off: it
// completes the typed text to the first item that begins with it and selects
// the rest ("abc" becomes "abcdef", which "添加" or "搜索" would then take).
// Only what the member picks changes the text: an item of the box, or a
// line of a CompletionBox attached to it.
QComboBox* NewEditableCombo(QWidget* parent);

}  // namespace tv
