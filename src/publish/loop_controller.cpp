#include "publish/loop_controller.h"

#include "core/background_job.h"
#include "core/qt_gbk.h"
#include "publish/contact_block.h"

namespace tv {

LoopController::LoopController(PublishSession session, QObject* parent)
    : QObject(parent), session_(WithDefaults(std::move(session))) {
  connect(&timer_, &QTimer::timeout, this, &LoopController::Tick);
}

LoopState::Refusal LoopController::Start(int interval_index) {
  const LoopState::Refusal refusal = state_.Start(interval_index);
  if (refusal != LoopState::Refusal::kNone) return refusal;
  // The first send comes one period after the start, not at once.
  timer_.start(period_override_ms_ > 0 ? period_override_ms_
                                       : LoopState::PeriodMs(state_.interval_index()));
  emit loopingChanged(true);
  return refusal;
}

void LoopController::Stop(int interval_index) {
  state_.Stop(interval_index);
  timer_.stop();
  emit loopingChanged(false);
}

void LoopController::Tick() {
  const MemberProfile profile = session_.profile();
  // The contact line as the settings stand at this tick, not as a form shows it.
  const std::string contact_line = ComposeContactLine(profile, ReadLoopContactChoices());
  auto prepare = [&](const std::string& text) -> std::optional<PublishRecord> {
    const std::optional<HistoryEntry> entry = SplitHistoryText(text);
    if (!entry) return std::nullopt;
    // The departure city of the first publication is not kept: the member's
    // own city stands for both.
    return PublishRecord::Make({
        .member_city = profile.City,
        .departure_city = profile.City,
        .content = entry->content,
        .member_number = std::to_string(profile.UserId),
        .contact_line = contact_line,
        .type_code = LoopTypeCode(entry->type_name),
        .history_text = HistoryText(entry->type_name, entry->content),
    });
  };
  std::optional<LoopState::Turn> turn = state_.BeginTurn(prepare);
  if (!turn) return;
  const QString text = FromGbk(turn->history_text);
  emit turnStarted(text);
  const std::string host = session_.feed_host();
  const std::string path = PublishPath(turn->record, profile, AddSign::kLoopInfo);
  RunInBackground(
      this,
      [session = session_, host, path, record = turn->record] {
        return SendPublication(session, host, path, record);
      },
      [this, text, record = turn->record](PublishOutcome outcome) {
        const PublishReply reply = ClassifyPublishReply(outcome.reply);
        const bool answered = reply != PublishReply::kFailure;
        state_.EndTurn(answered);
        if (reply == PublishReply::kAccepted) ShowOwnMessage(session_, record, outcome.own);
        emit turnFinished(text, answered, reply == PublishReply::kAccepted);
      });
}

}  // namespace tv
