#pragma once
// The publish request and what follows it: the request paths, the reply and
// its notice, the minimum interval between two publications, and the own
// message that goes on top of the list. Pure; the controller sends.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/info_record.h"
#include "net/login_answer.h"
#include "publish/publish_record.h"

namespace tv {

// "NewInfo" for a publication from a form, "LoopInfo" for a loop re-send.
enum class AddSign { kNewInfo, kLoopInfo };

// "/qavel/client/SetInfo.asp?action=Client_AddInfo&..." with the record's
// fields and the profile's net phone, company and InfoNum (the net phone is
// sent whatever its box says).
std::string PublishPath(const PublishRecord& record, const MemberProfile& profile, AddSign sign);
// The identifier of the member's newest message.
std::string InfoIdPath(std::string_view member_number);
// The text the service shows for a content.
std::string NewStringPath(std::string_view content);

enum class PublishReply {
  kFailure,    // "Error" or empty: nothing came back
  kDuplicate,  // "AddError"
  kQuotaFull,  // "AddFull"
  kAccepted,   // "AddOK"
  kOther,      // anything else: taken as done, without the bookkeeping
};
PublishReply ClassifyPublishReply(std::string_view reply);
// The notice of a reply (GBK, blanks included); empty for kAccepted and kOther.
const std::string& PublishReplyNotice(PublishReply reply);
// Whether the form may close: the publication was taken as done.
inline bool PublishTaken(PublishReply reply) {
  return reply == PublishReply::kAccepted || reply == PublishReply::kOther;
}

// The minimum interval between two publication attempts. An attempt that
// passes closes the gate for the whole interval, whatever its request brings
// back; the gate is a time to reopen, not a sleeping thread.
class PublishGate {
 public:
  using Clock = std::chrono::steady_clock;
  // True when an attempt may go ahead at `now`. `wait_seconds` of 0 or less
  // means no interval: the gate is neither consulted nor closed.
  bool TryPass(Clock::time_point now, int wait_seconds);
  bool Ready(Clock::time_point now) const { return !reopens_at_ || now >= *reopens_at_; }

 private:
  std::optional<Clock::time_point> reopens_at_;
};
// "您刚刚发布完信息,请 %d 秒后发布!" with the whole interval, not the time left.
std::string GateNotice(int wait_seconds);

// The row the member's own message becomes: the identifier and display text
// the service gave, the record's fields, the profile's net phone and company,
// the publication time, not closed.
InfoRecord OwnMessageRecord(const PublishRecord& record, std::string_view info_id,
                            std::string_view display_text, const MemberProfile& profile,
                            std::string_view time_text);

}  // namespace tv
