#pragma once
// The window "查看信息": one message, its contact data as the member's rights
// allow, where and when it was published and whether the deal is closed.
#include <QDialog>
#include <functional>
#include <string>

#include "detail/detail_decisions.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace tv {

class DetailState;

// What the window's commands lead to outside it.
struct DetailActions {
  // "加入好友" for the shown message.
  std::function<void()> add_friend;
  // The publisher's profile page for this user identifier.
  std::function<void(const std::string& user_id)> open_profile;
  // "屏蔽此会员": hides the publisher's messages in every list. Empty (a
  // list that cannot block, a message without a member number): no button.
  std::function<void()> block_member;
};

class DetailWindow : public QDialog {
  Q_OBJECT

 public:
  DetailWindow(const CurrentMessage& message, const DetailViewer& viewer, DetailActions actions,
               QWidget* parent = nullptr);

  DetailState* state() const { return state_; }

  // Shown texts, for tests and the screenshot run.
  QString contactShown() const;
  QString countdownShown() const;
  QString counterShown() const;
  bool countdownShowing() const;
  QString statusShown() const;
  QString sourceShown() const;
  QString contentShown() const;
  // "共 N 次：…" with the copies' times; empty when the message came once.
  QString copiesShown() const;
  QPushButton* blockButton() const { return block_; }

  // Clicks on "信息来源:" (public so that tests can reach it without a mouse).
  void ActivateSource();

  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowContact();
  void ShowCounter(qint64 seconds_left);

  DetailState* state_;
  DetailActions actions_;
  QTextEdit* content_ = nullptr;
  QTextEdit* contact_ = nullptr;
  QLabel* source_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* countdown_text_ = nullptr;
  QLabel* counter_ = nullptr;
  QLabel* copies_ = nullptr;
  QPushButton* block_ = nullptr;
};

}  // namespace tv
