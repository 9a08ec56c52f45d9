#pragma once
// "加入好友": the checks and the question on the UI thread, the request on a
// short-lived worker, the answer applied back on the UI thread. The owner (the
// main window, which holds the friends table and the tree) connects
// friendAdded; an answer that arrives after the owner is gone is dropped.
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "detail/detail_decisions.h"
#include "detail/detail_friend_rules.h"

namespace tv {

class AddFriendRequest : public QObject {
  Q_OBJECT

 public:
  // The blocking exchange the worker runs: verb, host, path -> decoded answer
  // or "Error" (FetchEncodedPage in the program).
  using Fetch = std::function<std::string(std::string_view verb, std::string_view host,
                                          std::string_view path)>;

  explicit AddFriendRequest(Fetch fetch, QObject* parent = nullptr);

  // The whole command for `message`. Returns true when a request went out;
  // false when it stopped at a check, a "no" or a request still under way.
  bool Start(const CurrentMessage& message, const DetailViewer& viewer,
             const FriendListedCheck& listed, const std::string& feed_host);
  bool busy() const { return busy_; }

 signals:
  // A new friends-table row; the owner adds it with a tree item under "好友列表".
  void friendAdded(const tv::AddedFriend& row);
  // The answer of a request has been applied (whatever it was).
  void finished();

 private:
  void Apply(const std::string& answer, const CurrentMessage& message);

  Fetch fetch_;
  bool busy_ = false;
};

}  // namespace tv
