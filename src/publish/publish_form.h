#pragma once
// What both publishing forms share: the notice lines, the information type
// and the "发布城市" lists, the message editor with its character count, the
// contact block, the four buttons, sending through the PublishController,
// Enter publishing and Ctrl+V swallowed anywhere in the form.
//
// While a publication is under way nothing of the form can change (the
// editor is read-only, every other control but "关闭" disabled) and the form
// says so: the text the member sees is the one being sent, so a taken
// publication empties nothing the member wrote meanwhile, and a failed one
// leaves that text. Closing the form then only hides it until the answer:
// taken, the form goes; failed, it comes back with its text.
#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "net/login_answer.h"
#include "regions/region_picker.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tv {

class ContactBlockWidget;
class LoopController;
class MessageEditor;
class PublishController;
class RegionComboBinding;

class PublishForm : public QDialog {
  Q_OBJECT

 public:
  ~PublishForm() override;

  MessageEditor* Editor() const { return editor_; }
  QComboBox* TypeList() const { return type_list_; }
  QComboBox* DepartureList(int level) const { return departure_[level]; }
  ContactBlockWidget* Contact() const { return contact_; }
  QPushButton* ClearButton() const { return clear_button_; }
  QPushButton* HistoryButton() const { return history_button_; }
  QPushButton* PublishButton() const { return publish_button_; }
  QPushButton* CloseButton() const { return close_button_; }
  // "45/100" beside the editor while there is a content limit.
  QLabel* CountLabel() const { return count_label_; }
  // Shown while the form sends.
  QLabel* SendingLabel() const { return sending_label_; }
  // A publication of this form is under way.
  bool Sending() const { return sending_; }
  // "关闭" and Escape; while sending they hide the form instead, as the
  // close box does.
  void done(int result) override;

  // "发布" and Enter: the form's texts go to SubmitFromForm. The form closes
  // when the publication is taken as done.
  void Submit();
  // "←使用" in the history dialog opened from this form.
  virtual void UseHistoryText(const std::string& gbk_text) = 0;
  // "历史/重发": the history dialog, modal. Tests replace the opener.
  void OpenHistory();
  void SetHistoryOpener(std::function<void(PublishForm&)> opener) {
    history_opener_ = std::move(opener);
  }

 protected:
  PublishForm(const QString& title, PublishController& publisher, LoopController& loop,
              MemberProfile profile, QWidget* parent);

  // Builders for the subclasses' layouts, in the order the forms show them.
  QWidget* NoticeLines();
  // "信息类型:" and "发布城市:" in one row.
  QBoxLayout* TypeAndDepartureRow();
  QBoxLayout* EditorRow();
  QBoxLayout* ButtonRow();
  // A drop-down list of a region picker at `level` (0 province, 1
  // prefecture, 2 county), wide enough for its longest placeholder.
  static QComboBox* NewRegionList(QWidget* parent, int level);
  // Call at the end of the subclass's constructor: contact block, editor
  // limit, focus, the keyboard filter, and the Tab order: the type and
  // departure row, the subclass's controls shown above the editor, the
  // editor, those shown below it, the contact row and the buttons.
  void FinishSetUp(const QList<QWidget*>& above_editor, const QList<QWidget*>& below_editor);
  // The accessible names of a region picker's three lists: `caption` and
  // the level.
  static void NameRegionLists(QComboBox* const (&lists)[3], const QString& caption);

  // "清空" and what a taken publication empties.
  virtual void ClearContent();
  // The departure prefecture as sent.
  std::string DeparturePrefecture() const;

  const MemberProfile& Profile() const { return profile_; }
  PublishController& Publisher() { return publisher_; }
  LoopController& Loop() { return loop_; }

  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnBusyChanged(bool busy);
  void OnFinished(bool taken);
  void SetSending(bool sending);
  void ShowCount(bool stopped_at_limit);

  PublishController& publisher_;
  LoopController& loop_;
  MemberProfile profile_;
  PresetRegionPicker departure_picker_;
  RegionComboBinding* departure_binding_ = nullptr;
  MessageEditor* editor_ = nullptr;
  QComboBox* type_list_ = nullptr;
  QComboBox* departure_[3] = {nullptr, nullptr, nullptr};
  ContactBlockWidget* contact_ = nullptr;
  QPushButton* clear_button_ = nullptr;
  QPushButton* history_button_ = nullptr;
  QPushButton* publish_button_ = nullptr;
  QPushButton* close_button_ = nullptr;
  QLabel* count_label_ = nullptr;
  QLabel* sending_label_ = nullptr;
  std::function<void(PublishForm&)> history_opener_;
  bool submitting_ = false;
  bool sending_ = false;
  bool closed_while_sending_ = false;
  // The controls disabled for the send, to be enabled again after it.
  QList<QPointer<QWidget>> held_;
};

// The colour of the forms' notice lines.
inline constexpr int kNoticeRed = 99, kNoticeGreen = 113, kNoticeBlue = 189;

}  // namespace tv
