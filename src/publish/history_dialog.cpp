#include "publish/history_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "publish/history.h"
#include "publish/loop_controller.h"
#include "publish/publish_controller.h"
#include "settings/store.h"

namespace tv {
namespace {

QListWidget* TextList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(20);
  font.setWeight(QFont::Normal);
  list->setFont(font);
  list->setWordWrap(false);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  return list;
}

QPushButton* Button(const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

HistoryDialog::HistoryDialog(PublishController& publisher, LoopController& loop,
                             std::function<void(const std::string&)> use_text, QWidget* parent)
    : QDialog(parent), publisher_(publisher), loop_(loop), use_text_(std::move(use_text)) {
  setWindowTitle(QStringLiteral("历史记录/重发管理"));
  setModal(true);

  auto* history_group = new QGroupBox(QStringLiteral("历史信息"), this);
  history_list_ = TextList(history_group);
  use_button_ = Button("←使用", history_group);
  delete_button_ = Button("←删除", history_group);
  clear_button_ = Button("←清空", history_group);
  add_button_ = Button("添加到循环→", history_group);
  add_all_button_ = Button("全部到循环→", history_group);
  auto* history_buttons = new QVBoxLayout;
  for (QPushButton* b : {use_button_, delete_button_, clear_button_}) history_buttons->addWidget(b);
  history_buttons->addWidget(new QLabel(QStringLiteral("注：双击使用"), history_group));
  history_buttons->addStretch(1);
  history_buttons->addWidget(add_button_);
  history_buttons->addWidget(add_all_button_);
  auto* history_layout = new QHBoxLayout(history_group);
  history_layout->addWidget(history_list_, 1);
  history_layout->addLayout(history_buttons);

  auto* loop_group = new QGroupBox(QStringLiteral("循环重发信息"), this);
  loop_list_ = TextList(loop_group);
  interval_list_ = new QComboBox(loop_group);
  interval_list_->addItems({QStringLiteral("每隔 3 分钟"), QStringLiteral("每隔 5 分钟"),
                            QStringLiteral("每隔 10 分钟"), QStringLiteral("每隔 15 分钟")});
  loop_box_ = new QCheckBox(QStringLiteral("自动循环重发"), loop_group);
  loop_delete_button_ = Button("←删除", loop_group);
  loop_clear_button_ = Button("←清空", loop_group);
  auto* loop_buttons = new QVBoxLayout;
  loop_buttons->addWidget(interval_list_);
  loop_buttons->addWidget(loop_box_);
  loop_buttons->addStretch(1);
  loop_buttons->addWidget(loop_delete_button_);
  loop_buttons->addWidget(loop_clear_button_);
  auto* loop_layout = new QHBoxLayout(loop_group);
  loop_layout->addWidget(loop_list_, 1);
  loop_layout->addLayout(loop_buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(history_group, 1);
  layout->addWidget(loop_group, 1);

  connect(use_button_, &QPushButton::clicked, this, &HistoryDialog::Use);
  connect(history_list_, &QListWidget::itemDoubleClicked, this, [this] { Use(); });
  connect(delete_button_, &QPushButton::clicked, this, &HistoryDialog::DeleteSelected);
  connect(clear_button_, &QPushButton::clicked, this, &HistoryDialog::ClearAll);
  connect(add_button_, &QPushButton::clicked, this, &HistoryDialog::AddSelected);
  connect(add_all_button_, &QPushButton::clicked, this, &HistoryDialog::AddAll);
  connect(loop_delete_button_, &QPushButton::clicked, this, &HistoryDialog::DeleteLoopSelected);
  connect(loop_clear_button_, &QPushButton::clicked, this, &HistoryDialog::ClearLoop);
  connect(loop_box_, &QCheckBox::clicked, this, &HistoryDialog::LoopClicked);
  // A turn that ends while the dialog is open moves its text in the list.
  connect(&loop_, &LoopController::turnFinished, this, &HistoryDialog::ShowLoop);

  LoadHistory();
  ShowLoop();
  interval_list_->setCurrentIndex(loop_.State().interval_index());
  ShowLooping(loop_.State().looping());
  // Room for long messages in both lists, within the screen: on a small one
  // the loop list's controls would be off its edge.
  QSize size(980, 440);
  if (QScreen* shown_on = screen()) size = size.boundedTo(shown_on->availableGeometry().size());
  resize(size);
}

void HistoryDialog::LoadHistory() {
  staged_ = StageHistory(EnumerateSettings(kHistoryKey));
  history_list_->clear();
  for (auto it = staged_.rbegin(); it != staged_.rend(); ++it) history_list_->addItem(FromGbk(*it));
}

void HistoryDialog::ShowLoop() {
  loop_list_->clear();
  for (const std::string& text : loop_.State().Shown()) loop_list_->addItem(FromGbk(text));
}

void HistoryDialog::ShowLooping(bool looping) {
  loop_box_->setChecked(looping);
  interval_list_->setEnabled(!looping);
  loop_delete_button_->setEnabled(!looping);
  loop_clear_button_->setEnabled(!looping);
}

std::string HistoryDialog::Selected(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  if (item == nullptr || !item->isSelected()) return {};
  return ToGbk(item->text());
}

void HistoryDialog::Use() {
  const std::string text = Selected(history_list_);
  if (text.empty()) {
    ShowNotice(TV_TEXT("    请选择您要使用的信息!    "));
    return;
  }
  use_text_(text);
  accept();
  publisher_.SetLastUsedHistoryText(text);
}

void HistoryDialog::DeleteSelected() {
  const std::string text = Selected(history_list_);
  if (text.empty()) {
    ShowNotice(TV_TEXT("    请选择您要删除的信息!    "));
    return;
  }
  DeleteHistoryText(text);
  LoadHistory();
}

void HistoryDialog::ClearAll() {
  // One misplaced click must not take every message the member has sent.
  if (!AskYesNoDefaultNo(TV_TEXT("确定要清空全部历史信息吗?"))) return;
  if (ClearHistory()) {
    history_list_->clear();
    staged_.clear();
  }
}

void HistoryDialog::AddSelected() {
  const std::string text = Selected(history_list_);
  if (text.empty()) {
    ShowNotice(TV_TEXT("    请选择您要添加的信息!    "));
    return;
  }
  loop_.State().Add(text);
  ShowLoop();
}

void HistoryDialog::AddAll() {
  std::vector<std::string> lines;
  for (int row = 0; row < history_list_->count(); ++row)
    lines.push_back(ToGbk(history_list_->item(row)->text()));
  loop_.State().AddAll(lines);
  ShowLoop();
}

void HistoryDialog::DeleteLoopSelected() {
  if (loop_.State().looping()) {
    ShowNotice(TV_TEXT("请先取消循环发布\n\n然后再删除循环的信息"));
    return;
  }
  const std::string text = Selected(loop_list_);
  if (text.empty()) {
    ShowNotice(TV_TEXT("    请选择您要删除的循环信息!    "));
    return;
  }
  loop_.State().Remove(text);
  ShowLoop();
}

void HistoryDialog::ClearLoop() {
  if (loop_.State().Clear() == LoopState::Refusal::kLooping) {
    ShowNotice(TV_TEXT("请先取消循环发布\n\n然后再清空循环的信息"));
    return;
  }
  ShowLoop();
}

void HistoryDialog::LoopClicked(bool checked) {
  const int index = interval_list_->currentIndex();
  if (!checked) {
    loop_.Stop(index);
    ShowLooping(false);
    return;
  }
  if (loop_.Start(index) == LoopState::Refusal::kEmpty) {
    ShowNotice(TV_TEXT("请添加您要循环的信息"));
    loop_box_->setChecked(false);
    return;
  }
  ShowLooping(true);
}

}  // namespace tv
