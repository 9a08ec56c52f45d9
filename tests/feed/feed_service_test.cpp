// The feed jobs against a real tarvolo-service on an ephemeral port.
#include <gtest/gtest.h>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <signal.h>

#include "net/transport_testing.h"

#include "feed/counts_controller.h"
#include "feed/paging_controller.h"
#include "service_fixture.h"

namespace tv {
namespace {

using feed_test::ExpectEveryMessageOnce;
using feed_test::FollowWholeCountry;
using feed_test::G;
using feed_test::kWaitMs;
using feed_test::MemberId;
using feed_test::NewestIn;
using feed_test::Publish;
using feed_test::ServiceFeed;
using feed_test::SitOutOutage;
using feed_test::SqliteQuery;
using feed_test::SqlNumbers;
using feed_test::StrictlyFalling;
using feed_test::U;
using feed_test::WaitForNewest;
using feed_test::WaitForPolls;

class FeedServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Several offices publish straight through the page (no member's key):
    // what the lists make of the traffic is tested here, not who may send it.
    service = std::make_unique<LocalService>(std::vector<std::string>{
        "--demo", "--no-cache", "--quota", "0", "--allow-unsigned-members"});
    ASSERT_TRUE(service->ok()) << service->error();
    vip = MemberId(service->db_path(), "demo_vip");
    other = MemberId(service->db_path(), "demo_member");
    ASSERT_GT(vip, 0);
    ASSERT_GT(other, 0);
    f = std::make_unique<ServiceFeed>(std::vector<std::string>{service->host()});
    f->store.Member() = FeedMember{G("郑州"), vip, false};
  }

  void Start() {
    bool done = false;
    QObject::connect(f->feed.get(), &FeedController::startPageApplied, [&](bool) { done = true; });
    f->feed->StartFeed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
    f->store.View().regions = {G("郑州")};
  }

  std::unique_ptr<LocalService> service;
  std::int64_t vip = 0, other = 0;
  std::unique_ptr<ServiceFeed> f;
};

TEST_F(FeedServiceTest, FirstPageThenNewMessagesOnTopButNotTheMembersOwn) {
  Start();
  const std::int32_t total = f->store.TotalCount();
  ASSERT_GT(total, 30);
  EXPECT_EQ(f->grid.RowCount(), total);
  const auto first = f->TopIds();
  EXPECT_EQ(first.size(), 30u);
  EXPECT_TRUE(StrictlyFalling(first));
  EXPECT_TRUE(f->feed->PollTimerActive());

  ASSERT_TRUE(Publish(service->host(), "demo_member", G("郑州"), G("郑州到广州 有货20吨 甲")));
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("郑州"), G("郑州到上海 求车 乙")));
  ASSERT_TRUE(Publish(service->host(), "demo_vip", G("郑州"), G("郑州到北京 自己的 丙")));
  const auto newest = SqlNumbers(service->db_path(), "SELECT max(id) FROM messages");
  ASSERT_EQ(newest.size(), 1u);
  // The member's own message is the newest; the rows stop one short of it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return f->store.TotalCount() == total + 2; }, kWaitMs));
  ASSERT_TRUE(WaitForPolls(*f, 3));  // a few more polls change nothing
  const auto ids = f->TopIds();
  ASSERT_GE(ids.size(), 32u);
  EXPECT_EQ(ids[0], newest[0] - 1);
  EXPECT_EQ(ids[1], newest[0] - 2);
  EXPECT_EQ(ids[2], first[0]);
  EXPECT_EQ(f->store.TotalCount(), total + 2);
  EXPECT_EQ(U(f->grid.CellText(0, kColRowText)).rfind("【郑州】Ξ郑州§到上海", 0), 0u);
}

TEST_F(FeedServiceTest, DeletionsAndClosuresAreMarkedAndAReloadKeepsTheMarks) {
  Start();
  const auto ids = f->TopIds();
  ASSERT_GE(ids.size(), 3u);
  const std::string db = service->db_path();
  SqlNumbers(db, "UPDATE messages SET deleted = 1 WHERE id = " + std::to_string(ids[1]));
  SqlNumbers(db, "INSERT INTO deleted_log(info_id, at) VALUES(" + std::to_string(ids[1]) + ", 0)");
  SqlNumbers(db, "UPDATE messages SET deal = 1 WHERE id = " + std::to_string(ids[2]));
  SqlNumbers(db, "INSERT INTO closed_log(info_id, at) VALUES(" + std::to_string(ids[2]) + ", 0)");
  int applied = 0;
  QObject::connect(f->feed.get(), &FeedController::idListApplied, [&](int) { ++applied; });
  f->feed->PollIdLists();
  ASSERT_TRUE(QTest::qWaitFor([&] { return applied == 2; }, kWaitMs));
  EXPECT_EQ(U(f->grid.CellText(1, kColRowText)), "该条信息已被删除!");
  EXPECT_EQ(U(f->grid.CellText(2, kColRowText)).substr(0, 15), "【已成交】");
  EXPECT_TRUE(f->store.Deleted().Contains(std::to_string(ids[1])));
  const std::string maxid = f->store.MaxId(IdListKind::kDeleted);
  EXPECT_EQ(maxid, std::to_string(SqlNumbers(db, "SELECT max(log_id) FROM deleted_log")[0]));

  // The next poll asks after the new log id and finds nothing new.
  f->feed->PollIdLists();
  ASSERT_TRUE(QTest::qWaitFor([&] { return applied == 4; }, kWaitMs));
  EXPECT_EQ(f->store.Deleted().Text(), "B" + std::to_string(ids[1]) + "E");

  f->feed->SelectRegion(G("全国信息"));
  f->WaitReady();
  EXPECT_EQ(f->store.View().direction, kWholeCountry);
  EXPECT_TRUE(f->store.Deleted().Contains(std::to_string(ids[1])));
}

TEST_F(FeedServiceTest, PagingFillsTheRowsInViewFromTheRightStart) {
  Start();
  PagingController paging(*f->feed);
  int pages = 0;
  QObject::connect(&paging, &PagingController::pageApplied, [&](qint32, bool) { ++pages; });
  f->grid.SetScrollMark(41);  // row 40 first in view
  paging.LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pages == 1; }, kWaitMs));
  EXPECT_EQ(paging.StartNum(), 41);
  EXPECT_TRUE(f->grid.CellText(39, kColInfoId).empty());
  ASSERT_FALSE(f->grid.CellText(40, kColInfoId).empty());
  std::vector<std::string> later;
  for (int row = 40; row < 60; ++row) later.emplace_back(f->grid.CellText(row, kColInfoId));

  // Scrolling back up fills rows 30 on; where the pages overlap they agree.
  f->grid.SetScrollMark(31);
  paging.LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return pages == 2; }, kWaitMs));
  for (int row = 40; row < 60; ++row) {
    EXPECT_EQ(f->grid.CellText(row, kColInfoId), later[static_cast<std::size_t>(row - 40)]);
  }
  std::vector<std::int64_t> ids;
  for (int row = 0; row < 70; ++row) {
    ids.push_back(std::stoll(std::string(f->grid.CellText(row, kColInfoId))));
  }
  EXPECT_TRUE(StrictlyFalling(ids));
}

TEST_F(FeedServiceTest, RowsThatGaveTheirTextsBackAreFetchedOnceWhenScrolledBackTo) {
  RowLimits limits;
  limits.keep_top = 10;
  limits.keep_around_view = 30;
  limits.spare = 20;
  f->store.SetLimits(limits);
  Start();
  PagingController paging(*f->feed);
  int pages = 0;
  QObject::connect(&paging, &PagingController::pageApplied, [&](qint32, bool) { ++pages; });
  // Scrolls so that `mark` is the scroll mark; returns the pages fetched.
  const auto scroll_to = [&](int mark) {
    const int before = pages;
    f->grid.SetScrollMark(mark);
    paging.LoadMissingRows();
    if (f->feed->PageReady()) return 0;  // nothing asked for
    EXPECT_TRUE(QTest::qWaitFor([&] { return pages > before; }, kWaitMs));
    return pages - before;
  };
  const auto row_at = [&](int row) {
    return std::string(f->grid.CellText(row, kColInfoId)) + " " +
           std::string(f->grid.CellText(row, kColRowText));
  };
  std::vector<std::string> seen;
  for (int mark = 31; mark <= 181; mark += 30) {
    ASSERT_EQ(scroll_to(mark), 1) << mark;
    for (int row = mark - 1; row < mark + 29; ++row) seen.push_back(row_at(row));
  }
  // Far above the view now, below the rows kept on top.
  EXPECT_TRUE(f->grid.CellText(60, kColRowText).empty());
  EXPECT_TRUE(f->grid.CellText(90, kColRowText).empty());
  EXPECT_LE(f->store.RowsWithTexts(), 10U + 61U + 20U + 30U);

  // Back up: each region is asked for once and shows what it showed.
  for (int mark : {61, 91}) {
    ASSERT_EQ(scroll_to(mark), 1) << mark;
    for (int row = mark - 1; row < mark + 29; ++row) {
      EXPECT_EQ(row_at(row), seen[static_cast<std::size_t>(row - 30)]) << row;
    }
    EXPECT_EQ(scroll_to(mark), 0) << mark;
  }
}

TEST_F(FeedServiceTest, TotalsComeFromTheCurrentHost) {
  Start();
  CountsController counts(*f->feed);
  QString national;
  QObject::connect(&counts, &CountsController::nationalTextChanged,
                   [&](const QString& n) { national = n; });
  counts.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !national.isEmpty(); }, kWaitMs));
  const auto all =
      SqlNumbers(service->db_path(), "SELECT count(*) FROM messages WHERE deleted = 0");
  EXPECT_EQ(counts.NationalCount(), all[0]);
}

TEST(FeedOutageTest, TheFeedMovesToTheSecondServerAndMissesNothing) {
  LocalService first({"--demo", "--quota", "0"});
  ASSERT_TRUE(first.ok()) << first.error();
  LocalService second({"--db", first.db_path(), "--simulate", "0.05", "--quota", "0"});
  ASSERT_TRUE(second.ok()) << second.error();
  ServiceFeed f({first.host(), second.host()});
  const std::int64_t start = FollowWholeCountry(f);
  ASSERT_GT(start, 0);
  first.Stop();
  ASSERT_TRUE(SitOutOutage(f, SqliteQuery(first.db_path())));
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.feed->FeedHost() == second.host(); }, kWaitMs));
  ASSERT_TRUE(WaitForNewest(f, NewestIn(SqliteQuery(first.db_path()))));
  EXPECT_GE(f.discoveries_found.load(), 1);
  ExpectEveryMessageOnce(f, SqliteQuery(first.db_path()), start, "failover");
}

// The process of the service on `db` started with `option`.
pid_t ServicePid(const std::string& db, const std::string& option) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    for (std::size_t at = 0; at < cmdline.size();) {
      const std::size_t end = cmdline.find('\0', at);
      args.push_back(cmdline.substr(at, end - at));
      at = end == std::string::npos ? cmdline.size() : end + 1;
    }
    const bool has_db = std::find(args.begin(), args.end(), db) != args.end();
    const bool has_option = std::find(args.begin(), args.end(), option) != args.end();
    if (has_db && has_option) return static_cast<pid_t>(std::stoi(name));
  }
  return -1;
}

// Messages published while the feed's only server is gone go in through
// another process on the same database.
void PublishMeanwhile(ServiceFeed& f, const std::string& db) {
  LocalService writer({"--db", db, "--simulate", "0.05", "--quota", "0"});
  ASSERT_TRUE(writer.ok()) << writer.error();
  ASSERT_TRUE(SitOutOutage(f, SqliteQuery(db)));
}

TEST(FeedOutageTest, ALoneServerThatHangsAndComesBackIsFollowedWithoutGapsOrRepeats) {
  SetStallTimeoutForTesting(std::chrono::seconds(1));
  LocalService service({"--demo", "--quota", "0", "--simulate", "0.05"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceFeed f({service.host()});
  const std::int64_t start = FollowWholeCountry(f);
  ASSERT_GT(start, 0);

  const pid_t pid = ServicePid(service.db_path(), "--demo");
  ASSERT_GT(pid, 0);
  ::kill(pid, SIGSTOP);  // accepts connections, answers nothing
  PublishMeanwhile(f, service.db_path());
  ::kill(pid, SIGCONT);
  ASSERT_TRUE(WaitForNewest(f, NewestIn(SqliteQuery(service.db_path()))));
  EXPECT_EQ(f.feed->FeedHost(), service.host());
  ExpectEveryMessageOnce(f, SqliteQuery(service.db_path()), start, "hang");
  SetStallTimeoutForTesting(std::chrono::seconds(60));
}

// A real stop and restart on the same address (the stopped service's closed
// connections still linger in TIME_WAIT when the new one binds).
TEST(FeedOutageTest, ALoneServerRestartedOnItsPortIsFollowedWithoutGapsOrRepeats) {
  auto service = std::make_unique<LocalService>(
      std::vector<std::string>{"--demo", "--quota", "0", "--simulate", "0.05"});
  ASSERT_TRUE(service->ok()) << service->error();
  const std::string db = service->db_path();
  const std::string host = service->host();
  ServiceFeed f({host});
  const std::int64_t start = FollowWholeCountry(f);
  ASSERT_GT(start, 0);

  service->Stop();
  PublishMeanwhile(f, db);
  EXPECT_EQ(f.feed->FeedHost(), host);
  LocalService again({"--db", db, "--listen", host, "--quota", "0"});
  ASSERT_TRUE(again.ok()) << again.error();
  ASSERT_EQ(again.host(), host);
  ASSERT_TRUE(WaitForNewest(f, NewestIn(SqliteQuery(db))));
  ExpectEveryMessageOnce(f, SqliteQuery(db), start, "restart");
}

// Offices that re-send their texts on a loop: each text stays one row, the
// newest copy on top saying how often it came; a blocked member's rows go
// and come back.
TEST_F(FeedServiceTest, LoopResendsOfSeveralMembersStayOneRowEach) {
  const std::int64_t third = MemberId(service->db_path(), "demo_pub01");
  ASSERT_GT(third, 0);
  struct Office {
    std::int64_t flag;
    std::string text;
  };
  const std::vector<Office> offices = {{vip, G("郑州到广州 钢材30吨 求9.6米高栏")},
                                       {other, G("武汉回郑州 6.8米厢车 求货")},
                                       {third, G("郑州到西安 化肥20吨 急走")}};
  const auto send = [&](const Office& o, const char* sign) {
    const std::string path =
        std::string("/qavel/client/SetInfo.asp?action=Client_AddInfo&AddSign=") + sign +
        "&Msg_Code=" + EncodeQueryValue(G("郑州")) +
        "&Msg_StartCity=" + EncodeQueryValue(G("郑州")) +
        "&Msg_Type=0&Msg_Content=" + EncodeQueryValue(o.text) +
        // The office's own company; no line: the service writes its telephone.
        "&Msg_Company=" +
        EncodeQueryValue(feed_test::SqlText(
            service->db_path(),
            "SELECT company FROM members WHERE id = " + std::to_string(o.flag))) +
        "&Msg_Tel=&Msg_Flag=" + std::to_string(o.flag);
    return FetchEncodedPage("POST", service->host(), path);
  };
  for (const Office& o : offices) ASSERT_EQ(send(o, "NewInfo"), "AddOK");
  f->store.Member().user_id = feed_test::kNobody;
  f->store.View().regions = {G("全国信息")};
  f->feed->ReloadFirstPage();
  f->WaitReady();
  const auto rows_of = [&](const Office& o) {
    std::vector<int> rows;
    for (int row = f->grid.NextShownRow(-1); row >= 0; row = f->grid.NextShownRow(row)) {
      if (f->grid.CellText(row, kColContent) == o.text &&
          f->grid.CellText(row, kColFlag) == std::to_string(o.flag)) {
        rows.push_back(row);
      }
    }
    return rows;
  };
  const auto db = SqliteQuery(service->db_path());
  for (int round = 2; round <= 4; ++round) {
    // A loop turn three minutes on: every office re-sends its text.
    SqlNumbers(service->db_path(), "UPDATE messages SET created = created - 180");
    for (const Office& o : offices) ASSERT_EQ(send(o, "LoopInfo"), "AddOK");
    ASSERT_TRUE(WaitForNewest(*f, NewestIn(db)));
    for (const Office& o : offices) {
      const std::vector<int> rows = rows_of(o);
      ASSERT_EQ(rows.size(), 1u) << "round " << round;
      EXPECT_NE(
          U(f->grid.CellText(rows[0], kColRowText)).find("【重复" + std::to_string(round) + "次】"),
          std::string::npos)
          << U(f->grid.CellText(rows[0], kColRowText));
    }
  }
  // The service withdrew the older copies through its deletion log.
  EXPECT_EQ(db("SELECT COUNT(*) FROM messages WHERE deleted <> 0 AND content = '" +
               offices[0].text + "'"),
            std::vector<std::int64_t>{3});
  // Folding off shows every copy again, without a request.
  f->feed->SetFolding(false);
  EXPECT_EQ(rows_of(offices[1]).size(), 4u);
  f->feed->SetFolding(true);
  // Blocked: gone from the list, and a new copy of theirs is not news.
  const std::string blocked = std::to_string(other);
  f->store.SetBlockedTest([&](std::string_view member) { return member == blocked; });
  f->feed->BlockedChanged();
  EXPECT_TRUE(rows_of(offices[1]).empty());
  EXPECT_EQ(rows_of(offices[0]).size(), 1u);
  int news = -1;
  auto c = QObject::connect(f->feed.get(), &FeedController::newRecordsApplied, [&](int inserted) {
    if (inserted > 0 || news < 0) news = inserted;
  });
  SqlNumbers(service->db_path(), "UPDATE messages SET created = created - 180");
  ASSERT_EQ(send(offices[1], "LoopInfo"), "AddOK");
  ASSERT_TRUE(WaitForNewest(*f, NewestIn(db)));
  QObject::disconnect(c);
  EXPECT_EQ(news, 0);
  f->store.SetBlockedTest(nullptr);
  f->feed->BlockedChanged();
  EXPECT_EQ(rows_of(offices[1]).size(), 1u);
}

}  // namespace
}  // namespace tv
