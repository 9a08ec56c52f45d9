#pragma once
// "我的订阅": the member's subscriptions, at most ten, in their order, each
// with its state and unread matches; new, edit, pause or resume, move up or
// down, delete; and the quiet hours that silence sound and speech. Every
// change goes to the store at once and the running lists follow
// (SubscriptionSet::Start).
#include <QDialog>

class QCheckBox;
class QListWidget;
class QPushButton;
class QTimeEdit;

namespace tv {

class SubscriptionSet;
class SubscriptionForm;

class SubscriptionsWindow : public QDialog {
  Q_OBJECT

 public:
  explicit SubscriptionsWindow(SubscriptionSet& set, QWidget* parent = nullptr);

  QListWidget* List() const { return list_; }
  // The form "新建" or "修改" opened (null while none is open; tests fill it).
  SubscriptionForm* OpenForm() const { return form_; }
  // "新建" and "修改": the form shown, not run (`modal` false), or run.
  void NewSubscription(bool modal = true);
  void EditSubscription(bool modal = true);
  void TogglePaused();
  void Move(int by);
  void RemoveSubscription();
  // Shows the store's list again.
  void Refill();

 signals:
  // The list changed in the store.
  void subscriptionsChanged();

 private:
  std::int64_t CurrentId() const;
  void OpenFormFor(const struct Subscription* shown, bool modal);
  void SaveQuietHours();

  SubscriptionSet& set_;
  QListWidget* list_;
  QPushButton* pause_;
  QCheckBox* quiet_on_;
  QTimeEdit* quiet_from_;
  QTimeEdit* quiet_to_;
  SubscriptionForm* form_ = nullptr;
};

}  // namespace tv
