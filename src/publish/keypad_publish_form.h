#pragma once
// "发布信息1", the phrase-keypad form: the member writes the message in the
// editor, helped by keys of digits, marks and frequent characters, by menus
// of ready-made words and phrases, and by region names from three lists.
// Every key, menu item and "添加" inserts its fixed text at the caret.
#include <QList>

#include "publish/phrase_tables.h"
#include "publish/publish_form.h"

class QMenu;

namespace tv {

class KeypadPublishForm : public PublishForm {
  Q_OBJECT

 public:
  KeypadPublishForm(PublishController& publisher, LoopController& loop, MemberProfile profile,
                    QWidget* parent = nullptr);

  // The keys and menu buttons in screen order, "←退格" last in row 1.
  const QList<QPushButton*>& Keys() const { return keys_; }
  QPushButton* Key(const QString& caption) const;
  QPushButton* BackspaceKey() const { return backspace_key_; }
  QComboBox* RegionList(int level) const { return region_[level]; }
  QPushButton* AddRegionButton(int level) const { return add_region_[level]; }

  // The pop-up menu of a phrase button (the caller owns it): choosing an item
  // inserts its text.
  QMenu* BuildPhraseMenu(const publish_data::PhraseMenu& menu, QWidget* parent);

  void UseHistoryText(const std::string& gbk_text) override;

 private:
  QPushButton* AddKey(const publish_data::KeypadEntry& entry, QWidget* parent);
  void ShowPhraseMenu(const publish_data::PhraseMenu& menu);
  void AddRegion(int level);

  PlaceholderRegionPicker region_picker_;
  QComboBox* region_[3] = {nullptr, nullptr, nullptr};
  QPushButton* add_region_[3] = {nullptr, nullptr, nullptr};
  QPushButton* backspace_key_ = nullptr;
  QList<QPushButton*> keys_;
};

}  // namespace tv
