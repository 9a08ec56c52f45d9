#pragma once
// What publishing takes from the running session and gives back to the main
// list: the member, the data server, the view, and the member's own message
// once the service has it. Plain C++; each member has a working default so
// the controllers run headless.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/info_record.h"
#include "core/own_message.h"
#include "net/login_answer.h"
#include "publish/publish_record.h"
#include "publish/publish_request.h"

namespace tv {

struct PublishSession {
  // The member of this run. UI thread.
  std::function<MemberProfile()> profile;
  // The data server publications go to (the main window's FeedHost). UI thread.
  std::function<std::string()> feed_host;
  // Hands the member's own message, accepted by the service, to the lists;
  // each decides whether it concerns it. UI thread.
  std::function<void(const OwnMessage& message)> post_own_message;
  // One exchange with the service, the answer decoded ("Error" on failure).
  // Worker thread.
  std::function<std::string(std::string_view verb, std::string_view host, std::string_view path)>
      fetch;
  // The clock of the minimum interval. UI thread.
  std::function<std::chrono::steady_clock::time_point()> now;
  // The local time text of a new row. UI thread.
  std::function<std::string()> time_text;
};

// Fills every unset member: an empty profile and host, own messages
// dropped, the transport's
// FetchEncodedPage, the steady clock, the local time.
PublishSession WithDefaults(PublishSession session);

// What the service says about a message it has just accepted.
struct OwnMessageAnswer {
  std::string info_id;
  std::string display_text;
};
// The two requests after "AddOK": the message's identifier and its text as
// the list shows it. Worker thread; both are asked whatever the view.
OwnMessageAnswer FetchOwnMessage(const PublishSession& session, const std::string& host,
                                 const PublishRecord& record);
// A publication or loop re-send on a worker: the request, and after "AddOK"
// the two requests about the accepted message.
struct PublishOutcome {
  std::string reply;
  OwnMessageAnswer own;  // empty unless the reply was "AddOK"
};
PublishOutcome SendPublication(const PublishSession& session, const std::string& host,
                               const std::string& path, const PublishRecord& record);

// On the UI thread: the message is handed to the lists as a received record.
// Not without an identifier (the request failed); without a display text the
// content stands in.
void ShowOwnMessage(const PublishSession& session, const PublishRecord& record,
                    const OwnMessageAnswer& answer);

// A form's publication comes back, on the UI thread: the reply's notice; after
// "AddOK" the own message and the history (the entry taken unchanged from the
// history, `last_used`, moves to the newest place). Returns the reply.
PublishReply ApplyPublishOutcome(const PublishSession& session, const PublishRecord& record,
                                 const PublishOutcome& outcome, std::string_view last_used);

}  // namespace tv
