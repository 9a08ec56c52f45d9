#include "widgets/completion_box.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include "core/qt_gbk.h"

namespace tv {
namespace {

constexpr int kHideAfterClickMs = 500;

std::optional<CompletionModel::Key> KeyOf(int key) {
  using K = CompletionModel::Key;
  switch (key) {
    case Qt::Key_Down:
      return K::kDown;
    case Qt::Key_Up:
      return K::kUp;
    case Qt::Key_PageDown:
      return K::kPageDown;
    case Qt::Key_PageUp:
      return K::kPageUp;
    case Qt::Key_Home:
      return K::kHome;
    case Qt::Key_End:
      return K::kEnd;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return K::kEnter;
    case Qt::Key_Escape:
      return K::kEscape;
    default:
      return std::nullopt;
  }
}

}  // namespace

CompletionBox::CompletionBox(QObject* parent) : QObject(parent) {
  // A frameless tool window that is never activated: typing stays in the host.
  popup_ = new QListWidget;
  popup_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  popup_->setAttribute(Qt::WA_ShowWithoutActivating);
  popup_->setFocusPolicy(Qt::NoFocus);
  popup_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  popup_->setUniformItemSizes(true);
  connect(popup_, &QListWidget::itemPressed, this,
          [this](QListWidgetItem* item) { OnLineClicked(popup_->row(item)); });
  hide_timer_ = new QTimer(this);
  hide_timer_->setSingleShot(true);
  connect(hide_timer_, &QTimer::timeout, this, &CompletionBox::HidePopup);
}

CompletionBox::~CompletionBox() { delete popup_; }

void CompletionBox::Detach() {
  HidePopup();
  if (edit_) {
    edit_->removeEventFilter(this);
    disconnect(edit_, nullptr, this, nullptr);
  }
  if (combo_) combo_->removeEventFilter(this);
  edit_ = nullptr;
  combo_ = nullptr;
}

void CompletionBox::Attach(QLineEdit* edit) {
  Detach();
  edit_ = edit;
  if (edit_ == nullptr) return;
  edit_->installEventFilter(this);
  // Only the member's typing completes; texts the box puts in do not.
  connect(edit_, &QLineEdit::textEdited, this, &CompletionBox::OnTextEdited);
}

void CompletionBox::Attach(QComboBox* box) {
  Attach(box != nullptr ? box->lineEdit() : nullptr);
  combo_ = box;
  // The drop-down box holds the focus for its edit field and sees the keys
  // first (it would turn Up and Down into a change of item).
  if (combo_) combo_->installEventFilter(this);
}

void CompletionBox::AddText(const QString& text) { model_.Add(ToGbk(text)); }

void CompletionBox::ClearTexts() {
  model_.Clear();
  HidePopup();
}

QStringList CompletionBox::Texts() const {
  QStringList out;
  for (const auto& entry : model_.Entries()) out << FromGbk(entry);
  return out;
}

void CompletionBox::AddItem(const QString& text) {
  if (combo_) combo_->addItem(text);
  AddText(text);
}

void CompletionBox::ClearItems() {
  if (combo_) combo_->clear();
  ClearTexts();
}

QString CompletionBox::SelectedItem() const {
  return combo_ ? combo_->currentText() : (edit_ ? edit_->text() : QString());
}

bool CompletionBox::PopupVisible() const { return popup_->isVisible(); }

void CompletionBox::OnTextEdited(const QString& text) {
  hide_timer_->stop();
  if (model_.TextChanged(ToGbk(text))) {
    ShowPopup();
  } else {
    HidePopup();
  }
}

void CompletionBox::ShowPopup() {
  QWidget* host = combo_ ? static_cast<QWidget*>(combo_.data()) : edit_.data();
  if (host == nullptr) return;
  popup_->clear();
  for (const auto& match : model_.Matches()) popup_->addItem(FromGbk(match));
  const int line = QFontMetrics(QApplication::font()).boundingRect(QStringLiteral("Hg")).height();
  for (int i = 0; i < popup_->count(); ++i) popup_->item(i)->setSizeHint(QSize(0, line));
  popup_->setVerticalScrollBarPolicy(model_.NeedsScrollBar() ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAlwaysOff);
  popup_->setGeometry(QRect(host->mapToGlobal(QPoint(0, host->height())),
                            QSize(host->width(), model_.PopupHeight(line, popup_->frameWidth()))));
  popup_->show();
}

void CompletionBox::HidePopup() {
  model_.Hide();
  popup_->hide();
}

void CompletionBox::PutText(const std::optional<std::string>& gbk) {
  if (!gbk || !edit_) return;
  popup_->setCurrentRow(model_.Highlighted());
  // The whole text, caret at its end; the list is not filtered again.
  edit_->setText(FromGbk(*gbk));
  edit_->end(false);
}

void CompletionBox::OnLineClicked(int row) {
  PutText(model_.Click(row));
  hide_timer_->start(kHideAfterClickMs);
}

bool CompletionBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == nullptr || (watched != edit_ && watched != combo_)) {
    return QObject::eventFilter(watched, event);
  }
  if (event->type() == QEvent::FocusOut) {
    HidePopup();
  } else if (event->type() == QEvent::KeyPress && model_.Visible()) {
    const auto key = KeyOf(static_cast<QKeyEvent*>(event)->key());
    if (key) {
      const auto text = model_.Press(*key);
      if (model_.Visible()) {
        PutText(text);
      } else {
        popup_->hide();
      }
      return true;  // the host does not see the keys the list took
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tv
