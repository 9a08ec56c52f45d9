#pragma once
// The loop re-send's lists and turns, as a state machine without timers or
// threads: texts waiting for their turn (pending) and texts sent in this round
// (sent); one tick takes the first pending text, and its outcome moves it or
// leaves it first for the next tick. The controller owns the timer and the
// request and calls this on the user-interface thread only.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "publish/publish_record.h"

namespace tv {

class LoopState {
 public:
  static constexpr int kIntervalCount = 4;
  // 3, 5, 10 or 15 minutes by interval index; the five minutes for anything else.
  static int PeriodMs(int interval_index);

  enum class Refusal { kNone, kLooping, kEmpty };

  bool looping() const { return looping_; }
  int interval_index() const { return interval_index_; }
  const std::vector<std::string>& pending() const { return pending_; }
  const std::vector<std::string>& sent() const { return sent_; }
  // The dialog's loop list: the sent texts, then the pending ones.
  std::vector<std::string> Shown() const;
  bool Holds(std::string_view text) const;

  // "添加到循环→": false when the loop already holds the text.
  bool Add(const std::string& text);
  // "全部到循环→": every line not yet held, in the given order.
  void AddAll(const std::vector<std::string>& lines);
  // "←删除" of the loop: refused while looping; otherwise the first equal
  // pending text goes, or else the first equal sent text.
  Refusal Remove(std::string_view text);
  // "←清空" of the loop: refused while looping.
  Refusal Clear();
  // "自动循环重发" ticked: the interval is taken over first; refused with an
  // empty loop.
  Refusal Start(int interval_index);
  // Unticked: the interval is taken over, looping stops. A send under way is
  // let finish.
  void Stop(int interval_index);

  // What one tick sends.
  struct Turn {
    std::string history_text;
    PublishRecord record;
  };
  // Builds the record of a history text; nothing for a text that cannot be
  // sent (not of the history shape, fields too long).
  using Prepare = std::function<std::optional<PublishRecord>(const std::string& history_text)>;
  // The turn of this tick, or nothing: not looping, the previous turn still
  // under way (ticks never overlap), or nothing that can be sent. A text that
  // cannot be sent is passed over to the sent list, never sent.
  std::optional<Turn> BeginTurn(const Prepare& prepare);
  // The outcome of the turn begun last: `answered` (any reply but a failure)
  // moves its text from pending to sent; otherwise it stays first and is tried
  // at the next tick. A text removed meanwhile stays removed.
  void EndTurn(bool answered);
  bool busy() const { return turn_text_.has_value(); }

 private:
  void RefillPending();

  bool looping_ = false;
  int interval_index_ = 1;
  std::vector<std::string> pending_;
  std::vector<std::string> sent_;
  std::optional<std::string> turn_text_;
};

}  // namespace tv
