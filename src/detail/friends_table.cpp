#include "detail/friends_table.h"

#include <algorithm>

#include "net/answers.h"
#include "net/query_encoding.h"

namespace tv {
namespace {

std::optional<FriendRow> SplitFriend(std::string_view item) {
  std::string_view fields[4];
  std::size_t pos = 0;
  for (auto& field : fields) {
    const std::size_t bar = FindSeparator(item, "||", pos);
    if (bar == std::string_view::npos) return std::nullopt;
    field = item.substr(pos, bar - pos);
    pos = bar + 2;
  }
  if (fields[0].empty()) return std::nullopt;
  return FriendRow{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                   std::string(fields[3]), std::string(item.substr(pos))};
}

}  // namespace

std::vector<FriendRow> ParseFriends(std::string_view body) {
  std::vector<FriendRow> rows;
  std::size_t at = FindSeparator(body, "@@");
  while (at != std::string_view::npos && at + 2 < body.size()) {
    const std::size_t next = FindSeparator(body, "@@", at + 2);
    if (next == std::string_view::npos) break;  // an unterminated last record is not a record
    const std::string_view item = body.substr(at + 2, next - at - 2);
    if (!item.empty()) {
      if (auto row = SplitFriend(item)) rows.push_back(std::move(*row));
    }
    at = next;
  }
  return rows;
}

const FriendRow* FriendsTable::FindByName(std::string_view name) const {
  auto it =
      std::find_if(rows_.begin(), rows_.end(), [&](const FriendRow& r) { return r.name == name; });
  return it == rows_.end() ? nullptr : &*it;
}

bool FriendsTable::RemoveEntry(std::string_view entry_id) {
  auto it = std::find_if(rows_.begin(), rows_.end(),
                         [&](const FriendRow& r) { return r.entry_id == entry_id; });
  if (it == rows_.end()) return false;
  rows_.erase(it);
  return true;
}

std::string FriendsPath(std::int64_t user_id) {
  return "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=" + std::to_string(user_id);
}

std::string DeleteFriendPath(std::string_view entry_id) {
  return "/qavel/client/GetFrindInfo.asp?action=DelFrindInfo&UserID=" + EncodeQueryValue(entry_id);
}

}  // namespace tv
