#pragma once
// The loop re-send: while looping, one loop text is sent every 3, 5, 10 or 15
// minutes, in turn. The tick takes what it needs (the text, the member, the
// contact settings) on the UI thread, the request runs on a worker, and the
// outcome, the list moves and the own message are applied on the UI thread.
// A tick that comes while the previous send still runs is skipped.
#include <QObject>
#include <QTimer>
#include <string>

#include "publish/loop_state.h"
#include "publish/publish_session.h"

namespace tv {

class LoopController : public QObject {
  Q_OBJECT

 public:
  explicit LoopController(PublishSession session, QObject* parent = nullptr);

  LoopState& State() { return state_; }
  const LoopState& State() const { return state_; }
  bool TimerActive() const { return timer_.isActive(); }
  int TimerPeriodMs() const { return timer_.interval(); }
  // Every interval lasts this long instead (end-to-end runs and tests cannot
  // wait minutes); 0 restores the real periods.
  void SetPeriodOverrideMs(int ms) { period_override_ms_ = ms > 0 ? ms : 0; }

  // "自动循环重发" ticked / unticked with the drop-down's interval index.
  // Start refuses an empty loop (the caller shows the notice).
  LoopState::Refusal Start(int interval_index);
  void Stop(int interval_index);

  // One timer expiry.
  void Tick();

 signals:
  // A turn began (its text is on its way) and ended (answered: any reply but
  // a failure; accepted: "AddOK").
  void turnStarted(const QString& history_text);
  void turnFinished(const QString& history_text, bool answered, bool accepted);
  void loopingChanged(bool looping);

 private:
  PublishSession session_;
  LoopState state_;
  QTimer timer_;
  int period_override_ms_ = 0;
};

}  // namespace tv
