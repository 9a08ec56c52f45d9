#include "publish/loop_state.h"

#include <algorithm>

namespace tv {
namespace {

bool EraseFirst(std::vector<std::string>& list, std::string_view text) {
  auto it = std::find(list.begin(), list.end(), text);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

int LoopState::PeriodMs(int interval_index) {
  constexpr int kPeriods[kIntervalCount] = {180'000, 300'000, 600'000, 900'000};
  if (interval_index < 0 || interval_index >= kIntervalCount) return kPeriods[1];
  return kPeriods[interval_index];
}

std::vector<std::string> LoopState::Shown() const {
  std::vector<std::string> shown = sent_;
  shown.insert(shown.end(), pending_.begin(), pending_.end());
  return shown;
}

bool LoopState::Holds(std::string_view text) const {
  return std::find(pending_.begin(), pending_.end(), text) != pending_.end() ||
         std::find(sent_.begin(), sent_.end(), text) != sent_.end();
}

bool LoopState::Add(const std::string& text) {
  if (Holds(text)) return false;
  pending_.push_back(text);
  return true;
}

void LoopState::AddAll(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) Add(line);
}

LoopState::Refusal LoopState::Remove(std::string_view text) {
  if (looping_) return Refusal::kLooping;
  if (!EraseFirst(pending_, text)) EraseFirst(sent_, text);
  return Refusal::kNone;
}

LoopState::Refusal LoopState::Clear() {
  if (looping_) return Refusal::kLooping;
  pending_.clear();
  sent_.clear();
  return Refusal::kNone;
}

LoopState::Refusal LoopState::Start(int interval_index) {
  interval_index_ = std::clamp(interval_index, 0, kIntervalCount - 1);
  if (pending_.empty() && sent_.empty()) return Refusal::kEmpty;
  looping_ = true;
  return Refusal::kNone;
}

void LoopState::Stop(int interval_index) {
  interval_index_ = std::clamp(interval_index, 0, kIntervalCount - 1);
  looping_ = false;
}

void LoopState::RefillPending() {
  if (!pending_.empty() || sent_.empty()) return;
  pending_ = std::move(sent_);
  sent_.clear();
}

std::optional<LoopState::Turn> LoopState::BeginTurn(const Prepare& prepare) {
  if (!looping_ || busy()) return std::nullopt;
  // At most one round: when no text can be sent, the tick sends nothing.
  const std::size_t texts = pending_.size() + sent_.size();
  for (std::size_t tried = 0; tried < texts; ++tried) {
    RefillPending();
    const std::string text = pending_.front();
    std::optional<PublishRecord> record = prepare(text);
    if (record) {
      turn_text_ = text;
      return Turn{text, std::move(*record)};
    }
    pending_.erase(pending_.begin());
    sent_.push_back(text);
  }
  return std::nullopt;
}

void LoopState::EndTurn(bool answered) {
  if (!turn_text_) return;
  const std::string text = std::move(*turn_text_);
  turn_text_.reset();
  if (!answered) return;
  if (EraseFirst(pending_, text)) sent_.push_back(text);
}

}  // namespace tv
