// A list that runs for days: rows far from the view give their texts back and
// are written again from the server's pages, the oldest rows leave at the
// bottom. What the list shows and counts must not depend on either.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "feed/feed_store.h"
#include "feed/list_noise.h"
#include "feed/paging_plan.h"
#include "feed/spilled_texts.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::U;

// The traffic: message i (1 oldest) from one of five members; every fourth
// message repeats one sent 3 to 90 messages before it, so that copies land
// on rows that kept their texts and on rows that gave them back.
InfoRecord Message(int i) {
  int text = i;
  if (i % 4 == 0 && i > 90) text = i - 3 - (i * 7) % 88;
  const int member = text % 5 + 1;
  return feed_test::Rec(std::to_string(i), "济宁", "济宁到北京，第" + std::to_string(text) + "车",
                        "8888", "2012-03-07 09:05:00", std::to_string(member));
}

// One list over its own grid, its rows put in as the polls bring them.
struct List {
  explicit List(const RowLimits& limits) : store(grid) {
    store.Member().user_id = 999;
    store.SetRowStyle(RowStyle{G("宋体"), 20, 0});
    store.SetLimits(limits);
    store.SetBlockedTest(
        [this](std::string_view member) { return blocked.count(std::string(member)) > 0; });
    grid.SetScrollMark(1);
  }
  // Messages first..last go on top, in polls of ten.
  void Poll(int first, int last) {
    std::vector<InfoRecord> batch;
    for (int i = first; i <= last; ++i) {
      batch.push_back(Message(i));
      if (batch.size() == 10 || i == last) {
        store.ApplyNewRecords(batch);
        batch.clear();
      }
    }
  }
  // What the member sees of a row: hidden or not, and its text.
  std::string Row(int row) const {
    return (grid.RowHidden(row) ? "hidden " : "") + U(grid.CellText(row, kColRowText));
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < grid.RowCount(); ++row) rows.push_back(Row(row));
    return rows;
  }
  std::vector<bool> Hidden() const {
    std::vector<bool> hidden;
    for (int row = 0; row < grid.RowCount(); ++row) hidden.push_back(grid.RowHidden(row));
    return hidden;
  }
  std::string Caption() const {
    return U(ListCountText(G("共 ") + std::to_string(store.TotalCount()) + G(" 条信息"),
                           store.Noise(), store.TotalCount()));
  }
  int EmptyRows() const {
    int empty = 0;
    for (int row = 0; row < grid.RowCount(); ++row) {
      empty += grid.CellText(row, kColRowText).empty() ? 1 : 0;
    }
    return empty;
  }
  // Scrolled to `mark`: the first empty row from the mark on is asked for,
  // as the paging does, and the page answered for a list of messages
  // 1..newest is written.
  void ScrollTo(int mark, int newest) {
    grid.SetScrollMark(mark);
    const MissingRowsPlan plan =
        PlanMissingRows(mark, [this](int row) { return !grid.CellText(row, kColRowText).empty(); });
    if (plan.fetch_start && *plan.fetch_start < newest) FillPage(*plan.fetch_start, newest);
  }
  void FillPage(int start_num, int newest) {
    std::vector<InfoRecord> page;
    for (int row = start_num - 1; row < start_num + 29 && row < newest; ++row) {
      page.push_back(Message(newest - row));
    }
    store.ApplyPage(start_num, page, store.TopInserts());
  }

  feed_test::TestGrid grid;
  FeedStore store;
  std::set<std::string> blocked;
};

RowLimits Small() {
  RowLimits limits;
  limits.keep_top = 20;
  limits.keep_around_view = 30;
  limits.spare = 25;
  return limits;
}

RowLimits Unbounded() {
  RowLimits limits;
  limits.spare = 0;
  return limits;
}

void Mark(List& list, IdListKind kind, const std::string& id) {
  list.store.ApplyIdList(kind, {IdPair{id, id}});
}

TEST(RowLimitsTest, RowsGiveTheirTextsBackAndAreWrittenAgainAsTheyWere) {
  // The same traffic, the same marks, blocks and filters on a list that
  // trims and on one that keeps everything.
  List trimmed(Small());
  List whole(Unbounded());
  const int newest = 600;
  for (List* list : {&trimmed, &whole}) {
    list->Poll(1, 300);
    Mark(*list, IdListKind::kDeleted, "120");
    Mark(*list, IdListKind::kClosed, "130");
    list->Poll(301, newest);
    // Blocked while the rows of member 2 have no texts.
    list->blocked.insert("2");
    list->store.BlockedChanged();
  }
  // Only the rows on top and around the view keep their texts.
  // (keep_top + the view and the rows either side + spare + one poll.)
  const int most_with_texts = 20 + 61 + 25 + 10;
  EXPECT_GE(trimmed.EmptyRows(), newest - most_with_texts);
  EXPECT_LE(trimmed.store.RowsWithTexts(), static_cast<std::size_t>(most_with_texts));
  EXPECT_EQ(trimmed.store.TotalCount(), whole.store.TotalCount());
  EXPECT_EQ(trimmed.Caption(), whole.Caption());
  EXPECT_NE(whole.Caption().find("合并"), std::string::npos);
  EXPECT_EQ(trimmed.Hidden(), whole.Hidden());

  // Scrolling down the whole list writes every row again from the pages.
  for (int mark = 1; mark <= newest; mark += 20) {
    trimmed.ScrollTo(mark, newest);
    for (int row = mark - 1; row <= mark + 20 && row < newest; ++row) {
      trimmed.store.RebuildRow(row);
      whole.store.RebuildRow(row);
      ASSERT_EQ(trimmed.Row(row), whole.Row(row)) << "row " << row;
    }
  }
  EXPECT_EQ(trimmed.Caption(), whole.Caption());
  EXPECT_EQ(trimmed.Hidden(), whole.Hidden());
}

TEST(RowLimitsTest, AFilterSetWhileRowsHaveNoTextsHidesWhatItHidesInTheWholeList) {
  List trimmed(Small());
  List whole(Unbounded());
  RowFilter filter;
  filter.must_have = {G("第1")};
  for (List* list : {&trimmed, &whole}) {
    list->Poll(1, 400);
    list->store.SetFilter(filter);
  }
  ASSERT_GT(trimmed.EmptyRows(), 200);
  EXPECT_EQ(trimmed.Hidden(), whole.Hidden());
  EXPECT_EQ(trimmed.Caption(), whole.Caption());
  for (int mark = 1; mark <= 400; mark += 20) trimmed.ScrollTo(mark, 400);
  EXPECT_EQ(trimmed.Hidden(), whole.Hidden());
  EXPECT_EQ(trimmed.Caption(), whole.Caption());
}

TEST(RowLimitsTest, TheOldestRowsLeaveAtTheBottomAndTheCopiesLeftAreCountedRight) {
  // A list capped at 100 rows shows what a list given only the newest 100
  // messages shows: repeat marks, folded rows and the caption.
  RowLimits capped = Unbounded();
  capped.max_rows = 100;
  List list(capped);
  list.Poll(1, 700);
  EXPECT_LE(list.grid.RowCount(), 101);

  List fresh(Unbounded());
  const int kept = list.grid.RowCount();
  fresh.Poll(700 - kept + 1, 700);
  ASSERT_EQ(list.grid.RowCount(), fresh.grid.RowCount());
  for (int row = 0; row < kept; ++row) EXPECT_EQ(list.Row(row), fresh.Row(row)) << row;
  EXPECT_EQ(list.Caption(), fresh.Caption());
  EXPECT_NE(list.Caption().find("合并"), std::string::npos);
  EXPECT_EQ(list.store.TotalCount(), kept);
  // The list goes on from its newest row.
  EXPECT_EQ(list.store.NewestId(), "700");
}

TEST(SpilledTextsTest, KeysMoveWhenTheOldestGoAndTheFileShrinksToWhatIsLive) {
  SpilledTexts spilled;
  constexpr std::uint32_t kKeys = 200'000;
  spilled.Reset(kKeys);
  const auto content = [](std::uint32_t key) {
    return "content " + std::to_string(key) + std::string(key % 120, 'x');
  };
  for (std::uint32_t key = 0; key < kKeys; ++key) {
    ASSERT_TRUE(spilled.Put(key, std::to_string(key % 7), "city", content(key)));
  }
  spilled.Forget(kKeys - 1);
  const std::size_t full = spilled.FileBytes();
  ASSERT_GT(full, 16U << 20);
  // Three quarters go at the bottom: the rest is written to a new file.
  spilled.DropOldest(kKeys / 4 * 3);
  EXPECT_LT(spilled.FileBytes(), full / 2);
  for (std::uint32_t key : {0U, 1U, 1234U, kKeys / 4 - 2}) {
    const auto texts = spilled.Get(key);
    ASSERT_TRUE(texts) << key;
    EXPECT_EQ(texts->member, std::to_string((key + kKeys / 4 * 3) % 7));
    EXPECT_EQ(texts->city, "city");
    EXPECT_EQ(texts->content, content(key + kKeys / 4 * 3));
  }
  EXPECT_FALSE(spilled.Has(kKeys / 4 - 1));  // forgotten before
  spilled.AddTopKey();
  EXPECT_FALSE(spilled.Has(kKeys / 4));
}

}  // namespace
}  // namespace tv
