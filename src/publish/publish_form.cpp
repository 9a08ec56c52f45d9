#include "publish/publish_form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/gbk_fit.h"
#include "core/qt_gbk.h"
#include "publish/contact_block_widget.h"
#include "publish/history_dialog.h"
#include "publish/publish_controller.h"
#include "publish/submission.h"
#include "regions/qt/region_combo_binding.h"
#include "widgets/caption.h"
#include "widgets/message_editor.h"

namespace tv {
namespace {

bool IsPaste(const QKeyEvent* key) {
  return key->key() == Qt::Key_V && (key->modifiers() & Qt::ControlModifier);
}

}  // namespace

PublishForm::PublishForm(const QString& title, PublishController& publisher, LoopController& loop,
                         MemberProfile profile, QWidget* parent)
    : QDialog(parent),
      publisher_(publisher),
      loop_(loop),
      profile_(std::move(profile)),
      departure_picker_(profile_.Province, profile_.City) {
  setWindowTitle(title);
  setModal(true);
  setAttribute(Qt::WA_DeleteOnClose, false);
  editor_ = new MessageEditor(this);
  type_list_ = new QComboBox(this);
  type_list_->addItems({QStringLiteral("即时货源"), QStringLiteral("即时车源")});
  for (int level = 0; level < 3; ++level) departure_[level] = NewRegionList(this, level);
  departure_binding_ =
      new RegionComboBinding(departure_picker_, departure_[0], departure_[1], departure_[2], this);
  contact_ = new ContactBlockWidget(this);
  clear_button_ = new QPushButton(QStringLiteral("清空"), this);
  history_button_ = new QPushButton(QStringLiteral("历史/重发"), this);
  publish_button_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                                    QStringLiteral("发布"), this);
  close_button_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                  QStringLiteral("关闭"), this);
  for (QPushButton* button : {clear_button_, history_button_, publish_button_, close_button_})
    button->setAutoDefault(false);
  count_label_ = new QLabel(this);
  count_label_->setObjectName(QStringLiteral("count"));
  count_label_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  count_label_->setWordWrap(true);
  count_label_->hide();
  sending_label_ = new QLabel(QStringLiteral("正在发布，请稍候……发布期间信息不能修改"), this);
  sending_label_->setObjectName(QStringLiteral("sending"));
  {
    QPalette palette = sending_label_->palette();
    palette.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    sending_label_->setPalette(palette);
  }
  sending_label_->hide();

  connect(clear_button_, &QPushButton::clicked, this, [this] { ClearContent(); });
  connect(history_button_, &QPushButton::clicked, this, &PublishForm::OpenHistory);
  connect(publish_button_, &QPushButton::clicked, this, &PublishForm::Submit);
  connect(close_button_, &QPushButton::clicked, this, &QDialog::reject);
  connect(&publisher_, &PublishController::busyChanged, this, &PublishForm::OnBusyChanged);
  connect(&publisher_, &PublishController::publishFinished, this,
          [this](bool taken) { OnFinished(taken); });
  connect(editor_, &MessageEditor::textChanged, this, [this] { ShowCount(false); });
  connect(editor_, &MessageEditor::limitReached, this, [this] { ShowCount(true); });
}

PublishForm::~PublishForm() { qApp->removeEventFilter(this); }

QComboBox* PublishForm::NewRegionList(QWidget* parent, int level) {
  auto* box = new QComboBox(parent);
  // In widths of an 'x': a Chinese character takes about two.
  constexpr int kWidths[3] = {10, 8, 14};
  box->setMinimumContentsLength(kWidths[level]);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

QWidget* PublishForm::NoticeLines() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (const char* line : {"注意：", "您应保证发布信息内容的真实性，并确保不违背相关的法规。",
                           "如果不符合以上条件，您可能要负担相应的法律责任。"}) {
    auto* label = new QLabel(QString::fromUtf8(line), box);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(kNoticeRed, kNoticeGreen, kNoticeBlue));
    label->setPalette(palette);
    layout->addWidget(label);
  }
  return box;
}

void PublishForm::NameRegionLists(QComboBox* const (&lists)[3], const QString& caption) {
  const char* kLevels[3] = {"省", "市", "县"};
  for (int level = 0; level < 3; ++level) {
    lists[level]->setAccessibleName(caption + QLatin1Char(' ') + QString::fromUtf8(kLevels[level]));
  }
}

QBoxLayout* PublishForm::TypeAndDepartureRow() {
  auto* row = new QHBoxLayout;
  row->addWidget(NewCaption(QStringLiteral("信息类型:"), type_list_, this));
  row->addWidget(type_list_);
  row->addSpacing(16);
  NameRegionLists(departure_, QStringLiteral("发布城市"));
  row->addWidget(NewCaption(QStringLiteral("发布城市:"), departure_[0], this));
  for (QComboBox* box : departure_) row->addWidget(box);
  row->addStretch(1);
  return row;
}

QBoxLayout* PublishForm::EditorRow() {
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("信息内容:"), this);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setBuddy(editor_);
  // The caption above, the count below it, both left of the editor.
  auto* side = new QVBoxLayout;
  side->addWidget(label);
  side->addStretch(1);
  side->addWidget(count_label_);
  // Wide enough for "100/100" and the word under it.
  const int side_width = fontMetrics().horizontalAdvance(QStringLiteral("已达字数上限")) + 4;
  label->setMinimumWidth(side_width);
  count_label_->setFixedWidth(side_width);
  row->addLayout(side);
  row->addWidget(editor_, 1);
  return row;
}

QBoxLayout* PublishForm::ButtonRow() {
  auto* row = new QHBoxLayout;
  row->addWidget(clear_button_);
  row->addWidget(history_button_);
  row->addSpacing(8);
  row->addWidget(sending_label_);
  row->addStretch(1);
  row->addWidget(publish_button_);
  row->addWidget(close_button_);
  return row;
}

void PublishForm::FinishSetUp(const QList<QWidget*>& above_editor,
                              const QList<QWidget*>& below_editor) {
  // The editor is made first (the other controls are built around it); Tab
  // goes in the order the form shows its controls.
  QWidget* previous = type_list_;
  for (const QList<QWidget*>& part :
       {QList<QWidget*>{departure_[0], departure_[1], departure_[2]}, above_editor,
        QList<QWidget*>{editor_}, below_editor,
        QList<QWidget*>{contact_, clear_button_, history_button_, publish_button_,
                        close_button_}}) {
    for (QWidget* next : part) {
      setTabOrder(previous, next);
      previous = next;
    }
  }
  editor_->SetCharLimit(profile_.ContentLimit);
  ShowCount(false);
  contact_->Init(profile_);
  editor_->setFocus(Qt::OtherFocusReason);
  // Enter and Ctrl+V are the form's wherever the focus is in it.
  qApp->installEventFilter(this);
}

void PublishForm::ClearContent() { editor_->clear(); }

std::string PublishForm::DeparturePrefecture() const {
  return std::string(departure_picker_.PrefectureText());
}

void PublishForm::Submit() {
  if (publisher_.Busy()) return;
  const GbkFit content = FitToGbk(editor_->toPlainText());
  SubmitForm form;
  form.content = content.gbk;
  form.unsendable = content.unfit;
  form.departure_city = DeparturePrefecture();
  form.info_type = ToGbk(type_list_->currentText());
  form.contact = contact_->Choices();
  // The controller says it is busy before Submit returns.
  submitting_ = true;
  submitting_ = publisher_.Submit(form);
}

void PublishForm::OpenHistory() {
  if (history_opener_) {
    history_opener_(*this);
    return;
  }
  HistoryDialog dialog(
      publisher_, loop_, [this](const std::string& text) { UseHistoryText(text); }, this);
  dialog.exec();
}

void PublishForm::ShowCount(bool stopped_at_limit) {
  const int limit = editor_->CharLimit();
  count_label_->setVisible(limit > 0);
  if (limit <= 0) return;
  const int count = editor_->CharCount();
  QString text = QStringLiteral("%1/%2").arg(count).arg(limit);
  if (stopped_at_limit) text += QStringLiteral("\n已达字数上限");
  count_label_->setText(text);
  // At the limit the text is too long to send (the check on sending refuses
  // it): the count says so in red.
  QPalette palette = count_label_->palette();
  palette.setColor(QPalette::WindowText, count >= limit ? QColor(0xC0, 0, 0) : QColor(Qt::black));
  count_label_->setPalette(palette);
}

void PublishForm::SetSending(bool sending) {
  if (sending == sending_) return;
  sending_ = sending;
  editor_->setReadOnly(sending);
  sending_label_->setVisible(sending);
  if (sending) {
    setCursor(Qt::BusyCursor);
    // Every control that could change what is sent, whichever form this is;
    // only "关闭" stays.
    for (QWidget* control : findChildren<QWidget*>()) {
      const bool input = qobject_cast<QAbstractButton*>(control) != nullptr ||
                         qobject_cast<QComboBox*>(control) != nullptr ||
                         (qobject_cast<QLineEdit*>(control) != nullptr &&
                          qobject_cast<QComboBox*>(control->parentWidget()) == nullptr);
      if (!input || control == close_button_ || !control->isEnabled()) continue;
      control->setEnabled(false);
      held_.append(control);
    }
  } else {
    unsetCursor();
    for (const QPointer<QWidget>& control : held_)
      if (control) control->setEnabled(true);
    held_.clear();
  }
}

void PublishForm::OnBusyChanged(bool busy) {
  if (submitting_) SetSending(busy);
}

void PublishForm::OnFinished(bool taken) {
  if (!submitting_) return;
  submitting_ = false;
  SetSending(false);
  const bool was_closed = closed_while_sending_;
  closed_while_sending_ = false;
  if (taken) {
    ClearContent();
    accept();
    return;
  }
  // The notice has said why; the text comes back to be sent again or kept.
  if (was_closed) {
    show();
    raise();
    activateWindow();
  }
}

void PublishForm::done(int result) {
  if (sending_ && result != QDialog::Accepted) {
    closed_while_sending_ = true;
    hide();
    return;
  }
  QDialog::done(result);
}

void PublishForm::closeEvent(QCloseEvent* event) {
  if (sending_) {
    closed_while_sending_ = true;
    hide();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool PublishForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isVisible())
    return QDialog::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only keys meant for this form: not for an open drop-down, a menu, or a box
  // it opened.
  if (widget == nullptr || widget->window() != this || QApplication::activePopupWidget() != nullptr)
    return QDialog::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (IsPaste(key)) return true;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    Submit();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tv
