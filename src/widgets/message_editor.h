#pragma once
// The "信息内容:" box of the publishing forms: a rich-text edit box that holds
// plain text, with its own right-click menu of editing commands, a character
// limit for what the member types or pastes, and the forms' insertion and
// "←退格" at the start of the selection.
#include <QTextEdit>

class QMenu;

namespace tv {

class MessageEditor : public QTextEdit {
  Q_OBJECT

 public:
  explicit MessageEditor(QWidget* parent = nullptr);

  // 0 or less: no limit. Typing, input methods, pasting and dropping are held
  // to this many characters (counted as the sending check counts them); text
  // set by the program is not.
  void SetCharLimit(int limit) { char_limit_ = limit > 0 ? limit : 0; }
  int CharLimit() const { return char_limit_; }
  // The editor's text length as the content limit counts it.
  int CharCount() const;

  // A key, phrase or region name: inserted at the start of the selection as
  // one undoable edit, the selected text kept, the caret after it; nothing
  // once the text has reached the limit. False when nothing went in.
  bool InsertText(const QString& text);
  // Deletes the one character before the start of the selection.
  bool Backspace();

  // The right-click menu as it stands now (the caller owns it): 撤消, 剪切,
  // 复制, 粘贴, 清除, 全选, and 字体设置 always disabled.
  QMenu* BuildContextMenu(QWidget* parent = nullptr);

 signals:
  // Typing, an input method, a paste, a drop or an insertion stopped at the
  // limit: the member's text did not (all) go in.
  void limitReached();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // Of `text` about to replace the selection, what stays within the limit.
  QString WithinLimit(const QString& text) const;

  int char_limit_ = 0;
};

}  // namespace tv
