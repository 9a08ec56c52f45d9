#pragma once
// The friends list: loaded once after login, shown under "好友列表" in the
// region tree, and shortened by "删除好友".
#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

#include "feed/feed_controller.h"

namespace tv {

class FriendsLoader : public QObject {
  Q_OBJECT

 public:
  explicit FriendsLoader(FeedController& feed, QObject* parent = nullptr);

  void LoadFriends(std::int64_t user_id);
  // Asks "确定要删除好友..." and removes the friend named `name` on "DelOK";
  // "删除失败,请稍后重试" otherwise.
  void RemoveFriend(const std::string& name);

 signals:
  void FriendsLoaded(int count);
  // The tree item labelled `name` goes (GBK name as a QString).
  void FriendRemoved(const QString& name);
  void RemoveFinished(bool removed);

 private:
  FeedController& feed_;
};

}  // namespace tv
