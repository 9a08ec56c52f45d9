#include "detail/detail_state.h"

#include <utility>

namespace tv {

namespace {
constexpr int kCountdownPeriodMs = 1000;
}  // namespace

DetailState::DetailState(CurrentMessage message, DetailViewer viewer, QObject* parent)
    : QObject(parent),
      message_(std::move(message)),
      viewer_(viewer),
      wait_flag_(viewer.ordinary_member),
      timer_(this) {
  timer_.setInterval(kCountdownPeriodMs);
  connect(&timer_, &QTimer::timeout, this, &DetailState::Tick);
}

bool DetailState::Start() {
  if (!wait_flag_) return false;
  std::optional<std::int64_t> seconds = ContactCountdownSeconds(viewer_);
  if (!seconds) return false;
  seconds_total_ = *seconds;
  ticks_done_ = 0;
  if (seconds_total_ <= 0) {
    // Counting up to a total that has already passed would never end and would
    // keep the telephone hidden for good; there is simply nothing to wait for.
    Reveal();
    return false;
  }
  counting_ = true;
  timer_.start();
  emit secondsLeftChanged(secondsLeft());
  return true;
}

void DetailState::Tick() {
  if (!counting_) return;
  ++ticks_done_;
  emit secondsLeftChanged(secondsLeft());
  if (ticks_done_ >= seconds_total_) Reveal();
}

void DetailState::Stop() {
  timer_.stop();
  counting_ = false;
}

void DetailState::Reveal() {
  wait_flag_ = false;
  Stop();
  emit contactRevealed();
}

}  // namespace tv
