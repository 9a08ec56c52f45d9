// The loop re-send's turns: round robin over the loop texts, a failed send
// tried again, no two turns at once, and the dialog's changes to the lists.
#include <gtest/gtest.h>

#include "publish/loop_state.h"

namespace tv {
namespace {

// Every text but those starting with "bad" can be sent.
std::optional<PublishRecord> Prepare(const std::string& text) {
  if (text.rfind("bad", 0) == 0) return std::nullopt;
  PublishFields fields;
  fields.history_text = text;
  return PublishRecord::Make(fields);
}

// Runs one tick with the given outcome; returns the text sent ("" for none).
std::string Tick(LoopState& loop, bool answered = true) {
  const auto turn = loop.BeginTurn(Prepare);
  if (!turn) return "";
  EXPECT_EQ(turn->record.history_text.str(), turn->history_text);
  loop.EndTurn(answered);
  return turn->history_text;
}

LoopState Looping(std::vector<std::string> texts) {
  LoopState loop;
  loop.AddAll(texts);
  EXPECT_EQ(loop.Start(1), LoopState::Refusal::kNone);
  return loop;
}

TEST(LoopState, SendsRoundRobinAndRetriesAFailedText) {
  LoopState loop = Looping({"A", "B", "C"});
  EXPECT_EQ(Tick(loop), "A");
  EXPECT_EQ(Tick(loop), "B");
  EXPECT_EQ(Tick(loop), "C");
  EXPECT_EQ(Tick(loop), "A");

  LoopState failing = Looping({"A", "B", "C"});
  EXPECT_EQ(Tick(failing), "A");
  EXPECT_EQ(Tick(failing, false), "B");
  EXPECT_EQ(failing.Shown(), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(Tick(failing), "B");
  EXPECT_EQ(Tick(failing), "C");
}

TEST(LoopState, TurnsNeverOverlap) {
  LoopState loop = Looping({"A", "B"});
  const auto first = loop.BeginTurn(Prepare);
  ASSERT_TRUE(first);
  EXPECT_TRUE(loop.busy());
  EXPECT_FALSE(loop.BeginTurn(Prepare));  // the tick is skipped
  loop.EndTurn(true);
  EXPECT_EQ(Tick(loop), "B");
}

TEST(LoopState, TextsThatCannotBeSentArePassedOver) {
  LoopState loop = Looping({"bad1", "A", "bad2"});
  EXPECT_EQ(Tick(loop), "A");
  EXPECT_EQ(Tick(loop), "A");  // bad2 and bad1 passed over on the way round
  LoopState hopeless = Looping({"bad1", "bad2"});
  EXPECT_EQ(Tick(hopeless), "");
  EXPECT_FALSE(hopeless.busy());
}

TEST(LoopState, StartNeedsTextsAndTakesTheInterval) {
  LoopState loop;
  EXPECT_EQ(loop.Start(3), LoopState::Refusal::kEmpty);
  EXPECT_FALSE(loop.looping());
  EXPECT_EQ(loop.interval_index(), 3);
  EXPECT_EQ(Tick(loop), "");  // not looping: nothing is sent

  struct Case {
    int index;
    int period_ms;
  } periods[] = {{0, 180'000}, {1, 300'000}, {2, 600'000}, {3, 900'000}, {7, 300'000}};
  for (const Case& c : periods) EXPECT_EQ(LoopState::PeriodMs(c.index), c.period_ms) << c.index;
}

TEST(LoopState, ListsChangeOnlyWhileStopped) {
  LoopState loop = Looping({"A", "B"});
  EXPECT_TRUE(loop.Add("C"));  // adding is allowed while looping
  EXPECT_FALSE(loop.Add("A"));
  loop.AddAll({"A", "C", "D"});
  EXPECT_EQ(loop.Shown(), (std::vector<std::string>{"A", "B", "C", "D"}));
  EXPECT_EQ(loop.Remove("A"), LoopState::Refusal::kLooping);
  EXPECT_EQ(loop.Clear(), LoopState::Refusal::kLooping);

  EXPECT_EQ(Tick(loop), "A");
  loop.Stop(2);
  EXPECT_EQ(loop.interval_index(), 2);
  EXPECT_EQ(loop.Remove("A"), LoopState::Refusal::kNone);  // from the sent list
  EXPECT_EQ(loop.Remove("C"), LoopState::Refusal::kNone);
  EXPECT_EQ(loop.Shown(), (std::vector<std::string>{"B", "D"}));
  EXPECT_EQ(loop.Clear(), LoopState::Refusal::kNone);
  EXPECT_TRUE(loop.Shown().empty());
}

TEST(LoopState, TextRemovedWhileItsSendRunsStaysRemoved) {
  LoopState loop = Looping({"A", "B"});
  ASSERT_TRUE(loop.BeginTurn(Prepare));
  loop.Stop(1);  // a send under way is let finish
  EXPECT_EQ(loop.Remove("A"), LoopState::Refusal::kNone);
  loop.EndTurn(true);
  EXPECT_EQ(loop.Shown(), (std::vector<std::string>{"B"}));
  EXPECT_EQ(loop.pending(), (std::vector<std::string>{"B"}));
}

}  // namespace
}  // namespace tv
