#include "search/form_helpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/gbk.h"
#include "core/gbk_fit.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "search/keyword_history.h"
#include "widgets/completion_box.h"
#include "widgets/editable_combo.h"

namespace tv {

void ShowItems(QListWidget* list, const std::vector<std::string>& items) {
  list->clear();
  for (const auto& item : items) list->addItem(FromGbk(item));
}

void ShowItems(QComboBox* box, const std::vector<std::string>& items) {
  const QSignalBlocker quiet(box);
  box->clear();
  for (const auto& item : items) box->addItem(FromGbk(item));
}

KeywordBox MakeKeywordBox(QWidget* parent) {
  KeywordBox k;
  k.box = NewEditableCombo(parent);
  k.completion = new CompletionBox(k.box);
  k.completion->Attach(k.box);
  return k;
}

void LoadHistory(const KeywordBox& k, const KeywordHistory& history, const QString& text) {
  const QSignalBlocker quiet(k.box);
  k.completion->ClearItems();
  // The clearing command is an item of the box but nothing to complete to.
  for (const auto& item : history.BoxItems()) {
    if (item == ClearHistoryItem()) {
      k.box->addItem(FromGbk(item));
    } else {
      k.completion->AddItem(FromGbk(item));
    }
  }
  k.box->setEditText(text);
}

std::optional<std::string> TypedKeyword(const KeywordBox& keyword_box) {
  const QString text = keyword_box.box->currentText();
  GbkFit fit = FitToGbk(text);
  if (fit.fits()) return std::move(fit.gbk);
  ShowNotice(TV_TEXT("填写的关键字中有无法搜索的字符: ") + DescribeCharacters(fit.unfit) +
             TV_TEXT("\n\n请删除或换成其他文字"));
  keyword_box.box->setFocus();
  return std::nullopt;
}

QPushButton* MakeButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace tv
