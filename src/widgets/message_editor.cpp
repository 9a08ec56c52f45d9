#include "widgets/message_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <string_view>

#include "widgets/editor_edits.h"

namespace tv {
namespace {

std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

MessageEditor::MessageEditor(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  setTabChangesFocus(true);
  // 12.5 points, black, whatever the text it gets.
  QFont font = this->font();
  font.setPointSizeF(12.5);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Text, Qt::black);
  setPalette(palette);
  setTextColor(Qt::black);
}

int MessageEditor::CharCount() const {
  return static_cast<int>(EditorCharCount(View(toPlainText())));
}

bool MessageEditor::InsertText(const QString& text) {
  const QString plain = toPlainText();
  const QTextCursor current = textCursor();
  const std::optional<EditorChange> change = PlanInsertText(
      View(plain), static_cast<std::size_t>(current.selectionStart()), View(text), char_limit_);
  if (!change) {
    emit limitReached();
    return false;
  }
  QTextCursor cursor(document());
  cursor.setPosition(static_cast<int>(change->position));
  cursor.insertText(text);
  cursor.setPosition(static_cast<int>(change->caret));
  setTextCursor(cursor);
  setFocus(Qt::OtherFocusReason);
  return true;
}

bool MessageEditor::Backspace() {
  const std::optional<EditorChange> change =
      PlanBackspace(View(toPlainText()), static_cast<std::size_t>(textCursor().selectionStart()));
  setFocus(Qt::OtherFocusReason);
  if (!change) return false;
  QTextCursor cursor(document());
  cursor.setPosition(static_cast<int>(change->position));
  cursor.setPosition(static_cast<int>(change->position + change->remove), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  setTextCursor(cursor);
  return true;
}

QMenu* MessageEditor::BuildContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  const bool selected = textCursor().hasSelection();
  QAction* undo_action = menu->addAction(QStringLiteral("撤消(&Z)"), this, &QTextEdit::undo);
  undo_action->setEnabled(document()->isUndoAvailable());
  menu->addSeparator();
  menu->addAction(QStringLiteral("剪切(&X)"), this, &QTextEdit::cut)->setEnabled(selected);
  menu->addAction(QStringLiteral("复制(&C)"), this, &QTextEdit::copy)->setEnabled(selected);
  menu->addAction(QStringLiteral("粘贴(&V)"), this, &QTextEdit::paste)->setEnabled(canPaste());
  menu->addAction(QStringLiteral("清除"), this, [this] { textCursor().removeSelectedText(); })
      ->setEnabled(selected);
  menu->addSeparator();
  menu->addAction(QStringLiteral("全选(&A)"), this, &QTextEdit::selectAll);
  menu->addSeparator();
  menu->addAction(QStringLiteral("字体设置"))->setEnabled(false);
  return menu;
}

void MessageEditor::contextMenuEvent(QContextMenuEvent* event) {
  setFocus(Qt::MouseFocusReason);
  QMenu* menu = BuildContextMenu(this);
  menu->exec(event->globalPos());
  delete menu;
}

void MessageEditor::mousePressEvent(QMouseEvent* event) {
  // The editor takes the focus on a right click even when the menu is
  // dismissed without a choice.
  if (event->button() == Qt::RightButton) setFocus(Qt::MouseFocusReason);
  QTextEdit::mousePressEvent(event);
}

void MessageEditor::keyPressEvent(QKeyEvent* event) {
  // Enter belongs to the form (it publishes), not to a new line.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->ignore();
    return;
  }
  const QString text = event->text();
  const bool types = !text.isEmpty() && text.at(0).isPrint() &&
                     !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (types && WithinLimit(text).isEmpty()) {
    event->accept();
    emit limitReached();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void MessageEditor::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty() && char_limit_ > 0) {
    const QString kept = WithinLimit(commit);
    if (kept.size() != commit.size()) {
      QInputMethodEvent held(event->preeditString(), event->attributes());
      held.setCommitString(kept, event->replacementStart(), event->replacementLength());
      QTextEdit::inputMethodEvent(&held);
      emit limitReached();
      return;
    }
  }
  QTextEdit::inputMethodEvent(event);
}

bool MessageEditor::canInsertFromMimeData(const QMimeData* source) const {
  return source != nullptr && source->hasText();
}

void MessageEditor::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) return;
  const QString text = source->text();
  const QString kept = WithinLimit(text);
  if (!kept.isEmpty()) textCursor().insertText(kept);
  if (kept.size() != text.size()) emit limitReached();
}

QString MessageEditor::WithinLimit(const QString& text) const {
  if (char_limit_ <= 0) return text;
  // The selection goes when the text comes in, so it does not count.
  const QTextCursor cursor = textCursor();
  QString rest = toPlainText();
  rest.remove(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
  const std::size_t before = EditorCharCount(View(rest));
  return text.left(static_cast<qsizetype>(UnitsWithinLimit(View(text), before, char_limit_)));
}

}  // namespace tv
