#pragma once
// The friends list: loaded once after login, shown under "好友列表" in the
// region tree, and shortened by "删除好友".
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "detail/friends_table.h"

namespace tv {

class FriendsLoader : public QObject {
  Q_OBJECT

 public:
  // A GET with the answer base64-decoded ("Error" on failure). Worker thread.
  using Fetch = std::function<std::string(std::string_view host, std::string_view path)>;

  // `table` outlives the loader; `host` names the data server of each request.
  FriendsLoader(FriendsTable& table, Fetch fetch, std::function<std::string()> host,
                QObject* parent = nullptr);

  void LoadFriends(std::int64_t user_id);
  // Asks "确定要删除好友..." and removes the friend named `name` on "DelOK";
  // "删除失败,请稍后重试" otherwise.
  void RemoveFriend(const std::string& name);

 signals:
  void friendsLoaded(int count);
  // The tree item labelled `name` goes (GBK name as a QString).
  void friendRemoved(const QString& name);
  void removeFinished(bool removed);

 private:
  FriendsTable& table_;
  Fetch fetch_;
  std::function<std::string()> host_;
};

}  // namespace tv
