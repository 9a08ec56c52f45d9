#include "feed/feed_store.h"

#include <gtest/gtest.h>

#include "feed/row_text.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::Rec;
using feed_test::U;

class FeedStoreTest : public ::testing::Test {
 protected:
  FeedStoreTest() : store(grid) {
    store.View().regions = {G("济宁")};
    store.Member().user_id = 31;
    store.SetRowStyle(RowStyle{G("宋体"), 20, 0x0000FF});
    // Most records here are one text of one member: each row on its own.
    store.SetFolding(false);
  }
  std::string RowText(int row) const { return U(grid.CellText(row, kColRowText)); }
  std::string Id(int row) const { return std::string(grid.CellText(row, kColInfoId)); }

  feed_test::TestGrid grid;
  FeedStore store;
};

TEST_F(FeedStoreTest, FirstPageSizesTheGridToTheTotalAndFillsFromRowZero) {
  CountedPage page{250, {}};
  for (int i = 0; i < 30; ++i) page.records.push_back(Rec(std::to_string(1000 - i)));
  page.records[0] =
      Rec("1000", "济宁", "济宁到北京", "8888", "2012-03-07 09:05:00", "9", "0", "1", "12345");
  ASSERT_TRUE(store.ApplyStartPage(page));
  EXPECT_EQ(grid.RowCount(), 250);
  EXPECT_EQ(store.TotalCount(), 250);
  EXPECT_EQ(Id(29), "971");
  EXPECT_TRUE(grid.CellText(30, kColRowText).empty());
  EXPECT_TRUE(grid.CellText(249, kColInfoId).empty());
  EXPECT_EQ(store.NewestId(), "1000");

  const auto cell = [&](int column) { return U(grid.CellText(0, column)); };
  EXPECT_EQ(cell(kColCity), "济宁");
  EXPECT_EQ(cell(kColTypeWord), "车源");
  EXPECT_EQ(cell(kColContent), "Ξ济宁§到北京");
  EXPECT_EQ(cell(kColTel), "8888");
  EXPECT_EQ(cell(kColFlag), "9");
  EXPECT_EQ(cell(kColTime), "2012-03-07 09:05:00");
  EXPECT_EQ(cell(kColQQ), "12345");
  EXPECT_EQ(cell(kColDeal), "0");
  EXPECT_EQ(cell(kColCompany), "公司");
  EXPECT_EQ(RowText(0), "【济宁】Ξ济宁§到北京 Ψ8888§ δ3-7 9:05§");
  const RowStore& s = grid.store;
  EXPECT_EQ(s.CellImage(0, kColTypeIcon), kFeedImageTruck);
  EXPECT_EQ(s.CellImage(0, kColMessengerIcon), kFeedImageMessenger);
  EXPECT_EQ(s.CellImage(0, kColDetailIcon), kFeedImageDetail);
  EXPECT_EQ(s.CellImage(1, kColTypeIcon), kFeedImageParcel);
  EXPECT_EQ(s.CellImage(1, kColMessengerIcon), kFeedImageMessengerGrey);
  // The row text's own font and colour from the display settings.
  ASSERT_NE(s.CellFontOf(0, kColRowText), nullptr);
  EXPECT_EQ(s.CellFontOf(0, kColRowText)->height, 20);
  EXPECT_EQ(s.CellColour(0, kColRowText), 0x0000FFu);
  // One line of 41 bytes at 6 pixels fits 600: 12 + 1 + 1.
  EXPECT_EQ(s.RowHeight(0), 14);
}

TEST_F(FeedStoreTest, ABogusTotalSizesTheGridToAMillionRowsAndCountsThat) {
  CountedPage page{2'000'000'000, {Rec("7")}};
  ASSERT_TRUE(store.ApplyStartPage(page));
  EXPECT_EQ(grid.RowCount(), 1'000'000);
  EXPECT_EQ(store.TotalCount(), 1'000'000);
}

TEST_F(FeedStoreTest, AnEmptyFirstPageStartsNothing) {
  EXPECT_FALSE(store.ApplyStartPage(CountedPage{0, {}}));
  EXPECT_EQ(grid.RowCount(), 0);
}

TEST_F(FeedStoreTest, NewRecordsGoOnTopInAnswerOrderAndSkipTheMembersOwn) {
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{2, {Rec("900"), Rec("899")}}));
  const int inserted =
      store.ApplyNewRecords({Rec("901"), Rec("905", "济宁", "x", "1", "", "31"), Rec("902")});
  EXPECT_EQ(inserted, 2);
  EXPECT_EQ(Id(0), "902");
  EXPECT_EQ(Id(1), "901");
  EXPECT_EQ(Id(2), "900");
  EXPECT_EQ(store.TotalCount(), 4);
  EXPECT_EQ(grid.RowCount(), 4);

  // Without contact rights the member's own messages come through the poll.
  store.Member().no_contact_rights = true;
  EXPECT_EQ(store.ApplyNewRecords({Rec("906", "济宁", "x", "1", "", "31")}), 1);
  // A guest has member number 0 and so never gets staff messages ("0").
  store.Member() = FeedMember{"", 0, false};
  EXPECT_EQ(store.ApplyNewRecords({Rec("907", "济宁", "x", "1", "", "0"), Rec("908")}), 1);
  EXPECT_EQ(Id(0), "908");
}

// The member's own message goes on top at once, but the polls go on from what
// they had seen: others' messages published just before it still arrive.
TEST_F(FeedStoreTest, AnOwnMessageOnTopDoesNotHideMessagesPublishedBeforeIt) {
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{2, {Rec("900"), Rec("899")}}));
  ASSERT_TRUE(store.PutOwnRecord(Rec("905", "济宁", "mine", "1", "", "31")));
  EXPECT_EQ(Id(0), "905");
  EXPECT_EQ(store.NewestId(), "900");
  // The next poll brings 901..905; the own one is skipped.
  EXPECT_EQ(
      store.ApplyNewRecords({Rec("901"), Rec("902"), Rec("905", "济宁", "mine", "1", "", "31")}),
      2);
  EXPECT_EQ(Id(0), "902");
  EXPECT_EQ(Id(2), "905");
  EXPECT_EQ(store.TotalCount(), 5);
  // Past the own message: row 0 again.
  EXPECT_EQ(store.NewestId(), "902");

  // A poll with nothing new keeps the place; a reload starts afresh.
  ASSERT_TRUE(store.PutOwnRecord(Rec("1000", "济宁", "mine", "1", "", "31")));
  EXPECT_EQ(store.ApplyNewRecords({}), 0);
  EXPECT_EQ(store.NewestId(), "902");
  ASSERT_TRUE(store.ApplyReloadPage(CountedPage{1, {Rec("1000")}}, true));
  EXPECT_EQ(store.NewestId(), "1000");
}

// A grid that runs out of memory on the next inserts.
struct FullGrid : feed_test::TestGrid {
  int refusals = 0;
  bool InsertTopRow() override { return refusals-- > 0 ? false : TestGrid::InsertTopRow(); }
};

TEST(FeedStoreInsert, AFailedInsertWritesNothingAndCountsNothing) {
  FullGrid grid;
  FeedStore store(grid);
  store.View().regions = {G("济宁")};
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{2, {Rec("900"), Rec("899")}}));
  grid.refusals = 1;
  EXPECT_EQ(store.ApplyNewRecords({Rec("901"), Rec("902")}), 1);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(store.TotalCount(), 3);
  EXPECT_EQ(grid.CellText(0, kColInfoId), "902");
  EXPECT_EQ(grid.CellText(1, kColInfoId), "900");  // not overwritten by 901
  EXPECT_EQ(grid.CellText(2, kColInfoId), "899");
}

TEST_F(FeedStoreTest, DeletionsAndClosuresMarkRowsAndOutliveAReload) {
  ASSERT_TRUE(store.ApplyStartPage(CountedPage{3, {Rec("4403"), Rec("4402"), Rec("4401")}}));
  store.ApplyIdList(IdListKind::kDeleted, {{"17", "4402"}, {"16", ""}});
  store.ApplyIdList(IdListKind::kClosed, {{"9", "4401"}});
  EXPECT_EQ(store.MaxId(IdListKind::kDeleted), "17");
  EXPECT_EQ(store.MaxId(IdListKind::kClosed), "9");
  EXPECT_EQ(store.Deleted().Text(), "B4402E");
  EXPECT_EQ(RowText(1), "该条信息已被删除!");
  EXPECT_EQ(RowText(2), "【已成交】【济宁】有货10吨 Ψ8888§ δ3-7 9:05§");
  EXPECT_EQ(grid.CellText(2, kColDeal), "1");
  EXPECT_EQ(RowText(0), "【济宁】有货10吨 Ψ8888§ δ3-7 9:05§");

  // Another view, the same message: still deleted.
  store.View().regions = {G("北京")};
  ASSERT_TRUE(store.ApplyReloadPage(CountedPage{2, {Rec("5000"), Rec("4402")}}, true));
  EXPECT_EQ(RowText(1), "该条信息已被删除!");
  EXPECT_EQ(store.Deleted().Text(), "B4402E");
}

TEST_F(FeedStoreTest, ReloadLeavesEveryCellEmptyBeforeThePage) {
  CountedPage big{300, {}};
  for (int i = 0; i < 300; ++i) big.records.push_back(Rec(std::to_string(5000 - i)));
  ASSERT_TRUE(store.ApplyStartPage(big));

  ASSERT_TRUE(store.ApplyReloadPage(CountedPage{50, {Rec("1"), Rec("2")}}, true));
  EXPECT_EQ(grid.RowCount(), 50);
  EXPECT_EQ(Id(1), "2");
  EXPECT_TRUE(grid.CellText(2, kColInfoId).empty());

  // A failed answer: the grid stays as prepared and polling does not restart.
  EXPECT_FALSE(store.ApplyReloadPage(CountedPage{}, false));
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(store.TotalCount(), 0);

  ASSERT_TRUE(store.ApplyReloadPage(CountedPage{5, {Rec("1")}}, true));
  EXPECT_FALSE(store.ApplyReloadPage(CountedPage{7, {}}, false));
  EXPECT_EQ(grid.RowCount(), 7);
  EXPECT_TRUE(grid.CellText(0, kColInfoId).empty());
}

TEST_F(FeedStoreTest, APageFillsFromTheRowAboveItsStartAndNeverPastTheGrid) {
  CountedPage page{250, {}};
  for (int i = 0; i < 30; ++i) page.records.push_back(Rec(std::to_string(1000 - i)));
  ASSERT_TRUE(store.ApplyStartPage(page));
  store.ApplyPage(41, {Rec("700"), Rec("699"), Rec("698")}, store.TopInserts());
  EXPECT_EQ(Id(40), "700");
  EXPECT_EQ(Id(42), "698");
  EXPECT_TRUE(grid.CellText(39, kColInfoId).empty());

  store.ApplyPage(250, {Rec("2"), Rec("1")}, store.TopInserts());  // only the last row fits
  EXPECT_EQ(Id(249), "2");
  EXPECT_EQ(grid.RowCount(), 250);

  // Two new messages arrive on top while a page is under way: its rows move
  // down with the rows they continue instead of overwriting them.
  const auto asked_at = store.TopInserts();
  store.ApplyNewRecords({Rec("1001"), Rec("1002")});
  store.ApplyPage(31, {Rec("970"), Rec("969")}, asked_at);
  EXPECT_EQ(Id(31), "971");  // the first page's last row, moved down by two
  EXPECT_EQ(Id(32), "970");
  EXPECT_EQ(Id(33), "969");
}

TEST_F(FeedStoreTest, MaskingRebuildsOnlyTheRowsOnScreen) {
  CountedPage page{100, {}};
  for (int i = 0; i < 100; ++i) page.records.push_back(Rec(std::to_string(1000 - i)));
  ASSERT_TRUE(store.ApplyStartPage(page));
  grid.SetScrollMark(11);  // first row in view: 10
  store.View().masked = true;
  store.RebuildRowsOnScreen();
  const std::string masked = "【济宁】有货10吨 Ψ双击查看电话§ δ3-7 9:05§";
  const std::string open = "【济宁】有货10吨 Ψ8888§ δ3-7 9:05§";
  EXPECT_EQ(RowText(9), open);
  EXPECT_EQ(RowText(10), masked);
  EXPECT_EQ(RowText(39), masked);
  EXPECT_EQ(RowText(40), open);  // far from the screen: keeps its telephone
}

}  // namespace
}  // namespace tv
