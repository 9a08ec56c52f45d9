#pragma once
// Publishing from the forms: the checks on sending, the minimum interval,
// the request on a worker, and on the UI thread the reply's notice, the own
// message on top of the list and the history. One publication at a time: the
// form shows it is sending until publishFinished.
#include <QObject>
#include <string>

#include "publish/publish_record.h"
#include "publish/publish_request.h"
#include "publish/publish_session.h"
#include "publish/submission.h"

namespace tv {

class PublishController : public QObject {
  Q_OBJECT

 public:
  explicit PublishController(PublishSession session, QObject* parent = nullptr);

  const PublishSession& Session() const { return session_; }

  // A form's "发布": the checks, then Publish. False when refused at once
  // (its notice shown) or while a publication runs.
  bool Submit(const SubmitForm& form);
  // The gate, then the request on a worker. False when refused at once: a
  // publication is running, or the interval has not passed (notice).
  bool Publish(PublishRecord record);
  bool Busy() const { return busy_; }

  // The history text the member last took into a form with "←使用"; an
  // accepted message with exactly this text replaces its old entries.
  const std::string& LastUsedHistoryText() const { return last_used_history_; }
  void SetLastUsedHistoryText(std::string text) { last_used_history_ = std::move(text); }

 signals:
  void busyChanged(bool busy);
  // The reply was applied. `taken`: the form may empty itself and close.
  void publishFinished(bool taken, tv::PublishReply reply);

 private:
  void Apply(const PublishRecord& record, const PublishOutcome& outcome);

  PublishSession session_;
  PublishGate gate_;
  bool busy_ = false;
  std::string last_used_history_;
};

}  // namespace tv
