// The results panel against a real tarvolo-service: the first page and its
// count, new matches on top with their chime, paging, pause and resume,
// closing, a new search dropping the old one's late answers, and the
// member's own new message.
#include <gtest/gtest.h>

#include <QTest>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "core/background_job.h"
#include "feed/service_fixture.h"
#include "grid/text_measure.h"
#include "search/search_results_panel.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::MemberId;
using feed_test::Publish;
using feed_test::U;

constexpr int kWaitMs = 15000;

class RecordingPlayer : public AlertPlayer {
 public:
  void Play(AlertSound sound) override { played.push_back(AlertSoundName(sound)); }
  std::vector<std::string> played;
};

// Holds every poll of the panel at the gate, before it asks, while the gate
// is closed: a test decides what the answer will hold and when it comes.
class PollGate {
 public:
  void Close() {
    std::lock_guard lock(mutex_);
    open_ = false;
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    wake_.notify_all();
  }
  int Waiting() {
    std::lock_guard lock(mutex_);
    return waiting_;
  }
  // On the worker, before the request: waits while the gate is closed.
  void Pass(std::string_view path) {
    if (path.find("GetNewDatas") == std::string_view::npos) return;
    std::unique_lock lock(mutex_);
    ++waiting_;
    wake_.wait(lock, [this] { return open_; });
    --waiting_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool open_ = true;
  int waiting_ = 0;
};

class SearchPanelServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service = std::make_unique<LocalService>(
        std::vector<std::string>{"--demo", "--no-cache", "--quota", "0"});
    ASSERT_TRUE(service->ok()) << service->error();
    vip = MemberId(service->db_path(), "demo_vip");
    other = MemberId(service->db_path(), "demo_member");
    ASSERT_GT(vip, 0);
    SetFeedColumns(rows, 600);
    SearchResultsPanel::Setup setup;
    setup.services.fetch = [this](std::string_view host, std::string_view path) {
      gate.Pass(path);
      return FetchEncodedPage("GET", host, path);
    };
    setup.player = &player;
    setup.sound_on = [this] { return sound_on; };
    panel = std::make_unique<SearchResultsPanel>(rows, main_list, setup);
    panel->SetHost(service->host());
    panel->SetMember(vip);
    panel->SetRefreshPeriodMs(100);
    panel->Feed().SetPacing(0, 0, 0);
  }

  void TearDown() override {
    gate.Open();
    if (panel) panel->Close();
    WaitForBackgroundJobs(kWaitMs);
  }

  // Starts a search and waits for its first page.
  void Search(const char* code, const char* keywords) {
    bool done = false;
    auto c = QObject::connect(panel.get(), &SearchResultsPanel::firstPageApplied,
                              [&](bool) { done = true; });
    panel->StartSearch({G(code), G(keywords)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs));
    QObject::disconnect(c);
  }

  std::string Row(int row, int column = kColRowText) const {
    return U(rows.GetCellText(row, column));
  }

  // Waits until a poll put a message with this content marker on top.
  bool WaitForTop(const std::string& marker) {
    return QTest::qWaitFor([&] { return Row(0).find(marker) != std::string::npos; }, kWaitMs);
  }

  // Opens the gate and waits until the polls it held have answered
  // (applied or dropped); no other poll may start meanwhile.
  bool ReleaseHeldPolls() {
    const int held = gate.Waiting();
    int seen = 0;
    auto c =
        QObject::connect(panel.get(), &SearchResultsPanel::matchesInserted, [&](int) { ++seen; });
    gate.Open();
    const bool ok = QTest::qWaitFor([&] { return seen >= held; }, kWaitMs);
    QObject::disconnect(c);
    return ok;
  }

  std::unique_ptr<LocalService> service;
  std::int64_t vip = 0, other = 0;
  RowStore rows{kMessageColumns, std::make_shared<FixedTextMeasure>(6, 12)};
  feed_test::TestGrid main_grid;
  FeedStore main_list{main_grid};
  RecordingPlayer player;
  bool sound_on = true;
  PollGate gate;
  std::unique_ptr<SearchResultsPanel> panel;
};

TEST_F(SearchPanelServiceTest, FirstPageCountsThenNewMatchesComeOnTopWithTheirChime) {
  Search("", "煤炭");
  const std::int32_t total = panel->Store().TotalCount();
  ASSERT_GT(total, 30);
  EXPECT_EQ(rows.RowCount(), total);
  EXPECT_EQ(panel->CountText().toStdString(), "共 " + std::to_string(total) + " 条匹配信息");
  EXPECT_EQ(panel->Title().toStdString(), "在[全国]中搜索即时信息[煤炭]");
  // Every match shows its keyword highlighted; the row text is the feed's.
  for (int row = 0; row < 30; ++row) {
    EXPECT_NE(Row(row).find("Ξ煤炭§"), std::string::npos) << Row(row);
    EXPECT_NE(Row(row).find(" Ψ"), std::string::npos) << Row(row);
  }
  EXPECT_TRUE(Row(30).empty());
  EXPECT_TRUE(panel->Feed().PollTimerActive());

  ASSERT_TRUE(
      Publish(service->host(), "demo_member", G("郑州"), G("郑州到西安 木材8吨 甲")));  // no
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("济宁到北京 煤炭30吨 乙")));
  ASSERT_TRUE(WaitForTop("乙"));
  EXPECT_EQ(panel->Store().TotalCount(), total + 1);
  EXPECT_EQ(Row(0, kColTypeWord), "0");  // the type as received
  EXPECT_EQ(player.played, std::vector<std::string>{"STOCK"});

  // A truck match, and the member's own match (never through a poll).
  ASSERT_TRUE(Publish(service->host(), "demo_vip", G("济宁"), G("自己的 煤炭 丙")));
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("求车拉煤炭 丁"), "1"));
  ASSERT_TRUE(WaitForTop("丁"));
  EXPECT_EQ(panel->Store().TotalCount(), total + 2);
  EXPECT_EQ(Row(1).find("丙"), std::string::npos);
  EXPECT_NE(Row(1).find("乙"), std::string::npos);
  EXPECT_EQ(player.played, (std::vector<std::string>{"STOCK", "CAR"}));
}

TEST_F(SearchPanelServiceTest, ABurstOfMatchesSoundsOnceAndNoSoundWhenSwitchedOff) {
  Search("", "水泥");
  gate.Close();  // the next poll asks once all five are published
  ASSERT_TRUE(QTest::qWaitFor([&] { return gate.Waiting() == 1; }, kWaitMs));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(
        Publish(service->host(), "demo_member", G("济宁"), G("水泥 批") + std::to_string(i)));
  }
  gate.Open();
  ASSERT_TRUE(WaitForTop("批4"));
  EXPECT_EQ(player.played, std::vector<std::string>{"STOCK"});

  sound_on = false;
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("水泥 静")));
  ASSERT_TRUE(WaitForTop("静"));
  EXPECT_EQ(player.played.size(), 1u);
}

// One poll answer of several types: its chime is that of the last inserted
// match whose type has one, whatever type the newest match is.
TEST_F(SearchPanelServiceTest, AMixedAnswerSoundsItsLastSoundingMatch) {
  Search("", "水泥");
  struct Case {
    std::vector<const char*> types;  // in the order published
    std::vector<std::string> played;
  };
  const Case cases[] = {
      {{"0", "2"}, {"STOCK"}},
      {{"1", "0", "2", "2"}, {"STOCK"}},
      {{"0", "1", "2"}, {"CAR"}},
      {{"2"}, {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    player.played.clear();
    gate.Close();  // the next poll asks once the whole case is published
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.Waiting() == 1; }, kWaitMs));
    std::string last;
    for (const char* type : c.types) {
      last = "混" + std::to_string(n++);
      ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("水泥 " + last), type));
    }
    gate.Open();
    ASSERT_TRUE(WaitForTop(last));
    EXPECT_EQ(player.played, c.played) << last;
  }
}

TEST_F(SearchPanelServiceTest, ScrollingFetchesThePageFromTheFirstEmptyRow) {
  Search("", "煤炭");
  ASSERT_GT(rows.RowCount(), 45);
  bool paged = false;
  QObject::connect(&panel->Paging(), &PagingController::pageApplied,
                   [&](qint32, bool) { paged = true; });
  panel->Grid().SetScrollMark(41);  // row 40 first in view
  panel->Paging().LoadMissingRows();
  ASSERT_TRUE(QTest::qWaitFor([&] { return paged; }, kWaitMs));
  EXPECT_EQ(panel->Paging().StartNum(), 41);
  for (int row = 40; row < 45; ++row) {
    EXPECT_NE(Row(row).find("Ξ煤炭§"), std::string::npos) << row;
  }
  // The rows continue the first page's order.
  EXPECT_GT(std::stoll(Row(29, kColInfoId)), std::stoll(Row(40, kColInfoId)));
}

TEST_F(SearchPanelServiceTest, PauseResumeAndCloseStopAndStartPolling) {
  Search("", "煤炭");
  panel->SetScrolling(false);
  EXPECT_FALSE(panel->Feed().PollTimerActive());
  panel->SetScrolling(true);
  EXPECT_TRUE(panel->Feed().PollTimerActive());

  // A poll under way when the panel closes brings nothing into it.
  gate.Close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return gate.Waiting() == 1; }, kWaitMs));
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("煤炭 关闭后")));
  const std::int32_t total = panel->Store().TotalCount();
  panel->Close();
  EXPECT_FALSE(panel->Feed().PollTimerActive());
  ASSERT_TRUE(ReleaseHeldPolls());
  EXPECT_EQ(panel->Store().TotalCount(), total);
  EXPECT_TRUE(player.played.empty());
  // Resuming does not poll a closed panel.
  panel->SetScrolling(false);
  panel->SetScrolling(true);
  EXPECT_FALSE(panel->Feed().PollTimerActive());
}

// A search started while scrolling is off polls as soon as it is switched
// on: a match published after that comes on top.
TEST_F(SearchPanelServiceTest, ASearchStartedWithScrollingOffPollsAfterResuming) {
  panel->SetScrolling(false);
  Search("", "煤炭");
  EXPECT_FALSE(panel->Feed().PollTimerActive());
  panel->SetScrolling(true);
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("济宁到北京 煤炭30吨 恢复后")));
  EXPECT_TRUE(WaitForTop("恢复后"));
}

TEST_F(SearchPanelServiceTest, ANewSearchDropsTheOldSearchesLateAnswer) {
  Search("", "煤炭");
  // The old search's poll asks only after the new search started, and
  // finds a new match of the old search.
  gate.Close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return gate.Waiting() == 1; }, kWaitMs));
  ASSERT_TRUE(Publish(service->host(), "demo_member", G("济宁"), G("煤炭 迟到的")));
  Search("", "钢材");
  panel->SetScrolling(false);  // no poll of the new search from here on
  const std::int32_t total = panel->Store().TotalCount();
  ASSERT_TRUE(ReleaseHeldPolls());
  EXPECT_EQ(panel->Store().TotalCount(), total);
  for (int row = 0; row < 30 && !Row(row).empty(); ++row) {
    EXPECT_EQ(Row(row).find("迟到的"), std::string::npos) << row;
  }
  EXPECT_TRUE(player.played.empty());
}

TEST_F(SearchPanelServiceTest, TheMembersOwnNewMessageIsOfferedToTheSearch) {
  Search("济宁,泰安", "煤炭");
  const std::int32_t total = panel->Store().TotalCount();
  panel->SetScrolling(false);  // no poll in between
  InfoRecord own;
  own.InfoID = "999999";
  own.City = G("济宁");
  own.Type = "1";
  own.Content = G("济宁到上海 求车拉煤炭");
  own.Tel = "13900000000";
  own.Flag = std::to_string(vip);
  own.Time = "2012-03-07 09:05:00";
  OwnMessage sent{own, own.City, own.Content};
  // Polling off: not shown.
  EXPECT_FALSE(panel->AddPublishedMessage(sent));
  panel->SetScrolling(true);
  ASSERT_TRUE(panel->AddPublishedMessage(sent));
  EXPECT_EQ(Row(0, kColInfoId), "999999");
  EXPECT_EQ(Row(0), "【济宁】济宁到上海 求车拉Ξ煤炭§ Ψ13900000000§ δ3-7 9:05§");
  EXPECT_EQ(panel->Store().TotalCount(), total + 1);
  EXPECT_EQ(panel->CountText().toStdString(), "共 " + std::to_string(total + 1) + " 条匹配信息");
  EXPECT_EQ(player.played, std::vector<std::string>{"CAR"});
  // Another city, or no keyword in what was sent: not the search's.
  sent.record.City = sent.departure_city = G("北京");
  EXPECT_FALSE(panel->AddPublishedMessage(sent));
  sent.record.City = sent.departure_city = G("泰安");
  sent.content = G("泰安到上海 求车");
  EXPECT_FALSE(panel->AddPublishedMessage(sent));
  EXPECT_EQ(panel->Store().TotalCount(), total + 1);
  // A closed search takes nothing.
  sent.content = own.Content;
  EXPECT_TRUE(panel->AddPublishedMessage(sent));
  panel->Close();
  EXPECT_FALSE(panel->AddPublishedMessage(sent));
}

TEST_F(SearchPanelServiceTest, RowsOnScreenFollowMaskingAndTheMainListsMarks) {
  Search("", "煤炭");
  const std::string victim = Row(2, kColInfoId);
  const std::string closed = Row(3, kColInfoId);
  main_list.ApplyIdList(IdListKind::kDeleted, {IdPair{"1", victim}});
  main_list.ApplyIdList(IdListKind::kClosed, {IdPair{"1", closed}});
  panel->Grid().SetScrollMark(1);
  panel->RefreshVisibleRows(SearchResultsPanel::Refresh::kMarks);
  EXPECT_EQ(Row(2), "该条信息已被删除!");
  EXPECT_EQ(Row(3).rfind("【已成交】【", 0), 0u) << Row(3);

  panel->SetMasked(true);
  panel->RefreshVisibleRows(SearchResultsPanel::Refresh::kMasking);
  EXPECT_NE(Row(0).find("Ψ双击查看电话§"), std::string::npos) << Row(0);
  EXPECT_NE(Row(0).find("Ξ煤炭§"), std::string::npos) << Row(0);
}

}  // namespace
}  // namespace tv
