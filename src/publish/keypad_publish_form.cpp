#include "publish/keypad_publish_form.h"

#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/qt_gbk.h"
#include "publish/contact_block_widget.h"
#include "publish/phrases.h"
#include "publish/publish_record.h"
#include "regions/qt/region_combo_binding.h"
#include "widgets/message_editor.h"

namespace tv {

KeypadPublishForm::KeypadPublishForm(PublishController& publisher, LoopController& loop,
                                     MemberProfile profile, QWidget* parent)
    : PublishForm(QStringLiteral("发布信息1"), publisher, loop, std::move(profile), parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(NoticeLines());
  layout->addLayout(TypeAndDepartureRow());
  layout->addLayout(EditorRow(), 1);

  // Keys never take the focus: the editor keeps its caret and selection.
  QHBoxLayout* rows[3] = {new QHBoxLayout, new QHBoxLayout, new QHBoxLayout};
  for (const publish_data::KeypadEntry& entry : publish_data::Keypad()) {
    if (entry.row < 1 || entry.row > 3) continue;
    rows[entry.row - 1]->addWidget(AddKey(entry, this));
  }
  backspace_key_ = new QPushButton(QStringLiteral("←退格"), this);
  backspace_key_->setFocusPolicy(Qt::NoFocus);
  backspace_key_->setAutoDefault(false);
  connect(backspace_key_, &QPushButton::clicked, this, [this] { Editor()->Backspace(); });
  rows[0]->addWidget(backspace_key_);
  keys_.append(backspace_key_);

  // "城市:" and the region names to insert.
  auto* region_row = new QHBoxLayout;
  auto* region_caption = new QLabel(QStringLiteral("城市:"), this);
  region_row->addWidget(region_caption);
  for (int level = 0; level < 3; ++level) {
    region_[level] = NewRegionList(this, level);
    add_region_[level] = new QPushButton(QStringLiteral("添加"), this);
    add_region_[level]->setFocusPolicy(Qt::NoFocus);
    add_region_[level]->setAutoDefault(false);
    connect(add_region_[level], &QPushButton::clicked, this, [this, level] { AddRegion(level); });
    region_row->addWidget(region_[level]);
    region_row->addWidget(add_region_[level]);
  }
  new RegionComboBinding(region_picker_, region_[0], region_[1], region_[2], this);
  region_caption->setBuddy(region_[0]);
  NameRegionLists(region_, QStringLiteral("城市"));

  for (QHBoxLayout* row : rows) {
    row->setSpacing(2);
    row->addStretch(1);
  }
  region_row->addStretch(1);
  layout->addLayout(rows[0]);
  layout->addLayout(region_row);
  layout->addLayout(rows[1]);
  layout->addLayout(rows[2]);
  layout->addWidget(Contact());
  layout->addLayout(ButtonRow());
  // The keys take no focus (they only type into the editor, where the
  // keyboard types too); Tab reaches the region lists below the editor.
  FinishSetUp({}, {region_[0], region_[1], region_[2]});
}

QPushButton* KeypadPublishForm::AddKey(const publish_data::KeypadEntry& entry, QWidget* parent) {
  auto* key = new QPushButton(FromGbk(entry.caption), parent);
  key->setFocusPolicy(Qt::NoFocus);
  key->setAutoDefault(false);
  if (entry.kind == publish_data::KeypadEntry::kKey) {
    // Single-character keys stay narrow; the row must fit the form.
    key->setMinimumWidth(0);
    key->setMaximumWidth(key->fontMetrics().horizontalAdvance(key->text()) +
                         key->fontMetrics().height() + 6);
    const QString text = FromGbk(entry.text);
    connect(key, &QPushButton::clicked, this, [this, text] { Editor()->InsertText(text); });
  } else if (const publish_data::PhraseMenu* menu = FindPhraseMenu(entry.caption)) {
    connect(key, &QPushButton::clicked, this, [this, menu] { ShowPhraseMenu(*menu); });
  }
  keys_.append(key);
  return key;
}

QPushButton* KeypadPublishForm::Key(const QString& caption) const {
  for (QPushButton* key : keys_)
    if (key->text() == caption) return key;
  return nullptr;
}

QMenu* KeypadPublishForm::BuildPhraseMenu(const publish_data::PhraseMenu& menu, QWidget* parent) {
  auto* popup = new QMenu(FromGbk(menu.title), parent);
  auto add_item = [this](QMenu* to, std::string_view text) {
    const QString item = FromGbk(text);
    // Menus take '&' as a mnemonic; none of the phrases means one.
    QString caption = item;
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    to->addAction(caption, this, [this, item] { Editor()->InsertText(item); });
  };
  for (const publish_data::MenuEntry& entry : menu.entries) {
    if (entry.submenu.empty()) {
      add_item(popup, entry.text);
      continue;
    }
    QMenu* sub = popup->addMenu(FromGbk(entry.text));
    for (std::string_view text : entry.submenu) add_item(sub, text);
  }
  return popup;
}

void KeypadPublishForm::ShowPhraseMenu(const publish_data::PhraseMenu& menu) {
  raise();
  activateWindow();
  QMenu* popup = BuildPhraseMenu(menu, this);
  // Dismissing the menu inserts nothing.
  popup->exec(QCursor::pos());
  delete popup;
}

void KeypadPublishForm::AddRegion(int level) {
  const PlaceholderRegionPicker::Placeholders& placeholders = region_picker_.PlaceholderTexts();
  const std::string& placeholder = level == 0   ? placeholders.province
                                   : level == 1 ? placeholders.prefecture
                                                : placeholders.county;
  const QString text = region_[level]->currentText();
  if (text.isEmpty() || ToGbk(text) == placeholder) return;
  Editor()->InsertText(text);
}

void KeypadPublishForm::UseHistoryText(const std::string& gbk_text) {
  const HistoryUse use = PlanUseHistoryText(gbk_text);
  if (use.type_index) TypeList()->setCurrentIndex(*use.type_index);
  Editor()->setPlainText(FromGbk(use.content));
  Editor()->moveCursor(QTextCursor::End);
  Editor()->setFocus(Qt::OtherFocusReason);
}

}  // namespace tv
