#include "detail/friends_loader.h"

#include "core/background_job.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"

namespace tv {

FriendsLoader::FriendsLoader(FriendsTable& table, Fetch fetch, std::function<std::string()> host,
                             QObject* parent)
    : QObject(parent), table_(table), fetch_(std::move(fetch)), host_(std::move(host)) {}

void FriendsLoader::LoadFriends(std::int64_t user_id) {
  const std::string host = host_();
  auto fetch = fetch_;
  RunInBackground(
      this, [host, fetch, user_id] { return ParseFriends(fetch(host, FriendsPath(user_id))); },
      [this](std::vector<FriendRow> rows) {
        const int count = static_cast<int>(rows.size());
        for (auto& row : rows) table_.Append(std::move(row));
        emit friendsLoaded(count);
      });
}

void FriendsLoader::RemoveFriend(const std::string& name) {
  const FriendRow* row = table_.FindByName(name);
  if (row == nullptr) return;
  // "确定要删除好友＂%s(%s)＂吗?" with the name and the friend's member number.
  const std::string question =
      TV_TEXT("确定要删除好友＂") + row->name + "(" + row->user_id + ")" + TV_TEXT("＂吗?");
  if (!AskYesNo(question)) return;
  const std::string entry_id = row->entry_id;
  const std::string host = host_();
  auto fetch = fetch_;
  RunInBackground(
      this, [host, fetch, entry_id] { return fetch(host, DeleteFriendPath(entry_id)); },
      [this, entry_id, name](std::string answer) {
        const bool removed = answer == "DelOK";
        if (removed) {
          table_.RemoveEntry(entry_id);
          emit friendRemoved(FromGbk(name));
        } else {
          ShowNotice(TV_TEXT("删除失败,请稍后重试"));
        }
        emit removeFinished(removed);
      });
}

}  // namespace tv
