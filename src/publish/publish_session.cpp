#include "publish/publish_session.h"

#include "core/gbk.h"
#include "core/notice.h"
#include "core/text_time.h"
#include "net/transport.h"
#include "publish/history.h"

namespace tv {

PublishSession WithDefaults(PublishSession s) {
  if (!s.profile) s.profile = [] { return MemberProfile{}; };
  if (!s.feed_host) s.feed_host = [] { return std::string(); };
  if (!s.post_own_message) s.post_own_message = [](const OwnMessage&) {};
  if (!s.fetch)
    s.fetch = [](std::string_view verb, std::string_view host, std::string_view path) {
      return FetchEncodedPage(verb, host, path);
    };
  if (!s.now) s.now = [] { return std::chrono::steady_clock::now(); };
  if (!s.time_text) s.time_text = [] { return TimeTextNow(); };
  return s;
}

OwnMessageAnswer FetchOwnMessage(const PublishSession& session, const std::string& host,
                                 const PublishRecord& record) {
  OwnMessageAnswer answer;
  answer.info_id = session.fetch("GET", host, InfoIdPath(record.member_number.str()));
  answer.display_text = session.fetch("GET", host, NewStringPath(record.content.str()));
  return answer;
}

PublishOutcome SendPublication(const PublishSession& session, const std::string& host,
                               const std::string& path, const PublishRecord& record) {
  PublishOutcome outcome;
  outcome.reply = session.fetch("POST", host, path);
  if (ClassifyPublishReply(outcome.reply) == PublishReply::kAccepted)
    outcome.own = FetchOwnMessage(session, host, record);
  return outcome;
}

void ShowOwnMessage(const PublishSession& session, const PublishRecord& record,
                    const OwnMessageAnswer& answer) {
  // Row 0's identifier is what the feed's next poll asks from: a row without
  // a real one would break the poll, so the lists are left alone.
  if (answer.info_id == kError || answer.info_id.empty()) return;
  const bool has_text = answer.display_text != kError && !answer.display_text.empty();
  const InfoRecord row = OwnMessageRecord(record, answer.info_id,
                                          has_text ? answer.display_text : record.content.str(),
                                          session.profile(), session.time_text());
  session.post_own_message(OwnMessage{row, record.departure_city.str(), record.content.str()});
}

PublishReply ApplyPublishOutcome(const PublishSession& session, const PublishRecord& record,
                                 const PublishOutcome& outcome, std::string_view last_used) {
  const PublishReply reply = ClassifyPublishReply(outcome.reply);
  const std::string& notice = PublishReplyNotice(reply);
  if (!notice.empty()) ShowNotice(notice);
  if (reply == PublishReply::kAccepted) {
    ShowOwnMessage(session, record, outcome.own);
    RecordPublishedHistory(record.history_text.str(), last_used);
  }
  return reply;
}

}  // namespace tv
