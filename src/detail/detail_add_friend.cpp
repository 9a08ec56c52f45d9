#include "detail/detail_add_friend.h"

#include <utility>

#include "core/background_job.h"
#include "core/notice.h"

namespace tv {

AddFriendRequest::AddFriendRequest(Fetch fetch, QObject* parent)
    : QObject(parent), fetch_(std::move(fetch)) {}

bool AddFriendRequest::Start(const CurrentMessage& message, const DetailViewer& viewer,
                             const FriendListedCheck& listed, const std::string& feed_host) {
  // One addition at a time: a second press before the answer could add the
  // same publisher twice, since the table only learns of it from the answer.
  if (busy_) return false;
  AddFriendGate gate = AddFriendOpening(message, viewer);
  if (gate.kind == AddFriendGate::Kind::kSilent) return false;
  if (gate.kind == AddFriendGate::Kind::kRefuse) {
    ShowNotice(gate.text);
    return false;
  }
  if (!AskYesNo(gate.text)) return false;
  if (std::string refusal = AddFriendRefusal(message, viewer, listed); !refusal.empty()) {
    ShowNotice(refusal);
    return false;
  }

  busy_ = true;
  std::string path = AddFriendPath(message, viewer.user_id);
  RunInBackground(
      this,
      [fetch = fetch_, host = feed_host, path = std::move(path)] {
        return fetch("POST", host, path);
      },
      [this, message](const std::string& answer) { Apply(answer, message); });
  return true;
}

void AddFriendRequest::Apply(const std::string& answer, const CurrentMessage& message) {
  busy_ = false;
  AddFriendAnswer read = ReadAddFriendAnswer(answer);
  if (read.kind == AddFriendAnswer::Kind::kNotice) ShowNotice(read.text);
  if (read.kind == AddFriendAnswer::Kind::kAdded) {
    emit friendAdded(AddedFriend{read.text, message.Company, {}, {}, message.Flag});
  }
  emit finished();
}

}  // namespace tv
