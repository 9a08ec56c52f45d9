#pragma once
// The state of one open detail window: WaitFlag and the one-second countdown
// that makes an ordinary member wait before the telephone shows. Headless; the
// window owns it (QObject parent), so the timer never outlives the window.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

#include "detail/detail_decisions.h"

namespace tv {

class DetailState : public QObject {
  Q_OBJECT

 public:
  DetailState(CurrentMessage message, DetailViewer viewer, QObject* parent = nullptr);

  const CurrentMessage& message() const { return message_; }
  const DetailViewer& viewer() const { return viewer_; }
  bool waitFlag() const { return wait_flag_; }

  // Texts for the window (GBK).
  std::string contactText() const { return ContactText(message_, viewer_, wait_flag_); }
  bool countdownVisible() const { return counting_; }
  std::string countdownText() const { return CountdownText(seconds_total_); }
  std::int64_t secondsLeft() const { return seconds_total_ - ticks_done_; }
  bool timerRunning() const { return timer_.isActive(); }
  int timerInterval() const { return timer_.interval(); }

  // Starts the countdown when this member must wait; returns whether it runs.
  // A wait of zero seconds or less shows the telephone at once.
  bool Start();
  // One tick of the window's timer (public so that tests need not wait).
  void Tick();
  // "关闭" and closing the window.
  void Stop();

 signals:
  void secondsLeftChanged(qint64 seconds_left);
  // The wait is over: the telephone replaces the VIP text.
  void contactRevealed();

 private:
  void Reveal();

  CurrentMessage message_;
  DetailViewer viewer_;
  bool wait_flag_ = false;
  bool counting_ = false;
  std::int64_t seconds_total_ = 0;
  std::int64_t ticks_done_ = 0;
  QTimer timer_;
};

}  // namespace tv
