// Three subscriptions against a real tarvolo-service: each message reaches
// exactly the subscriptions it matches, once, in order; a restart of the
// client shows what was kept and goes on without gap or repeat; a paused
// subscription asks nothing; an outage is told once and all three follow
// the service when it is back.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/background_job.h"
#include "demo_publish.h"
#include "feed/feed_test_util.h"
#include "local_service.h"
#include "net/transport.h"
#include "subscribe/subscription_set.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::U;

constexpr int kWaitMs = 20000;

class SubscriptionServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service = std::make_unique<LocalService>(
        std::vector<std::string>{"--demo", "--no-cache", "--quota", "0"});
    ASSERT_TRUE(service->ok()) << service->error();
    dir = std::filesystem::temp_directory_path() /
          ("tv-subs-service-" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    store = SubscriptionStore::Open((dir / "subscriptions.db").string());
    ASSERT_TRUE(store);
    a = Add("济宁", "北京", SubscriptionKind::kCargo, "危险品");
    b = Add("济宁", "上海", SubscriptionKind::kAll, "");
    c = Add("泰安", "北京", SubscriptionKind::kTruck, "");
  }

  void TearDown() override {
    set.reset();
    WaitForBackgroundJobs(kWaitMs);
    std::filesystem::remove_all(dir);
  }

  std::int64_t Add(const char* from, const char* to, SubscriptionKind kind, const char* exclude) {
    Subscription s;
    s.name = G(from) + "-" + G(to);
    s.departures = {G(from)};
    s.destinations = {G(to)};
    s.kind = kind;
    if (*exclude) s.excluded_words = {G(exclude)};
    EXPECT_TRUE(store->Add(s));
    return s.id;
  }

  // The client's subscriptions, started; every arrival and request noted.
  void StartClient() {
    FeedServices services;
    services.fetch = [this](std::string_view host, std::string_view path) {
      {
        std::lock_guard lock(mutex);
        requests.emplace_back(path);
      }
      return FetchEncodedPage("GET", host, path);
    };
    set = std::make_unique<SubscriptionSet>(*store, services);
    set->SetHost(service->host());
    set->SetRefreshPeriodMs(150);
    QObject::connect(set.get(), &SubscriptionSet::matchesArrived,
                     [this](qint64 id, const std::vector<InfoRecord>& records) {
                       for (const InfoRecord& r : records) arrived[id].push_back(Marker(r));
                     });
    QObject::connect(set.get(), &SubscriptionSet::connectionChanged,
                     [this](bool lost) { told.push_back(lost); });
    int started = 0;
    set->Start();
    for (SubscriptionFeed* feed : set->Feeds()) {
      QObject::connect(feed, &SubscriptionFeed::started, [&started] { ++started; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return started == 3; }, kWaitMs));
  }

  // "M7" of a content "... M7".
  static std::string Marker(const InfoRecord& r) {
    const std::string content = U(r.Content);
    return content.substr(content.rfind(' ') + 1);
  }

  bool Publish(const char* city, const char* type, const char* content) {
    return PublishAsDemoMember(service->host(), "demo_member", G(city), G(content), type);
  }

  bool WaitFor(std::int64_t id, const std::vector<std::string>& markers) {
    return QTest::qWaitFor([&] { return arrived[id] == markers; }, kWaitMs);
  }

  std::vector<std::string> Kept(std::int64_t id) {
    std::vector<std::string> out;
    for (const StoredMatch& m : store->Matches(id)) out.push_back(Marker(m.record));
    return out;
  }

  std::vector<std::string> Rows(std::int64_t id) {
    std::vector<std::string> out;
    RowStoreGrid& grid = set->FeedOf(id)->Grid();
    for (int row = 0; row < grid.RowCount(); ++row) {
      const std::string content = U(grid.CellText(row, kColContent));
      out.push_back(content.substr(content.rfind(' ') + 1));
    }
    return out;
  }

  // How many different subscriptions asked for new records since `start`
  // (their requests differ but for the identifier they go on from).
  std::size_t AskingSubscriptions(std::size_t start) {
    std::lock_guard lock(mutex);
    std::set<std::string> asking;
    for (std::size_t i = start; i < requests.size(); ++i) {
      if (requests[i].find("GetNewDatas") == std::string::npos) continue;
      asking.insert(requests[i].substr(requests[i].find("&Code=")));
    }
    return asking.size();
  }

  int RequestsFrom(std::size_t start, const std::string& part) {
    std::lock_guard lock(mutex);
    int n = 0;
    for (std::size_t i = start; i < requests.size(); ++i) {
      if (requests[i].find(part) != std::string::npos) ++n;
    }
    return n;
  }

  std::unique_ptr<LocalService> service;
  std::filesystem::path dir;
  std::unique_ptr<SubscriptionStore> store;
  std::unique_ptr<SubscriptionSet> set;
  std::int64_t a = 0, b = 0, c = 0;
  std::map<std::int64_t, std::vector<std::string>> arrived;
  std::vector<bool> told;
  std::mutex mutex;
  std::vector<std::string> requests;
};

TEST_F(SubscriptionServiceTest, EachMessageReachesTheSubscriptionsItMatchesOnceInOrder) {
  StartClient();
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材20吨 M1"));
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 危险品 M2"));  // excluded
  ASSERT_TRUE(Publish("济宁", "1", "济宁到上海 平板车 M3"));
  ASSERT_TRUE(Publish("泰安", "1", "泰安到北京 高栏车 M4"));
  ASSERT_TRUE(Publish("泰安", "0", "泰安到北京 煤炭 M5"));  // cargo, C wants trucks
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京上海 钢材 M6"));
  ASSERT_TRUE(Publish("泰安", "1", "泰安到北京 回程车 M7"));
  ASSERT_TRUE(WaitFor(c, {"M4", "M7"})) << ::testing::PrintToString(arrived[c]);
  ASSERT_TRUE(WaitFor(a, {"M1", "M6"})) << ::testing::PrintToString(arrived[a]);
  ASSERT_TRUE(WaitFor(b, {"M3", "M6"})) << ::testing::PrintToString(arrived[b]);
  // A few more polls bring nothing twice.
  const std::size_t now = requests.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFrom(now, "GetNewDatas") >= 9; }, kWaitMs));
  EXPECT_EQ(arrived[a], (std::vector<std::string>{"M1", "M6"}));
  EXPECT_EQ(arrived[b], (std::vector<std::string>{"M3", "M6"}));
  EXPECT_EQ(arrived[c], (std::vector<std::string>{"M4", "M7"}));
  // On top of the list, newest first, and kept.
  EXPECT_EQ(Rows(a).at(0), "M6");
  EXPECT_EQ(Rows(a).at(1), "M1");
  EXPECT_EQ(Kept(c).at(0), "M7");
  EXPECT_EQ(Kept(c).at(1), "M4");
  EXPECT_EQ(store->UnreadCount(a), static_cast<int>(Kept(a).size()));
  EXPECT_TRUE(told.empty());
}

TEST_F(SubscriptionServiceTest, ARestartShowsWhatWasKeptAndGoesOnWithoutGapOrRepeat) {
  StartClient();
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M1"));
  ASSERT_TRUE(WaitFor(a, {"M1"}));
  const std::vector<std::string> kept_before = Kept(a);
  set.reset();
  WaitForBackgroundJobs(kWaitMs);

  // Published while the client is closed.
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M2"));
  arrived.clear();
  const std::size_t from = requests.size();
  StartClient();
  // The list starts from what was kept, without asking for a first page.
  EXPECT_EQ(RequestsFrom(from, "GetTopDatas"), 0);
  ASSERT_TRUE(WaitFor(a, {"M2"})) << ::testing::PrintToString(arrived[a]);
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M3"));
  ASSERT_TRUE(WaitFor(a, {"M2", "M3"})) << ::testing::PrintToString(arrived[a]);
  std::vector<std::string> expected = {"M3", "M2"};
  expected.insert(expected.end(), kept_before.begin(), kept_before.end());
  EXPECT_EQ(Kept(a), expected);
  EXPECT_EQ(Rows(a), expected);
}

// Matches the file could not take stay in the list, and the poll mark stays
// behind them: the next start asks for them again and keeps them.
TEST_F(SubscriptionServiceTest, MatchesNotKeptComeAgainAtTheNextStart) {
  StartClient();
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M1"));
  ASSERT_TRUE(WaitFor(a, {"M1"}));
  // From here the file refuses new matches (as a full disk would) but
  // still takes the rest.
  const std::string path = (dir / "subscriptions.db").string();
  const auto exec = [&path](const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  };
  exec("CREATE TRIGGER refuse BEFORE INSERT ON matches BEGIN SELECT RAISE(FAIL, 'full'); END");
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M2"));
  ASSERT_TRUE(WaitFor(a, {"M1", "M2"}));
  EXPECT_EQ(Rows(a).at(0), "M2");  // shown for this run
  const std::size_t now = requests.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFrom(now, "GetNewDatas") >= 6; }, kWaitMs));
  set.reset();
  WaitForBackgroundJobs(kWaitMs);

  exec("DROP TRIGGER refuse");
  arrived.clear();
  StartClient();
  ASSERT_TRUE(WaitFor(a, {"M2"})) << ::testing::PrintToString(arrived[a]);
  EXPECT_EQ(Kept(a).at(0), "M2");
  EXPECT_EQ(Kept(a).at(1), "M1");
}

TEST_F(SubscriptionServiceTest, ATabHoldsTheMatchesItKeepsAndNoMore) {
  StartClient();
  // More matches than a subscription keeps, over several polls.
  const int sent = SubscriptionStore::kKeptMatches + 40;
  const auto all_arrived = [&](int count) {
    return QTest::qWaitFor([&] { return arrived[b].size() == static_cast<std::size_t>(count); },
                           kWaitMs);
  };
  for (int i = 1; i <= sent; ++i) {
    ASSERT_TRUE(Publish("济宁", "1", ("济宁到上海 回程车 K" + std::to_string(i)).c_str()));
    if (i % 150 == 0) {
      ASSERT_TRUE(all_arrived(i));
    }
  }
  ASSERT_TRUE(all_arrived(sent));
  // The newest first, as many as are kept: what a restart would show.
  const std::vector<std::string> kept = Kept(b);
  ASSERT_EQ(kept.size(), static_cast<std::size_t>(SubscriptionStore::kKeptMatches));
  EXPECT_EQ(kept.front(), "K" + std::to_string(sent));
  EXPECT_EQ(Rows(b), kept);
  EXPECT_EQ(set->FeedOf(b)->Store().TotalCount(), SubscriptionStore::kKeptMatches);
}

TEST_F(SubscriptionServiceTest, APausedSubscriptionAsksNothingAndShowsWhatItKept) {
  StartClient();
  ASSERT_TRUE(Publish("泰安", "1", "泰安到北京 高栏车 M1"));
  ASSERT_TRUE(WaitFor(c, {"M1"}));
  ASSERT_TRUE(set->SetPaused(c, true));
  EXPECT_TRUE(store->Find(c)->paused);
  const std::size_t from = requests.size();
  ASSERT_TRUE(Publish("泰安", "1", "泰安到北京 高栏车 M2"));
  ASSERT_TRUE(Publish("济宁", "0", "济宁到北京 钢材 M3"));
  ASSERT_TRUE(WaitFor(a, {"M3"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFrom(from, "GetNewDatas") >= 6; }, kWaitMs));
  EXPECT_EQ(RequestsFrom(from, "inType=1"), 0);  // only C asks for trucks
  EXPECT_EQ(Rows(c).at(0), "M1");
  ASSERT_TRUE(set->SetPaused(c, false));
  ASSERT_TRUE(WaitFor(c, {"M1", "M2"}));
}

TEST_F(SubscriptionServiceTest, AnOutageIsToldOnceAndAllThreeFollowTheServiceBack) {
  StartClient();
  const std::string db = service->db_path();
  const std::string host = service->host();
  service->Stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !told.empty(); }, kWaitMs));
  // Backing off: the others wait while one keeps trying (polls asked for
  // before the loss was known may still be under way).
  std::size_t from = requests.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFrom(from, "GetNewDatas") >= 3; }, kWaitMs));
  from = requests.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return RequestsFrom(from, "GetNewDatas") >= 4; }, kWaitMs));
  EXPECT_EQ(AskingSubscriptions(from), 1u);
  EXPECT_EQ(told, std::vector<bool>{true});

  LocalService again({"--db", db, "--listen", host, "--no-cache", "--quota", "0"});
  ASSERT_TRUE(again.ok()) << again.error();
  ASSERT_TRUE(PublishAsDemoMember(host, "demo_member", G("济宁"), G("济宁到北京上海 钢材 M1")));
  ASSERT_TRUE(PublishAsDemoMember(host, "demo_member", G("泰安"), G("泰安到北京 高栏车 M2"), "1"));
  ASSERT_TRUE(WaitFor(a, {"M1"}));
  ASSERT_TRUE(WaitFor(b, {"M1"}));
  ASSERT_TRUE(WaitFor(c, {"M2"}));
  EXPECT_EQ(told, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace tv
