#pragma once
// CompletionBox: attached to an edit field or an editable drop-down box, it
// offers in a list under the host the stored texts that begin with what the
// member typed (see CompletionModel for the rules). The list never takes the
// focus: the host keeps it, and the box reads the host's keys while the list
// shows. For a drop-down host it also keeps the host's items and the
// completion list together.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "widgets/completion_model.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QTimer;

namespace tv {

class CompletionBox : public QObject {
  Q_OBJECT

 public:
  explicit CompletionBox(QObject* parent = nullptr);
  ~CompletionBox() override;

  // Attaching to a new host leaves the previous one.
  void Attach(QLineEdit* edit);
  void Attach(QComboBox* box);

  // The completion list.
  void AddText(const QString& text);
  void ClearTexts();
  QStringList Texts() const;

  // The drop-down host's items, kept in the completion list as well.
  void AddItem(const QString& text);
  void ClearItems();
  QString SelectedItem() const;

  // The pop-up list, for tests and for the host's layout.
  QListWidget* Popup() const { return popup_; }
  bool PopupVisible() const;
  const CompletionModel& Model() const { return model_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnTextEdited(const QString& text);
  void ShowPopup();
  void HidePopup();
  void PutText(const std::optional<std::string>& gbk);
  void OnLineClicked(int row);
  void Detach();

  CompletionModel model_;
  QPointer<QLineEdit> edit_;
  QPointer<QComboBox> combo_;
  QListWidget* popup_ = nullptr;
  QTimer* hide_timer_ = nullptr;
};

}  // namespace tv
