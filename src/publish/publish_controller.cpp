#include "publish/publish_controller.h"

#include "core/background_job.h"
#include "core/notice.h"

namespace tv {

PublishController::PublishController(PublishSession session, QObject* parent)
    : QObject(parent), session_(WithDefaults(std::move(session))) {
  qRegisterMetaType<tv::PublishReply>("tv::PublishReply");
}

bool PublishController::Submit(const SubmitForm& form) {
  if (busy_) return false;
  Submission submission = PrepareSubmission(session_.profile(), form);
  if (!submission.record) {
    ShowNotice(submission.notice);
    return false;
  }
  return Publish(std::move(*submission.record));
}

bool PublishController::Publish(PublishRecord record) {
  if (busy_) return false;
  const MemberProfile profile = session_.profile();
  // The interval runs from every attempt that passes here, whatever its
  // request brings back.
  if (!gate_.TryPass(session_.now(), profile.PublishWaitSeconds)) {
    ShowNotice(GateNotice(profile.PublishWaitSeconds));
    return false;
  }
  busy_ = true;
  emit busyChanged(true);
  const std::string host = session_.feed_host();
  const std::string path = PublishPath(record, profile, AddSign::kNewInfo);
  RunInBackground(
      this,
      [session = session_, host, path, record] {
        return SendPublication(session, host, path, record);
      },
      [this, record](PublishOutcome outcome) { Apply(record, outcome); });
  return true;
}

void PublishController::Apply(const PublishRecord& record, const PublishOutcome& outcome) {
  busy_ = false;
  emit busyChanged(false);
  const PublishReply reply = ApplyPublishOutcome(session_, record, outcome, last_used_history_);
  emit publishFinished(PublishTaken(reply), reply);
}

}  // namespace tv
