#pragma once
// Pieces both search forms build their windows from.
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;
class QWidget;

namespace tv {

class CompletionBox;
class KeywordHistory;

// The list shows `items` (GBK), nothing selected.
void ShowItems(QListWidget* list, const std::vector<std::string>& items);
void ShowItems(QComboBox* box, const std::vector<std::string>& items);

// An editable keyword box with its completion box (NewEditableCombo): typed
// text is only completed when the member picks a line of the completion box.
struct KeywordBox {
  QComboBox* box = nullptr;
  CompletionBox* completion = nullptr;
};
KeywordBox MakeKeywordBox(QWidget* parent);
// The box's items and completion list become the history, newest first; the
// items end with "清除历史记录...". The box's text is set to `text`.
void LoadHistory(const KeywordBox& keyword_box, const KeywordHistory& history, const QString& text);

// The box's typed keyword in GBK. A character GBK cannot hold would turn
// into '?' (searched for and kept in the history as such): then the notice
// names it, the box takes the focus and the answer is empty.
std::optional<std::string> TypedKeyword(const KeywordBox& keyword_box);

// A push button that is never the dialog's default.
QPushButton* MakeButton(const QString& caption, QWidget* parent);

}  // namespace tv
