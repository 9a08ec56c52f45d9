// The loop re-send against the local service: turns in round robin, a failed
// turn tried again, replies that move on, what a loop message carries, and the
// timer with a shortened period.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "publish/contact_block.h"
#include "publish/loop_controller.h"
#include "publish_service_fixture.h"
#include "settings/values.h"
#include "tests/net/scripted_server.h"

namespace tv {
namespace {

using test::G;
using test::U;

class LoopControllerTest : public test::PublishServiceTest {
 protected:
  // One tick, waited for; the content it sent ("" when nothing was sent).
  std::string Tick(LoopController& loop) {
    QSignalSpy finished(&loop, &LoopController::turnFinished);
    const std::size_t before = PathsWith("SetInfo.asp").size();
    loop.Tick();
    if (!loop.State().busy()) return "";
    EXPECT_TRUE(finished.wait(15000));
    const std::vector<std::string> sends = PathsWith("SetInfo.asp");
    if (sends.size() == before) return "";
    return U(test::QueryValue(sends.back(), "Msg_Content"));
  }
  std::unique_ptr<LoopController> Looping(std::vector<const char*> texts) {
    auto loop = std::make_unique<LoopController>(Session());
    for (const char* text : texts) loop->State().Add(G(text));
    EXPECT_EQ(loop->Start(1), LoopState::Refusal::kNone);
    return loop;
  }
};

TEST_F(LoopControllerTest, SendsInTurnAndRetriesAFailedText) {
  Start("demo_vip", "vip123");
  auto loop = Looping({"货源：A", "货源：B", "货源：C"});
  EXPECT_EQ(Tick(*loop), "A");
  // The service is out of reach for B's tick: B is tried again next time.
  const std::string real_host = host_;
  host_ = "127.0.0.1:" + std::to_string(test::UnusedPort());
  EXPECT_EQ(Tick(*loop), "B");
  host_ = real_host;
  EXPECT_EQ(Tick(*loop), "B");
  EXPECT_EQ(Tick(*loop), "C");
  // A again within a minute: the service calls it a duplicate, the loop moves on.
  EXPECT_EQ(Tick(*loop), "A");
  EXPECT_EQ(Tick(*loop), "B");
  EXPECT_TRUE(notices_.notices.empty());  // the loop never shows a notice
}

TEST_F(LoopControllerTest, AServiceThatForgotTheKeyCostsOneSilentLogin) {
  Start("demo_vip", "vip123");
  auto loop = Looping({"货源：A", "货源：B"});
  QSignalSpy finished(loop.get(), &LoopController::turnFinished);
  EXPECT_EQ(Tick(*loop), "A");
  RestartService();
  EXPECT_EQ(Tick(*loop), "B");
  ASSERT_EQ(finished.size(), 2);
  EXPECT_TRUE(finished.at(1).at(2).toBool()) << "B was not accepted";
  EXPECT_EQ(members_.Renewals(), 1);
  EXPECT_EQ(test::QueryValue(PathsWith("SetInfo.asp").back(), "SessionKey"), members_.Key());
  EXPECT_EQ(posted_.size(), 2u);
  EXPECT_TRUE(notices_.notices.empty());
}

TEST_F(LoopControllerTest, QuotaRepliesMoveOn) {
  Start("demo_vip", "vip123", {"--quota", "1"});
  auto loop = Looping({"货源：A", "货源：B", "货源：C"});
  EXPECT_EQ(Tick(*loop), "A");
  EXPECT_EQ(Tick(*loop), "B");  // "AddFull"
  EXPECT_EQ(Tick(*loop), "C");
  EXPECT_EQ(Tick(*loop), "A");
}

TEST_F(LoopControllerTest, LoopMessageCarriesItsOwnTypeCodeAndContactLine) {
  Start("demo_vip", "vip123");
  auto loop = Looping({"车源：有车", "其他：转让", "货源：有货"});
  for (int i = 0; i < 3; ++i) Tick(*loop);
  const std::vector<std::string> sends = PathsWith("SetInfo.asp");
  ASSERT_EQ(sends.size(), 3u);
  EXPECT_EQ(VerbsWith("SetInfo.asp"), std::vector<std::string>(3, "POST"));
  EXPECT_EQ(test::QueryValue(sends[0], "Msg_Type"), "1");
  EXPECT_EQ(test::QueryValue(sends[1], "Msg_Type"), "2");
  EXPECT_EQ(test::QueryValue(sends[2], "Msg_Type"), "0");
  EXPECT_EQ(test::QueryValue(sends[0], "AddSign"), "LoopInfo");
  EXPECT_EQ(test::QueryValue(sends[0], "Msg_StartCity"), profile_.City);
  // Name and company settings never stored: the loop leaves them out, the
  // forms' boxes would put them in.
  EXPECT_EQ(test::QueryValue(sends[0], "Msg_Tel"),
            ComposeContactLine(profile_, ReadLoopContactChoices()));
  EXPECT_EQ(test::QueryValue(sends[0], "Msg_Tel").find(profile_.RealName), std::string::npos);
  ASSERT_TRUE(WriteSetting(kMainKey, kContactName, "1"));
  Tick(*loop);
  EXPECT_NE(test::QueryValue(PathsWith("SetInfo.asp").back(), "Msg_Tel").find(profile_.RealName),
            std::string::npos);

  // Accepted re-sends go to the lists like a publication; no history is written.
  EXPECT_EQ(posted_.size(), 3u);
  EXPECT_TRUE(EnumerateSettings(kHistoryKey).empty());
}

TEST_F(LoopControllerTest, TimerRunsOnTheShortenedPeriodAndTicksNeverOverlap) {
  // A service that takes the request and never answers.
  test::ScriptedServer stalled({"", true});
  host_ = stalled.Host();
  LoopController loop(Session());
  EXPECT_EQ(loop.Start(0), LoopState::Refusal::kEmpty);
  EXPECT_FALSE(loop.TimerActive());

  loop.State().Add(G("货源：A"));
  loop.State().Add(G("货源：B"));
  ASSERT_EQ(loop.Start(0), LoopState::Refusal::kNone);
  EXPECT_EQ(loop.TimerPeriodMs(), 180'000);
  loop.Stop(0);

  loop.SetPeriodOverrideMs(40);
  QSignalSpy started(&loop, &LoopController::turnStarted);
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(loop.Start(3), LoopState::Refusal::kNone);
  EXPECT_EQ(loop.TimerPeriodMs(), 40);
  ASSERT_TRUE(started.wait(5000));
  EXPECT_GE(clock.elapsed(), 35);  // one period after the start, not at once
  // Later expiries find A's send still under way and are skipped.
  QTest::qWait(200);
  EXPECT_EQ(started.size(), 1);
  EXPECT_TRUE(loop.State().busy());
  loop.Stop(3);
}

}  // namespace
}  // namespace tv
