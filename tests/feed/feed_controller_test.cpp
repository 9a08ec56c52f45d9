// The feed jobs, paging, counts and friends against a scripted network: the
// order of effects, the ready flags and the answers that must be dropped.
#include "feed/feed_controller.h"

#include <gtest/gtest.h>
#include <QTest>

#include <memory>

#include "core/notice.h"
#include "detail/friends_loader.h"
#include "feed/counts_controller.h"
#include "feed/paging_controller.h"
#include "feed_test_util.h"
#include "scripted_fetch.h"

namespace tv {
namespace {

using feed_test::Body;
using feed_test::Counted;
using feed_test::G;
using feed_test::Rec;
using feed_test::ScriptedFetch;
using feed_test::U;

constexpr int kWaitMs = 5000;

class FeedControllerTest : public ::testing::Test {
 protected:
  FeedControllerTest() : store(grid) {
    FeedServices services;
    services.fetch = [this](std::string_view host, std::string_view path) {
      return net(host, path);
    };
    services.current_host = [this] { return current_host; };
    services.discover = [this] {
      ++discoveries;
      return discovery_finds_host;
    };
    services.find_friend = [this](std::string_view name) { return friends.FindByName(name); };
    feed = std::make_unique<FeedController>(store, services);
    feed->SetFeedHost("a.example");
    feed->SetPacing(0, 0);
    store.Member() = FeedMember{G("济宁"), 31, false};
    store.View().regions = {G("济宁")};
    // The records here are one text of one member: each row on its own.
    store.SetFolding(false);
  }

  // The login's first page with records 1002, 1001, 1000 of a total of 250.
  void Started() {
    net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas",
               Counted(250, {Rec("1002"), Rec("1001"), Rec("1000")}));
    net.Answer("/qavel/client/GetDelInfo.asp?action=GetMaxID", "40");
    net.Answer("/qavel/client/GetSuccessInfo.asp?action=GetMaxID", "Error");
    bool filled = false, done = false;
    QObject::connect(feed.get(), &FeedController::startPageApplied, [&](bool f) {
      filled = f;
      done = true;
    });
    feed->StartFeed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
    ASSERT_TRUE(filled);
  }

  int Poll() {
    int inserted = -1;
    auto c = QObject::connect(feed.get(), &FeedController::newRecordsApplied,
                              [&](int n) { inserted = n; });
    feed->PollNewRecords();
    EXPECT_TRUE(QTest::qWaitFor([&] { return inserted >= 0; }, kWaitMs));
    QObject::disconnect(c);
    return inserted;
  }

  bool Reload() {
    int filled = -1;
    auto c =
        QObject::connect(feed.get(), &FeedController::reloadApplied, [&](bool f) { filled = f; });
    feed->ReloadFirstPage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return filled >= 0; }, kWaitMs));
    QObject::disconnect(c);
    return filled == 1;
  }

  std::string Id(int row) const { return std::string(grid.CellText(row, kColInfoId)); }

  ScriptedFetch net;
  std::string current_host = "b.example";
  bool discovery_finds_host = true;
  int discoveries = 0;
  feed_test::TestGrid grid;
  FeedStore store;
  FriendsTable friends;
  std::unique_ptr<FeedController> feed;
};

TEST_F(FeedControllerTest, StartFeedFillsTheMembersCityAndStartsBothTimers) {
  qint32 shown = -1;
  QString caption;
  QObject::connect(feed.get(), &FeedController::totalChanged, [&](qint32 t) { shown = t; });
  QObject::connect(feed.get(), &FeedController::captionChanged,
                   [&](const QString& c) { caption = c; });
  Started();
  EXPECT_EQ(net.Paths().front(),
            "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%BC%C3%C4%FE&inType=8");
  EXPECT_EQ(grid.RowCount(), 250);
  EXPECT_EQ(Id(2), "1000");
  EXPECT_EQ(shown, 250);
  EXPECT_EQ(caption, QString::fromUtf8("◆ 济宁"));
  EXPECT_TRUE(feed->PollTimerActive());
  EXPECT_TRUE(feed->IdTimerActive());
  EXPECT_TRUE(feed->NewRecordsReady());
  EXPECT_EQ(store.MaxId(IdListKind::kDeleted), "40");
  EXPECT_EQ(store.MaxId(IdListKind::kClosed), "Error");
}

TEST_F(FeedControllerTest, AnEmptyStartPollsNothingUntilAReload) {
  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", "@@0@@");
  bool done = false;
  QObject::connect(feed.get(), &FeedController::startPageApplied, [&](bool) { done = true; });
  feed->StartFeed();
  ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
  EXPECT_FALSE(feed->PollTimerActive());
  EXPECT_FALSE(feed->IdTimerActive());
  EXPECT_EQ(net.Count("/qavel/client/GetDelInfo.asp"), 0);
  feed->SetScrolling(true);  // scrolling alone does not make the poll ready
  feed->PollNewRecords();
  EXPECT_EQ(net.Count("/qavel/client/GetInfo.asp?action=GetNewDatas"), 0);

  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", Counted(1, {Rec("5")}));
  ASSERT_TRUE(Reload());
  EXPECT_TRUE(feed->PollTimerActive());
  EXPECT_FALSE(feed->IdTimerActive());
}

// The server is gone right after the login: no answer is no empty city. The
// first page is asked for again, from a server discovery finds, until it
// comes; then both polls run as after any first page.
TEST_F(FeedControllerTest, AFirstPageWithoutAnswerIsAskedForAgain) {
  feed->SetRefreshPeriodMs(100);
  bool filled = false;
  int starts = 0;
  QObject::connect(feed.get(), &FeedController::startPageApplied, [&](bool f) {
    filled = f;
    ++starts;
  });
  feed->StartFeed();  // nothing answers
  ASSERT_TRUE(QTest::qWaitFor([&] { return starts == 1; }, kWaitMs));
  EXPECT_FALSE(filled);
  EXPECT_TRUE(feed->ConnectionLost());
  EXPECT_TRUE(feed->StartRetryPending());
  EXPECT_GE(discoveries, 1);
  EXPECT_EQ(feed->FeedHost(), "b.example");
  EXPECT_FALSE(feed->IdTimerActive());

  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas",
             Counted(250, {Rec("1002"), Rec("1001"), Rec("1000")}));
  net.Answer("/qavel/client/GetDelInfo.asp?action=GetMaxID", "40");
  ASSERT_TRUE(QTest::qWaitFor([&] { return filled; }, kWaitMs));
  EXPECT_EQ(grid.RowCount(), 250);
  EXPECT_EQ(Id(0), "1002");
  EXPECT_EQ(net.Hosts().back(), "b.example");
  EXPECT_FALSE(feed->ConnectionLost());
  EXPECT_FALSE(feed->StartRetryPending());
  EXPECT_TRUE(feed->PollTimerActive());
  EXPECT_TRUE(feed->IdTimerActive());
  EXPECT_EQ(store.MaxId(IdListKind::kDeleted), "40");
}

TEST_F(FeedControllerTest, APollInsertsOnTopAfterTheNewestIdAndGrowsTheTotal) {
  Started();
  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas",
             Body({Rec("1003"), Rec("1004", "济宁", "自己的", "1", "", "31"), Rec("1005")}));
  qint32 shown = -1;
  QObject::connect(feed.get(), &FeedController::totalChanged, [&](qint32 t) { shown = t; });
  EXPECT_EQ(Poll(), 2);
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=1002&Code=%BC%C3%C4%FE&inType=8");
  EXPECT_EQ(Id(0), "1005");
  EXPECT_EQ(Id(1), "1003");
  EXPECT_EQ(Id(2), "1002");
  EXPECT_EQ(shown, 252);
  EXPECT_TRUE(feed->NewRecordsReady());

  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", "@@");
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=1005&Code=%BC%C3%C4%FE&inType=8");
}

TEST_F(FeedControllerTest, ALostServerRunsDiscoveryAndTheFeedMovesToTheNewHost) {
  Started();
  std::vector<bool> lost;
  QObject::connect(feed.get(), &FeedController::connectionChanged,
                   [&](bool l) { lost.push_back(l); });
  // Nothing answers GetNewDatas: the transport's "Error".
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(discoveries, 1);
  EXPECT_EQ(feed->FeedHost(), "b.example");
  EXPECT_TRUE(feed->ConnectionLost());
  EXPECT_EQ(grid.RowCount(), 250);
  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", Body({Rec("1003")}));
  EXPECT_EQ(Poll(), 1);
  EXPECT_EQ(net.Hosts().back(), "b.example");
  // The member is told once when the server goes and once when it is back.
  EXPECT_EQ(lost, (std::vector<bool>{true, false}));

  // A discovery that finds nobody leaves the host alone; the poll goes on.
  discovery_finds_host = false;
  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", "<html>502</html>");
  current_host = "c.example";
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(feed->FeedHost(), "b.example");
  EXPECT_TRUE(feed->NewRecordsReady());
}

TEST_F(FeedControllerTest, RegionsViewsAndFriendsChooseTheRequests) {
  Started();
  net.Answer("/qavel/client/", Counted(1, {Rec("9")}));
  struct Case {
    const char* region;
    const char* expected;
  } cases[] = {
      {"全国货源", "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&inType=1"},
      {"大连", "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%B4%F3%C1%AC&inType=1"},
      {"全国信息", "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&inType=1"},
  };
  feed->SelectView(kViewTrucks, kDeparting);
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  for (const auto& c : cases) {
    feed->SelectRegion(G(c.region));
    ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
    EXPECT_EQ(net.Paths().back(), c.expected) << c.region;
  }
  // The region already shown does not reload.
  const auto asked = net.Paths().size();
  feed->SelectRegion(G("全国信息"));
  EXPECT_EQ(net.Paths().size(), asked);

  // "<<到达车源": arriving, trucks.
  feed->SelectRegion(G("大连"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  feed->SelectView(kViewTrucks, kArriving);
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&KeyWords=%B4%F3%C1%AC&inType=1");

  // A friend's messages are never polled.
  friends.Append(FriendRow{"3", G("甲公司"), "", "", "7701"});
  feed->SelectRegion(G("甲公司"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  EXPECT_EQ(net.Paths().back(), "/qavel/client/GetInfoByID.asp?action=GetTopDatas&Msg_Flag=7701");
  const auto before = net.Paths().size();
  feed->PollNewRecords();
  feed->PollNewRecords();
  EXPECT_TRUE(feed->NewRecordsReady());  // no poll under way
  EXPECT_EQ(net.Paths().size(), before);
}

// "刷新" during an outage: the rows and the total stay, a working server is
// looked for, and the reload is tried again by itself until the list is back.
TEST_F(FeedControllerTest, AFailedReloadKeepsTheRowsAndRetriesByItself) {
  Started();
  feed->SetRefreshPeriodMs(30);
  std::vector<bool> lost;
  QObject::connect(feed.get(), &FeedController::connectionChanged,
                   [&](bool l) { lost.push_back(l); });
  qint32 shown = -1;
  QObject::connect(feed.get(), &FeedController::totalChanged, [&](qint32 t) { shown = t; });
  const std::string first_page = "/qavel/client/GetInfo.asp?action=GetTopDatas";
  net.Answer(first_page, "Error");
  EXPECT_FALSE(Reload());
  EXPECT_EQ(grid.RowCount(), 250);
  EXPECT_EQ(Id(0), "1002");
  EXPECT_EQ(store.TotalCount(), 250);
  EXPECT_EQ(shown, -1) << "the total shown is left alone";
  EXPECT_EQ(discoveries, 1);
  EXPECT_EQ(feed->FeedHost(), "b.example");
  EXPECT_TRUE(feed->ConnectionLost());
  EXPECT_TRUE(feed->ReloadRetryPending());
  EXPECT_TRUE(feed->PageReady()) << "paging is not blocked meanwhile";
  // Still down at the first retry; back at a later one.
  ASSERT_TRUE(QTest::qWaitFor([&] { return net.Count(first_page) >= 3; }, kWaitMs));
  net.Answer(first_page, Counted(2, {Rec("2001"), Rec("2000")}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Id(0) == "2001"; }, kWaitMs));
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(net.Hosts().back(), "b.example");
  EXPECT_TRUE(feed->PollTimerActive());
  EXPECT_FALSE(feed->ReloadRetryPending());
  EXPECT_EQ(lost, (std::vector<bool>{true, false}));
}

// The login's first page arrives after the member has already asked for
// another view: the newer view keeps its rows and its newest identifier.
TEST_F(FeedControllerTest, ALateFirstPageDoesNotOverwriteANewerView) {
  const std::string own_city = "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%BC%C3%C4%FE";
  net.Answer(own_city, Counted(250, {Rec("1002"), Rec("1001"), Rec("1000")}));
  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%B4%F3%C1%AC",
             Counted(1, {Rec("77")}));
  net.Answer("/qavel/client/GetDelInfo.asp?action=GetMaxID", "40");
  net.Hold(own_city);
  bool started = false;
  QObject::connect(feed.get(), &FeedController::startPageApplied, [&](bool) { started = true; });
  feed->StartFeed();
  ASSERT_TRUE(QTest::qWaitFor([&] { return net.Count(own_city) == 1; }, kWaitMs));
  store.View().regions = {G("大连")};
  ASSERT_TRUE(Reload());
  net.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return started; }, kWaitMs));
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(Id(0), "77");
  EXPECT_EQ(store.TotalCount(), 1);
  EXPECT_EQ(feed->Caption(), QString::fromUtf8("◆ 大连"));
  // Deletions and closures are still watched from the first page's marks.
  EXPECT_TRUE(feed->IdTimerActive());
  EXPECT_EQ(store.MaxId(IdListKind::kDeleted), "40");
  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", "@@");
  EXPECT_EQ(Poll(), 0);
  EXPECT_NE(net.Paths().back().find("maxid=77&"), std::string::npos);
}

// The cities of the multi-area form, or a region clicked in the tree, are
// shown whatever was shown before (the whole country, a friend's messages),
// under a caption that names what is shown, from the list's top; so is
// another view.
TEST_F(FeedControllerTest, RegionsReplaceTheNationalAndTheFriendViews) {
  Started();
  net.Answer("/qavel/client/", Counted(1, {Rec("9")}));
  friends.Append(FriendRow{"3", G("甲公司"), "", "", "7701"});
  QString caption;
  QObject::connect(feed.get(), &FeedController::captionChanged,
                   [&](const QString& c) { caption = c; });
  // Each step below reloads the first page once.
  int reloads = 0, seen = 0;
  QObject::connect(feed.get(), &FeedController::reloadApplied, [&](bool) { ++reloads; });
  // ... and asks the grid to its top: a new list scrolled to where the last
  // one was would hide its newest messages above the view.
  int tops = 0, tops_seen = 0;
  QObject::connect(feed.get(), &FeedController::scrollToTopRequested, [&] { ++tops; });
  const auto settle = [&] {
    EXPECT_TRUE(QTest::qWaitFor([&] { return reloads > seen; }, kWaitMs));
    seen = reloads;
    EXPECT_EQ(tops, tops_seen + 1);
    tops_seen = tops;
  };
  const std::string two_cities =
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%D6%A3%D6%DD%2C%CE%E4%BA%BA&inType=8";

  feed->SelectRegion(G("全国信息"));
  settle();
  feed->ApplyMultiArea(G("郑州+武汉"));
  settle();
  EXPECT_EQ(net.Paths().back(), two_cities);
  EXPECT_EQ(caption, QString::fromUtf8("◆ 郑州·武汉"));
  EXPECT_TRUE(feed->PollTimerActive());

  feed->ShowFriendMessages(G("甲公司"));
  settle();
  EXPECT_EQ(net.Paths().back(), "/qavel/client/GetInfoByID.asp?action=GetTopDatas&Msg_Flag=7701");
  EXPECT_EQ(caption, QString::fromUtf8("◆ 甲公司"));
  feed->ApplyMultiArea(G("郑州+武汉"));
  settle();
  EXPECT_EQ(net.Paths().back(), two_cities);
  EXPECT_TRUE(feed->PollTimerActive());

  // "配货信息" over a region, then the same region clicked: it loads.
  feed->SelectRegion(G("大连"));
  settle();
  feed->ShowFriendMessages(G("甲公司"));
  settle();
  EXPECT_EQ(caption, QString::fromUtf8("◆ 甲公司"));
  feed->SelectRegion(G("大连"));
  settle();
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%B4%F3%C1%AC&inType=8");
  EXPECT_EQ(caption, QString::fromUtf8("◆ 大连"));
  // Another of the six views is another list too.
  feed->SelectView(kViewTrucks, kDeparting);
  settle();
  // Clicked again, it is what is shown: nothing reloads, the view stays.
  const auto asked = net.Paths().size();
  feed->SelectRegion(G("大连"));
  EXPECT_EQ(net.Paths().size(), asked);
  EXPECT_EQ(tops, tops_seen);
}

TEST_F(FeedControllerTest, ScrollingOffStopsPollsButNotReloads) {
  Started();
  feed->SetScrolling(false);
  EXPECT_FALSE(feed->PollTimerActive());
  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", Counted(2, {Rec("7"), Rec("6")}));
  ASSERT_TRUE(Reload());
  EXPECT_EQ(Id(0), "7");
  EXPECT_FALSE(feed->PollTimerActive());
  feed->SetScrolling(true);
  EXPECT_TRUE(feed->PollTimerActive());
  EXPECT_EQ(feed->RefreshPeriodMs(), 10'000);
}

// A first page that came in while scrolling was off (the login's, or the
// first reload of a list that never polled) is polled from once scrolling is
// switched on again: resuming is enough.
TEST_F(FeedControllerTest, AFirstPageTakenWithScrollingOffIsPolledAfterResuming) {
  for (const bool at_login : {true, false}) {
    SCOPED_TRACE(at_login ? "login's first page" : "reload");
    feed = nullptr;
    FeedServices services;
    services.fetch = [this](std::string_view host, std::string_view path) {
      return net(host, path);
    };
    feed = std::make_unique<FeedController>(store, services);
    feed->SetFeedHost("a.example");
    feed->SetPacing(0, 0);
    feed->SetScrolling(false);
    net.Answer("/qavel/client/GetDelInfo.asp?action=GetMaxID", "40");
    net.Answer("/qavel/client/GetSuccessInfo.asp?action=GetMaxID", "40");
    net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", Counted(2, {Rec("7"), Rec("6")}));
    if (at_login) {
      bool done = false;
      QObject::connect(feed.get(), &FeedController::startPageApplied, [&](bool) { done = true; });
      feed->StartFeed();
      ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
    } else {
      ASSERT_TRUE(Reload());
    }
    EXPECT_FALSE(feed->PollTimerActive());

    feed->SetScrolling(true);
    EXPECT_TRUE(feed->PollTimerActive());
    net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", Body({Rec("8")}));
    EXPECT_EQ(Poll(), 1);
    EXPECT_EQ(Id(0), "8");
    EXPECT_EQ(net.Paths().back(),
              "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=7&Code=%BC%C3%C4%FE&inType=8");
  }
}

TEST_F(FeedControllerTest, APollAnswerForAnEarlierViewIsNotApplied) {
  Started();
  net.Answer("/qavel/client/GetInfo.asp?action=GetNewDatas", Body({Rec("1003")}));
  net.Hold("/qavel/client/GetInfo.asp?action=GetNewDatas");
  int inserted = -1;
  QObject::connect(feed.get(), &FeedController::newRecordsApplied, [&](int n) { inserted = n; });
  feed->PollNewRecords();
  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", Counted(1, {Rec("77")}));
  ASSERT_TRUE(Reload());
  net.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return inserted >= 0; }, kWaitMs));
  EXPECT_EQ(inserted, 0);
  EXPECT_EQ(Id(0), "77");
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_TRUE(feed->NewRecordsReady());
}

TEST_F(FeedControllerTest, ATimerOneTickAbandonsTheLastTicksIdentifierWorkers) {
  Started();
  net.Answer("/qavel/client/GetDelInfo.asp?action=GetNewDelInfoID", "@@17||1001@@");
  net.Answer("/qavel/client/GetSuccessInfo.asp?action=GetNewSuccessInfoID", "@@9||1000@@");
  net.Hold("/qavel/client/Get");
  int applied = 0;
  QObject::connect(feed.get(), &FeedController::idListApplied, [&](int) { ++applied; });
  const int served = net.Served();
  feed->PollIdLists();
  feed->PollIdLists();
  net.Release();
  // All four answers are in, and the two of the abandoned tick are dropped.
  ASSERT_TRUE(QTest::qWaitFor([&] { return applied == 2 && net.Served() == served + 4; }, kWaitMs));
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(applied, 2);
  EXPECT_EQ(store.Deleted().Text(), "B1001E");
  EXPECT_EQ(net.Count("/qavel/client/GetDelInfo.asp?action=GetNewDelInfoID&maxid=40"), 2);
  EXPECT_EQ(net.Count("/qavel/client/GetSuccessInfo.asp?action=GetNewSuccessInfoID&maxid=Error"),
            2);
  EXPECT_EQ(U(grid.CellText(1, kColRowText)), "该条信息已被删除!");
  EXPECT_EQ(grid.CellText(2, kColDeal), "1");
  EXPECT_EQ(store.MaxId(IdListKind::kDeleted), "17");
}

TEST_F(FeedControllerTest, PagingAsksFromTheFirstEmptyRowAndAReloadWaitsForIt) {
  Started();
  PagingController paging(*feed);
  grid.SetScrollMark(41);
  net.Answer("/qavel/client/GetInfo.asp?action=GetCurDatas", Body({Rec("700"), Rec("699")}));
  net.Hold("/qavel/client/GetInfo.asp?action=GetCurDatas");
  bool paged = false;
  QObject::connect(&paging, &PagingController::pageApplied, [&](qint32, bool) { paged = true; });
  paging.LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return net.Count("/qavel/client/GetInfo.asp?action=GetCurDatas") == 1; }, kWaitMs));
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetInfo.asp?action=GetCurDatas&Code=%BC%C3%C4%FE&StartNum=41"
            "&TotalNum=250&inType=8");
  // A second scroll report while the page runs is dropped.
  paging.LoadMissingRows();
  // A reload asked for meanwhile waits and then runs.
  net.Answer("/qavel/client/GetInfo.asp?action=GetTopDatas", Counted(3, {Rec("5")}));
  bool reloaded = false;
  QObject::connect(feed.get(), &FeedController::reloadApplied, [&](bool) { reloaded = true; });
  feed->ReloadFirstPage();
  net.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return paged && reloaded; }, kWaitMs));
  EXPECT_EQ(net.Count("/qavel/client/GetInfo.asp?action=GetCurDatas"), 1);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(Id(0), "5");
}

// Paging down twice quickly: the second report comes while the first page
// is under way. Its rows must still load once that page is in.
TEST_F(FeedControllerTest, AReportDroppedDuringAPageIsLookedAtWhenItEnds) {
  Started();
  PagingController paging(*feed);
  const std::string page = "/qavel/client/GetInfo.asp?action=GetCurDatas";
  net.Answer(page, Body({Rec("700"), Rec("699")}));
  net.Hold(page);
  int pages = 0;
  QObject::connect(&paging, &PagingController::pageApplied, [&](qint32, bool) { ++pages; });
  grid.SetScrollMark(41);
  paging.LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return net.Count(page) == 1; }, kWaitMs));
  grid.SetScrollMark(61);
  paging.LoadMissingRows();  // dropped for now
  net.Release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pages == 2; }, kWaitMs));
  EXPECT_EQ(net.Count(page), 2);
  EXPECT_NE(net.Paths().back().find("StartNum=61&"), std::string::npos);
  EXPECT_EQ(Id(60), "700");
}

TEST_F(FeedControllerTest, PagingFillsTheRowsItAskedFor) {
  Started();
  PagingController paging(*feed);
  net.Answer("/qavel/client/GetInfo.asp?action=GetCurDatas", Body({Rec("700"), Rec("699")}));
  grid.SetScrollMark(2);  // rows 1 and 2 are filled, row 3 is not
  bool paged = false;
  QObject::connect(&paging, &PagingController::pageApplied, [&](qint32, bool) { paged = true; });
  paging.LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return paged; }, kWaitMs));
  // The page asked for begins on row 2, which holds 1000; this answer begins
  // past it (the server's list lost messages above): the rows held stay,
  // the page goes on after them, and the page before is asked for too in
  // case messages lie between.
  const auto& paths = net.Paths();
  ASSERT_GE(paths.size(), 2u);
  EXPECT_NE(paths[paths.size() - 2].find("StartNum=3&"), std::string::npos);
  EXPECT_NE(paths.back().find("StartNum=1&"), std::string::npos);
  EXPECT_EQ(Id(2), "1000");
  EXPECT_EQ(Id(3), "700");
  EXPECT_EQ(Id(4), "699");
}

TEST_F(FeedControllerTest, CountsComeFromTheCurrentHostAndStandInForTheWholeCountry) {
  Started();
  CountsController counts(*feed);
  QString count_text, national_text;
  QObject::connect(&counts, &CountsController::countTextChanged,
                   [&](const QString& t) { count_text = t; });
  QObject::connect(&counts, &CountsController::nationalTextChanged,
                   [&](const QString& t) { national_text = t; });
  net.Answer("/qavel/client/GetTNums.asp", "@@@@@52000@@@@@31000@@@@@21000@@@@@");
  bool loaded = false;
  QObject::connect(&counts, &CountsController::countsLoaded, [&](bool) { loaded = true; });
  counts.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, kWaitMs));
  EXPECT_TRUE(counts.TimerActive());
  EXPECT_EQ(net.Hosts().back(), "b.example");
  EXPECT_EQ(national_text, "52000");
  counts.ShowTotal(250);
  EXPECT_EQ(count_text, QString::fromUtf8("共 250 条信息"));

  net.Answer("/qavel/client/GetSearchInfo.asp?action=GetTopDatas", Counted(9, {Rec("1")}));
  feed->SelectRegion(G("全国信息"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  EXPECT_EQ(count_text, QString::fromUtf8("共 52000 条信息"));

  // A failed totals answer changes nothing.
  loaded = false;
  net.Answer("/qavel/client/GetTNums.asp", "Error");
  counts.LoadNationalCounts();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, kWaitMs));
  EXPECT_EQ(counts.NationalCount(), 52000);
}

TEST_F(FeedControllerTest, FriendsLoadAndRemoval) {
  ScopedNoticeRecorder notices;
  FriendsLoader loader(friends, feed->Services().fetch, [this] { return feed->FeedHost(); });
  net.Answer("/qavel/client/GetFrindInfo.asp?action=GetFrindInfo",
             "@@11||" + G("甲公司") + "||123||456||7701@@12||" + G("乙") + "||||||7702@@");
  int loaded = -1;
  QObject::connect(&loader, &FriendsLoader::friendsLoaded, [&](int n) { loaded = n; });
  loader.LoadFriends(31);
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded >= 0; }, kWaitMs));
  EXPECT_EQ(loaded, 2);
  EXPECT_EQ(net.Paths().back(), "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=31");

  int finished = -1;
  QString removed;
  QObject::connect(&loader, &FriendsLoader::removeFinished, [&](bool ok) { finished = ok; });
  QObject::connect(&loader, &FriendsLoader::friendRemoved, [&](const QString& n) { removed = n; });
  net.Answer("/qavel/client/GetFrindInfo.asp?action=DelFrindInfo", "Busy");
  loader.RemoveFriend(G("甲公司"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished >= 0; }, kWaitMs));
  ASSERT_EQ(notices.questions.size(), 1u);
  EXPECT_EQ(U(notices.questions[0]), "确定要删除好友＂甲公司(7701)＂吗?");
  ASSERT_EQ(notices.notices.size(), 1u);
  EXPECT_EQ(U(notices.notices[0]), "删除失败,请稍后重试");
  EXPECT_EQ(friends.Rows().size(), 2u);

  finished = -1;
  net.Answer("/qavel/client/GetFrindInfo.asp?action=DelFrindInfo", "DelOK");
  loader.RemoveFriend(G("甲公司"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished >= 0; }, kWaitMs));
  EXPECT_EQ(net.Paths().back(), "/qavel/client/GetFrindInfo.asp?action=DelFrindInfo&UserID=11");
  EXPECT_EQ(removed, QString::fromUtf8("甲公司"));
  EXPECT_EQ(friends.FindByName(G("甲公司")), nullptr);

  // "No" asks nothing of the server.
  notices.answer = false;
  const auto asked = net.Paths().size();
  loader.RemoveFriend(G("乙"));
  EXPECT_EQ(net.Paths().size(), asked);
}

TEST_F(FeedControllerTest, MultiAreaReplacesTheRegionListAndKeepsTheDirection) {
  Started();
  net.Answer("/qavel/client/", Counted(1, {Rec("9")}));
  QString caption;
  QObject::connect(feed.get(), &FeedController::captionChanged,
                   [&](const QString& c) { caption = c; });
  feed->SelectView(kViewBoth, kArriving);
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  feed->ApplyMultiArea(G("济南+大连"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, kWaitMs));
  EXPECT_EQ(net.Paths().back(),
            "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&KeyWords="
            "%BC%C3%C4%CF%2C%B4%F3%C1%AC&inType=8");
  EXPECT_EQ(caption, QString::fromUtf8("◆ 济南·大连"));
}

}  // namespace
}  // namespace tv
