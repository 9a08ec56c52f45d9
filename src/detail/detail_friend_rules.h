#pragma once
// The rules of "加入好友": who may add, what is refused before anything is sent,
// the request path and how its answer reads. No Qt.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "detail/detail_decisions.h"

namespace tv {

// Whether a FriendsTable row already holds this user identifier.
using FriendListedCheck = std::function<bool(std::string_view user_id)>;

// Before the question: stay silent (not logged in), refuse, or ask.
struct AddFriendGate {
  enum class Kind { kSilent, kRefuse, kAsk };
  Kind kind = Kind::kSilent;
  std::string text;  // the refusal notice or the question
  bool operator==(const AddFriendGate&) const = default;
};
AddFriendGate AddFriendOpening(const CurrentMessage& message, const DetailViewer& viewer);

// After a "yes": the notice that stops the addition, or empty when the request
// may go out.
std::string AddFriendRefusal(const CurrentMessage& message, const DetailViewer& viewer,
                             const FriendListedCheck& listed);

// The user identifier as the service compares it: leading blanks, a sign and
// decimal digits up to the first other character; no digits give 0.
std::int64_t DecimalValue(std::string_view text);

// The POST path of the addition.
std::string AddFriendPath(const CurrentMessage& message, std::int64_t user_id);

struct AddFriendAnswer {
  enum class Kind { kNotice, kAdded, kIgnored };
  Kind kind = Kind::kIgnored;
  std::string text;  // the notice, or the new entry identifier
  bool operator==(const AddFriendAnswer&) const = default;
};
AddFriendAnswer ReadAddFriendAnswer(std::string_view answer);

// One row of the friends table as the addition creates it.
struct AddedFriend {
  std::string entry_id;
  std::string name;  // the friend's company
  std::string qq;
  std::string net_phone;
  std::string user_id;
  bool operator==(const AddedFriend&) const = default;
};

}  // namespace tv
