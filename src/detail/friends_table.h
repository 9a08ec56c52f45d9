#pragma once
// The friends list: one row per friend, read from the friends answer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct FriendRow {
  std::string entry_id;  // the list entry, used to remove it
  std::string name;      // the friend's company, shown in the tree
  std::string qq;
  std::string net_phone;
  std::string user_id;  // the friend's member number ("Msg_Flag")
  bool operator==(const FriendRow&) const = default;
};

// "@@" rec "@@" rec "@@"; each record "a||b||c||d||rest". Text before the first
// "@@" and after the last is ignored; a record with fewer than four "||" or an
// empty entry identifier is dropped.
std::vector<FriendRow> ParseFriends(std::string_view body);

// The member's friends list, and the removal of one entry.
std::string FriendsPath(std::int64_t user_id);
std::string DeleteFriendPath(std::string_view entry_id);

class FriendsTable {
 public:
  void Assign(std::vector<FriendRow> rows) { rows_ = std::move(rows); }
  void Append(FriendRow row) { rows_.push_back(std::move(row)); }
  // The first row whose display name is `name`.
  const FriendRow* FindByName(std::string_view name) const;
  bool RemoveEntry(std::string_view entry_id);
  const std::vector<FriendRow>& Rows() const { return rows_; }

 private:
  std::vector<FriendRow> rows_;
};

}  // namespace tv
