// Folded copies, blocked members and the filter in the record store that
// every list (the main list, the search results) is built on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "feed/feed_store.h"
#include "feed/list_export.h"
#include "feed/truck_length.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::U;

using Ids = std::vector<std::string>;

InfoRecord Msg(int id, std::string_view content, std::string flag = "5", std::string type = "0") {
  return feed_test::Rec(std::to_string(id), "济宁", content, "8888", "2012-03-07 09:05:00",
                        std::move(flag), "0", std::move(type));
}

class ListNoiseTest : public ::testing::Test {
 protected:
  ListNoiseTest() : store(grid) {
    store.Member().user_id = 31;
    store.SetRowStyle(RowStyle{G("宋体"), 20, 0});
    store.SetBlockedTest(
        [this](std::string_view member) { return blocked.count(std::string(member)) > 0; });
  }
  std::string Text(int row) const { return U(grid.CellText(row, kColRowText)); }
  std::string Id(int row) const { return std::string(grid.CellText(row, kColInfoId)); }
  // The identifiers of the shown rows, top to bottom (empty rows as "-").
  std::vector<std::string> Shown() const {
    std::vector<std::string> ids;
    for (int row = grid.NextShownRow(-1); row >= 0; row = grid.NextShownRow(row)) {
      const std::string id = Id(row);
      ids.push_back(id.empty() ? "-" : id);
    }
    return ids;
  }

  feed_test::TestGrid grid;
  FeedStore store;
  std::set<std::string> blocked;
};

TEST_F(ListNoiseTest, CopiesFoldIntoTheNewestWhichSaysHowOftenItCame) {
  // Newest first, as a first page comes: 10, 8 and 6 are one text retyped.
  CountedPage page{6,
                   {Msg(10, "济宁到北京，有货20吨"), Msg(9, "郑州到上海"),
                    Msg(8, "济宁到北京, 有货２０吨"), Msg(7, "济宁到北京，有货20吨", "6"),
                    Msg(6, "济宁到北京 ，有货 20吨"), Msg(5, "郑州到上海 ")}};
  ASSERT_TRUE(store.ApplyStartPage(page));
  EXPECT_EQ(Shown(), (Ids{"10", "9", "7"}));
  EXPECT_EQ(Text(0), "【重复3次】【济宁】济宁到北京，有货20吨 Ψ8888§ δ3-7 9:05§");
  EXPECT_EQ(Text(1), "【重复2次】【济宁】郑州到上海 Ψ8888§ δ3-7 9:05§");
  EXPECT_EQ(Text(3), "【济宁】济宁到北京，有货20吨 Ψ8888§ δ3-7 9:05§");  // another member
  EXPECT_EQ(store.Noise().FoldedCount(), 3);
  EXPECT_EQ(store.Noise().CopyRows(4), (std::vector<int>{0, 2, 4}));
  EXPECT_EQ(store.TotalCount(), 6);  // the server's count stays
}

TEST_F(ListNoiseTest, ACopyByPollMovesItsRowToTopACopyInAnOlderPageIsCounted) {
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{40, {Msg(30, "甲"), Msg(29, "乙"), Msg(28, "丙")}}));
  // A poll brings 乙 again: its row is now the top one, counted twice.
  EXPECT_EQ(store.ApplyNewRecords({Msg(31, "乙")}), 1);
  EXPECT_EQ(Shown()[0], "31");
  EXPECT_EQ(Shown()[1], "30");
  EXPECT_EQ(Shown()[2], "28");
  EXPECT_TRUE(grid.RowHidden(2));  // 29, folded
  EXPECT_NE(Text(0).find("【重复2次】"), std::string::npos);
  // An older page (rows 3 on, as the server numbers them since the poll)
  // brings 甲 and 乙 once more: counted into their rows, no new rows shown.
  store.ApplyPage(4, {Msg(28, "丙"), Msg(20, "甲"), Msg(19, "乙"), Msg(18, "丁")},
                  store.TopInserts());
  EXPECT_EQ(Id(3), "28");
  EXPECT_EQ(Id(6), "18");
  Ids expected{"31", "30", "28", "18"};
  expected.resize(4 + 34, "-");  // rows 7 to 40 are still to come
  EXPECT_EQ(Shown(), expected);
  EXPECT_NE(Text(0).find("【重复3次】"), std::string::npos);
  EXPECT_NE(Text(1).find("【重复2次】"), std::string::npos);
  EXPECT_EQ(Text(3).find("【重复"), std::string::npos);  // written again over itself: once
}

TEST_F(ListNoiseTest, SwitchingFoldingOffShowsEveryCopyAndOnAgainFoldsThem) {
  ASSERT_TRUE(store.ApplyStartPage(
      CountedPage{4, {Msg(4, "甲"), Msg(3, "乙"), Msg(2, "甲"), Msg(1, "甲")}}));
  EXPECT_EQ(Shown(), (Ids{"4", "3"}));
  store.SetFolding(false);
  EXPECT_EQ(Shown(), (Ids{"4", "3", "2", "1"}));
  EXPECT_EQ(Text(0).find("【重复"), std::string::npos);
  EXPECT_EQ(store.Noise().FoldedCount(), 0);
  // Rows that come while it is off are grouped all the same.
  EXPECT_EQ(store.ApplyNewRecords({Msg(5, "乙")}), 1);
  EXPECT_EQ(Shown(), (Ids{"5", "4", "3", "2", "1"}));
  store.SetFolding(true);
  EXPECT_EQ(Shown(), (Ids{"5", "4"}));
  EXPECT_NE(Text(0).find("【重复2次】"), std::string::npos);
  EXPECT_NE(Text(1).find("【重复3次】"), std::string::npos);
}

TEST_F(ListNoiseTest, BlockedMembersAreHiddenNowAndLaterAndNeverNews) {
  ASSERT_TRUE(store.ApplyStartPage(
      CountedPage{3, {Msg(3, "甲", "7"), Msg(2, "乙", "8"), Msg(1, "丙", "7")}}));
  blocked.insert("7");
  store.BlockedChanged();
  EXPECT_EQ(Shown(), (Ids{"2"}));
  // A blocked member's message from a poll takes its row (the numbering
  // stays the server's) but is not news.
  EXPECT_EQ(store.ApplyNewRecords({Msg(4, "丁", "7"), Msg(5, "戊", "9")}), 1);
  EXPECT_EQ(store.TotalCount(), 5);
  EXPECT_EQ(Shown(), (Ids{"5", "2"}));
  EXPECT_EQ(store.ApplyNewRecords({Msg(6, "己", " 7")}), 0);
  blocked.clear();
  store.BlockedChanged();
  EXPECT_EQ(Shown(), (Ids{"6", "5", "4", "3", "2", "1"}));
}

TEST_F(ListNoiseTest, TheFilterNarrowsLoadedAndArrivingRowsAndClearingRestoresThem) {
  ASSERT_TRUE(store.ApplyStartPage(
      CountedPage{4,
                  {Msg(4, "求9米6平板车", "5", "0"), Msg(3, "有17.5米半挂", "6", "1"),
                   Msg(2, "有9.6米高栏 回程", "7", "1"), Msg(1, "钢材20吨", "8", "0")}}));
  const Ids all = Shown();
  std::uint32_t nine_six = 0;
  const auto known = KnownTruckLengths();
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (known[i].decimetres == 96) nine_six = std::uint32_t{1} << i;
  }
  RowFilter filter;
  filter.lengths = nine_six;
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), (Ids{"4", "2"}));
  filter.type = FilterType::kTrucks;
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), (Ids{"2"}));
  filter.must_not_have = {G("回程")};
  store.SetFilter(filter);
  EXPECT_TRUE(Shown().empty());
  filter = RowFilter{};
  filter.must_have = {G("济宁")};  // the city counts as text too
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), all);
  filter = RowFilter{};
  filter.type = FilterType::kTrucks;
  store.SetFilter(filter);
  EXPECT_EQ(store.ApplyNewRecords({Msg(5, "有货", "9", "0"), Msg(6, "有车", "9", "1")}), 2);
  EXPECT_EQ(Shown(), (Ids{"6", "3", "2"}));
  EXPECT_EQ(store.Noise().ShownLoadedCount(), 3);
  store.SetFilter(RowFilter{});
  EXPECT_EQ(Shown(), (Ids{"6", "5", "4", "3", "2", "1"}));
}

// Rows hidden as copies or as a blocked member's when a words filter comes
// are looked at once they could show: they must then obey it like the rest.
TEST_F(ListNoiseTest, RowsHiddenWhenTheFilterCameObeyItOnceTheyShow) {
  const auto city = [](int id, std::string_view in, std::string_view content, std::string flag) {
    return feed_test::Rec(std::to_string(id), in, content, "8888", "2012-03-07 09:05:00",
                          std::move(flag));
  };
  // 5, 3 and 1 are one text from three cities; 4 and 2 are a blocked member's.
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{
      5,
      {city(5, "济宁", "钢材20吨", "5"), city(4, "郑州", "钢材", "7"), city(3, "郑州", "钢材20吨", "5"),
       city(2, "上海", "煤", "7"), city(1, "济宁", "钢材20吨", "5")}}));
  blocked.insert("7");
  store.BlockedChanged();
  EXPECT_EQ(Shown(), (Ids{"5"}));
  RowFilter filter;
  filter.must_have = {G("济宁")};
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), (Ids{"5"}));
  store.SetFolding(false);
  EXPECT_EQ(Shown(), (Ids{"5", "1"}));
  filter.must_have = {G("钢材")};
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), (Ids{"5", "3", "1"}));
  store.SetFolding(true);
  blocked.clear();
  store.BlockedChanged();
  EXPECT_EQ(Shown(), (Ids{"5", "4"}));
  // The newest copy written over by another message: the next copy is the
  // row now, and the filter holds for it.
  filter.must_have = {G("郑州")};
  store.SetFilter(filter);
  EXPECT_EQ(Shown(), (Ids{"4"}));
  store.PutRecord(city(6, "郑州", "别的货", "9"), PutMode::kFill, 0);
  EXPECT_EQ(Shown(), (Ids{"6", "4", "3"}));
  EXPECT_EQ(store.Noise().ShownLoadedCount(), 3);
}

TEST_F(ListNoiseTest, ExportedLinesReadBackAsTheRowsShowThem) {
  store.View().regions = {G("济宁")};
  InfoRecord quoted = Msg(3, "济宁到北京,\"急\"\n钢材", "5", "1");
  quoted.Company = G("宏达物流");
  ASSERT_TRUE(store.ApplyStartPage(
      CountedPage{3, {quoted, Msg(2, "=HYPERLINK(1)", "6"), Msg(1, "-9.6米", "7")}}));
  store.ApplyIdList(IdListKind::kDeleted, {{"40", "2"}});
  store.ApplyIdList(IdListKind::kClosed, {{"41", "1"}});
  EXPECT_EQ(CsvHead(), "\xEF\xBB\xBF时间,类型,地区,内容,电话,公司,会员号,状态\r\n");
  // The highlight of the region is not part of the content; quotes doubled.
  EXPECT_EQ(CsvLineOf(grid, 0, store.Deleted(), store.Closed(), false),
            "2012-03-07 09:05:00,车源,济宁,\"济宁到北京,\"\"急\"\"\n钢材\",8888,宏达物流,5,\r\n");
  EXPECT_EQ(CsvLineOf(grid, 1, store.Deleted(), store.Closed(), true),
            "2012-03-07 09:05:00,货源,济宁,'=HYPERLINK(1),,公司,6,已删除\r\n");
  EXPECT_EQ(CsvLineOf(grid, 2, store.Deleted(), store.Closed(), false),
            "2012-03-07 09:05:00,货源,济宁,'-9.6米,8888,公司,7,已成交\r\n");
}

// The list at the size a week of the national view reaches: folding,
// unfolding, blocking and filtering a million rows, with polls and pages
// arriving in between, always show exactly the rows a plain model of the
// rules says (counted, and the first rows compared one by one).
TEST_F(ListNoiseTest, ACopyThatIsNoLongerTheNewestStopsSayingHowOftenItCame) {
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{2, {Msg(2, "郑州到上海"), Msg(1, "郑州到上海")}}));
  ASSERT_NE(Text(0).find("重复2次"), std::string::npos);
  store.ApplyNewRecords({Msg(3, "郑州到上海")});
  ASSERT_NE(Text(0).find("重复3次"), std::string::npos);
  // Unfolded, the older copies are rows of their own without a count.
  store.SetFolding(false);
  EXPECT_EQ(Shown(), (Ids{"3", "2", "1"}));
  for (int row : {0, 1, 2}) EXPECT_EQ(Text(row).find("重复"), std::string::npos) << row;
}

class ListNoiseScale : public ::testing::Test {
 protected:
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  static constexpr int kRows = 50'000;  // the same walk, at a sanitizer's pace
#else
  static constexpr int kRows = 1'000'000;
#endif
  static constexpr int kTexts = kRows / 5;  // each text sent five times over
  static constexpr int kMembers = 5'000;
  static constexpr int kEmptyAtBottom = 300;  // filled by pages later

  struct Model {
    int text;
    int id;
  };
  static int MemberOf(int text) { return 10'000 + text % kMembers; }
  static bool IsCargo(int text) { return text % 2 == 0; }
  // The menu's index of a length in decimetres.
  static std::size_t LengthIndex(int decimetres) {
    const auto lengths = KnownTruckLengths();
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      if (lengths[i].decimetres == decimetres) return i;
    }
    ADD_FAILURE() << decimetres << " is not in the menu";
    return 0;
  }
  static std::size_t LengthOf(int text) {
    static const std::size_t kUsed[] = {LengthIndex(42), LengthIndex(68), LengthIndex(96),
                                        LengthIndex(130), LengthIndex(175)};
    return kUsed[static_cast<std::size_t>(text / 2) % 5];
  }
  static bool Urgent(int text) { return text % 3 == 0; }
  static const char* From(int text) {
    static const char* const kCities[] = {"济宁", "郑州", "上海", "广州", "西安"};
    return kCities[(text / 7) % 5];
  }

  static InfoRecord Record(const Model& m) {
    const auto lengths = KnownTruckLengths();
    InfoRecord r;
    r.InfoID = std::to_string(m.id);
    r.City = G(From(m.text));
    r.Type = IsCargo(m.text) ? "0" : "1";
    r.Content =
        G(std::string(From(m.text)) + "到北京，有货" + std::to_string(m.text % 30) + "吨，求") +
        lengths[LengthOf(m.text)].label +
        G(std::string("高栏车") + (Urgent(m.text) ? "，面议急走" : "") + "，编号" +
          std::to_string(m.text));
    r.Tel = "139" + std::to_string(10'000'000 + m.text % kMembers);
    r.Company = G("物流公司");
    r.Flag = std::to_string(MemberOf(m.text));
    r.Deal = "0";
    r.Time = "2026-12-11 07:05:00";
    return r;
  }

  ListNoiseScale() : store(grid) {
    store.SetRowStyle(RowStyle{G("宋体"), 20, 0});
    store.SetBlockedTest([this](std::string_view m) { return !blocked.empty() && m == blocked; });
    EXPECT_TRUE(store.ApplyStartPage(CountedPage{kRows, {}}));
    for (int row = 0; row < kRows; ++row) {
      rows.push_back(Model{row % kTexts, 5'000'000 - row});
      if (row < kRows - kEmptyAtBottom) store.PutRecord(Record(rows.back()), PutMode::kFill, row);
    }
    loaded = kRows - kEmptyAtBottom;
  }

  // What the rules say is shown, top to bottom, as row numbers.
  std::vector<int> Expected() const {
    std::vector<int> shown;
    std::vector<bool> seen(static_cast<std::size_t>(kTexts + next_id));  // newest copy above
    const std::size_t nine_six = LengthIndex(96);
    for (int row = 0; row < loaded; ++row) {
      const int text = rows[static_cast<std::size_t>(row)].text;
      const bool newest = !seen[static_cast<std::size_t>(text)];
      seen[static_cast<std::size_t>(text)] = true;
      if (folding && !newest) continue;
      if (std::to_string(MemberOf(text)) == blocked) continue;
      if (filtered && !(IsCargo(text) && LengthOf(text) == nine_six &&
                        std::string_view(From(text)) == "郑州" && !Urgent(text))) {
        continue;
      }
      shown.push_back(row);
    }
    return shown;
  }

  void ExpectAsModelled(const char* step) {
    SCOPED_TRACE(step);
    const std::vector<int> expected = Expected();
    EXPECT_EQ(store.Noise().ShownLoadedCount(), static_cast<int>(expected.size()));
    int row = grid.NextShownRow(-1);
    for (std::size_t i = 0; i < expected.size() && i < 200; ++i, row = grid.NextShownRow(row)) {
      ASSERT_EQ(row, expected[i]) << "shown row " << i;
    }
  }

  // 50 records by poll, oldest first: every other one a re-send of a held
  // text (its row goes to the top), the others new texts.
  void Poll() {
    std::vector<InfoRecord> answer;
    for (int i = 0; i < 50; ++i) {
      const int text = i % 2 == 0 ? (next_id * 7 + i) % kTexts : kTexts + next_id;
      const Model m{text, next_id++};
      answer.push_back(Record(m));
      rows.insert(rows.begin(), m);
      ++loaded;
    }
    store.ApplyNewRecords(answer);
  }

  // The next page below the loaded rows (it begins with the last loaded
  // row's message, as pages do).
  void Page() {
    std::vector<InfoRecord> page;
    for (int row = loaded - 1; row < loaded + 29 && row < static_cast<int>(rows.size()); ++row) {
      page.push_back(Record(rows[static_cast<std::size_t>(row)]));
    }
    ASSERT_TRUE(store.ApplyPage(loaded, page, store.TopInserts()));
    loaded = std::min(loaded + 29, static_cast<int>(rows.size()));
  }

  RowFilter Filter() const {
    RowFilter f;
    f.type = FilterType::kCargo;
    f.lengths = std::uint32_t{1} << LengthIndex(96);
    f.must_have = {G("郑州")};
    f.must_not_have = {G("面议急走")};
    return f;
  }

  feed_test::TestGrid grid;
  FeedStore store;
  std::vector<Model> rows;  // the model, row by row
  int loaded = 0;
  int next_id = 6'000'000;
  bool folding = true;
  bool filtered = false;
  std::string blocked;
};

TEST_F(ListNoiseScale, FoldBlockAndFilterAMillionRowsWithPollsAndPagesBetween) {
  ExpectAsModelled("folded");
  Poll();
  Page();
  ExpectAsModelled("a poll and a page, folded");
  folding = false;
  store.SetFolding(false);
  ExpectAsModelled("unfolded");
  Poll();
  ExpectAsModelled("a poll, unfolded");
  folding = true;
  store.SetFolding(true);
  blocked = std::to_string(MemberOf(7));
  store.BlockedChanged();
  ExpectAsModelled("folded, a member blocked");
  Page();
  Poll();
  ExpectAsModelled("a page and a poll, blocked");
  filtered = true;
  store.SetFilter(Filter());
  ExpectAsModelled("filtered");
  Poll();
  Page();
  ExpectAsModelled("a poll and a page, filtered");
  blocked.clear();
  store.BlockedChanged();
  filtered = false;
  store.SetFilter(RowFilter{});
  ExpectAsModelled("unblocked, the filter cleared");
}

// A service's list as the contract numbers it: newest first, deleted
// messages gone; a loop re-send deletes the member's live copy and adds the
// new one on top.
class FakeService {
 public:
  explicit FakeService(int messages) {
    for (int i = 1; i <= messages; ++i) Add(i % 400, 100 + i % 37);
  }
  void Add(int text, int member) {
    list_.insert(list_.begin(),
                 Msg(++newest_, "货" + std::to_string(text), std::to_string(member)));
  }
  // A loop re-send of the text at `place` of the list.
  void Bump(int place) {
    const InfoRecord old = list_.at(static_cast<std::size_t>(place));
    deleted_.push_back({std::to_string(1000 + deleted_.size()), old.InfoID});
    list_.erase(list_.begin() + place);
    list_.insert(list_.begin(), old);
    list_.front().InfoID = std::to_string(++newest_);
  }
  CountedPage First() const { return {static_cast<std::int32_t>(list_.size()), Page(1)}; }
  std::vector<InfoRecord> Page(int start_num) const {
    std::vector<InfoRecord> page;
    for (int i = start_num - 1; i >= 0 && i < static_cast<int>(list_.size()) && page.size() < 30;
         ++i)
      page.push_back(list_[static_cast<std::size_t>(i)]);
    return page;
  }
  std::vector<InfoRecord> NewerThan(const std::string& id) const {
    std::vector<InfoRecord> newer;
    for (const InfoRecord& r : list_) {
      if (std::stoll(r.InfoID) <= std::stoll(id)) break;
      newer.insert(newer.begin(), r);  // oldest first
    }
    return newer;
  }
  std::vector<IdPair> DeletedSince(std::size_t n) const {
    return {deleted_.begin() + static_cast<long>(n), deleted_.end()};
  }
  const std::vector<InfoRecord>& List() const { return list_; }

 private:
  std::vector<InfoRecord> list_;
  std::vector<IdPair> deleted_;
  int newest_ = 0;
};

// Pages fetched down the whole list while offices keep re-sending (each
// re-send deletes a copy above the pages): no message is skipped nor held
// twice, folded or not, and both runs hold the same rows.
TEST(ListNoisePaging, PagesAfterFoldingAndReSendsNeverSkipNorRepeat) {
  std::vector<std::string> rows_of_run[2];
  for (int run = 0; run < 2; ++run) {
    FakeService service(3000);
    feed_test::TestGrid grid;
    FeedStore store(grid);
    store.SetRowStyle(RowStyle{G("宋体"), 20, 0});
    store.SetFolding(run == 0);
    ASSERT_TRUE(store.ApplyStartPage(service.First()));
    std::size_t deletions_seen = 0;
    int empty = 30;
    for (int step = 0; empty < grid.RowCount(); ++step) {
      // Between pages: re-sends above the pages, a poll, now and then the
      // deletion log.
      service.Bump(5 + step % 20);
      service.Bump(2 * step % (empty - 1) + 1);
      store.ApplyNewRecords(service.NewerThan(store.NewestId()));
      if (step % 3 == 0) {
        store.ApplyIdList(IdListKind::kDeleted, service.DeletedSince(deletions_seen));
        deletions_seen = service.DeletedSince(0).size();
      }
      while (empty < grid.RowCount() && !grid.CellText(empty, kColRowText).empty()) ++empty;
      if (empty >= grid.RowCount()) break;
      // The member scrolled to the first empty row: the page the paging
      // asks for (StartNum = that row, less the deleted rows above).
      const std::int32_t start = empty - store.DeletedRowsAbove(empty - 1);
      const auto asked_at = store.TopInserts();
      // The rows of the copies withdrawn above stay: the last ones of the
      // grid have no message left to hold.
      if (service.Page(start).empty()) break;
      const auto page = service.Page(start);
      if (!store.ApplyPage(empty, page, asked_at, false)) {
        // Deletions the rows do not know of yet: the page before as well,
        // both applied together (as the paging asks).
        auto both = service.Page(std::max(start - 30, 1));
        for (const InfoRecord& r : page) {
          if (std::stoll(r.InfoID) < std::stoll(both.back().InfoID)) both.push_back(r);
        }
        store.ApplyPage(empty, both, asked_at);
      }
      ASSERT_LT(step, 1000) << "the pages do not get to the bottom";
    }
    std::set<std::string> held;
    for (int row = 0; row < grid.RowCount(); ++row) {
      const std::string id(grid.CellText(row, kColInfoId));
      if (id.empty()) continue;
      EXPECT_TRUE(held.insert(id).second) << "run " << run << ": " << id << " held twice";
      rows_of_run[run].push_back(id);
    }
    for (const InfoRecord& r : service.List()) {
      EXPECT_EQ(held.count(r.InfoID), 1u) << "run " << run << ": " << r.InfoID << " skipped";
    }
  }
  EXPECT_EQ(rows_of_run[0], rows_of_run[1]);
}

}  // namespace
}  // namespace tv
