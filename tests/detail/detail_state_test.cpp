#include "detail/detail_state.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <vector>

#include "detail_fixtures.h"

namespace tv {
namespace {

using detail_test::Member;
using detail_test::PublisherMessage;
using detail_test::Viewer;

TEST(DetailState, OrdinaryMemberCountsDownThenSeesTheTelephone) {
  DetailState state(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, 10));
  std::vector<qint64> shown;
  int revealed = 0;
  QObject::connect(&state, &DetailState::secondsLeftChanged,
                   [&](qint64 left) { shown.push_back(left); });
  QObject::connect(&state, &DetailState::contactRevealed, [&] { ++revealed; });

  ASSERT_TRUE(state.Start());
  EXPECT_TRUE(state.timerRunning());
  EXPECT_EQ(state.timerInterval(), 1000);
  EXPECT_TRUE(state.countdownVisible());
  for (int i = 0; i < 9; ++i) state.Tick();
  EXPECT_TRUE(state.waitFlag());
  EXPECT_NE(state.contactText(), "13800001111");
  state.Tick();

  EXPECT_EQ(shown, (std::vector<qint64>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(revealed, 1);
  EXPECT_FALSE(state.waitFlag());
  EXPECT_FALSE(state.timerRunning());
  EXPECT_FALSE(state.countdownVisible());
  EXPECT_EQ(state.contactText(), "13800001111");
  // A late tick after the end changes nothing.
  state.Tick();
  EXPECT_EQ(revealed, 1);
  EXPECT_EQ(shown.size(), 11u);
}

TEST(DetailState, NoCountdownKeepsWhatTheOpeningShows) {
  struct Case {
    Member member;
    bool telephone;
  };
  const Case cases[] = {{Member::kFull, true},
                        {Member::kOrdinaryNoWait, false},
                        {Member::kNoContactRights, false},
                        {Member::kGuest, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(detail_test::Name(c.member));
    DetailState state(PublisherMessage(), Viewer(c.member));
    EXPECT_FALSE(state.Start());
    EXPECT_FALSE(state.timerRunning());
    state.Tick();
    EXPECT_EQ(state.contactText() == "13800001111", c.telephone);
  }
}

TEST(DetailState, NonPositiveWaitShowsTheTelephoneAtOnce) {
  for (long seconds : {0L, -5L}) {
    DetailState state(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, seconds));
    int revealed = 0;
    QObject::connect(&state, &DetailState::contactRevealed, [&] { ++revealed; });
    EXPECT_FALSE(state.Start());
    EXPECT_EQ(revealed, 1);
    EXPECT_FALSE(state.timerRunning());
    EXPECT_EQ(state.contactText(), "13800001111");
  }
}

TEST(DetailState, StopEndsTheTimerAndItDiesWithItsOwner) {
  auto* owner = new QObject;
  QPointer<DetailState> state =
      new DetailState(PublisherMessage(), Viewer(Member::kOrdinaryWaiting, 30), owner);
  ASSERT_TRUE(state->Start());
  state->Stop();
  EXPECT_FALSE(state->timerRunning());
  state->Tick();
  EXPECT_TRUE(state->waitFlag());

  ASSERT_TRUE(state->Start());
  delete owner;
  EXPECT_TRUE(state.isNull());
}

}  // namespace
}  // namespace tv
