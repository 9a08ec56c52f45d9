#pragma once
// The detail view as a message grid's owner uses it: double clicks on a row,
// the modal window for CurrentMessage, "加入好友" and the messenger link. The
// main window holds one; the search results panel reaches the same one.
#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "detail/detail_add_friend.h"
#include "detail/detail_decisions.h"
#include "detail/detail_window.h"

class QWidget;

namespace tv {

// Hands the messenger address to the system (the installed messenger registers
// the "tencent" scheme with the desktop). Returns false when nothing took it.
bool StartQqChat(const std::string& address);

// What the list that was clicked knows of the row beyond its cells.
struct RowExtras {
  // The times of the copies folded into the row, newest first.
  std::vector<std::string> copy_times;
  // Blocks the row's publisher in every list (empty: not offered).
  std::function<void()> block_member;
};

class DetailView : public QObject {
  Q_OBJECT

 public:
  // What the owner knows and the view asks for when it needs it.
  struct Owner {
    std::function<DetailViewer()> viewer;
    FriendListedCheck friend_listed;
    std::function<std::string()> feed_host;
    // The publisher's profile page (the web page window for a member).
    std::function<void(const std::string& user_id)> open_profile;
    // The service's web host, the "Site" of the messenger link.
    std::string site;
  };

  DetailView(QWidget* window, Owner owner, AddFriendRequest::Fetch fetch);

  // A double click on `column` of a message row. `member_only_chat`: the main
  // grid lets only logged-in non-guests start a chat, the search panel anyone.
  void OnRowDoubleClick(int column, const RowCellReader& cell, bool member_only_chat = true,
                        RowExtras extras = {});
  // The modal window "查看信息" for CurrentMessage; returns when it is closed.
  void ShowDetail();
  // "加入好友" for CurrentMessage.
  void AddFriend();

  const CurrentMessage& currentMessage() const { return current_; }
  AddFriendRequest* addFriendRequest() const { return add_friend_; }
  // The window while it is open (tests, the screenshot run).
  DetailWindow* openWindow() const { return open_window_; }

 signals:
  // The detail window has been created and is about to run.
  void windowOpened(tv::DetailWindow* window);
  // Forwarded from the add-friend request: add the row and the tree item.
  void friendAdded(const tv::AddedFriend& row);

 private:
  QPointer<QWidget> window_;
  Owner owner_;
  AddFriendRequest* add_friend_;
  CurrentMessage current_;
  std::function<void()> block_member_;  // of current_
  QPointer<DetailWindow> open_window_;
};

}  // namespace tv
