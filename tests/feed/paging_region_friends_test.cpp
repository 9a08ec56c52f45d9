#include <gtest/gtest.h>

#include <set>

#include "detail/friends_table.h"
#include "feed/paging_plan.h"
#include "feed/region_list.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::U;

TEST(PlanMissingRows, FetchesFromTheFirstEmptyRowAndRebuildsTheFilledOnes) {
  struct Case {
    const char* name;
    int mark;
    std::set<int> filled;
    std::vector<int> rebuild;
    std::optional<int> fetch;
  } cases[] = {
      {"mark's own row empty", 41, {}, {}, 41},
      {"rows 10-14 filled, 15 empty", 10, {10, 11, 12, 13, 14}, {11, 12, 13, 14}, 15},
      {"all filled",
       3,
       {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23},
       {4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23},
       std::nullopt},
      {"before any scroll", 0, {}, {}, 0},
  };
  for (const auto& c : cases) {
    const auto plan = PlanMissingRows(c.mark, [&](int row) { return c.filled.count(row) > 0; });
    EXPECT_EQ(plan.rebuild, c.rebuild) << c.name;
    EXPECT_EQ(plan.fetch_start, c.fetch) << c.name;
  }
  EXPECT_EQ(PageRowFor(41, 0), 40);
  EXPECT_EQ(PageRowFor(15, 2), 16);
}

TEST(CappedTotal, ABogusTotalCannotSizeTheGrid) {
  EXPECT_EQ(CappedTotal(250), 250);
  EXPECT_EQ(CappedTotal(0), 0);
  EXPECT_EQ(CappedTotal(-5), 0);
  EXPECT_EQ(CappedTotal(1'000'000), 1'000'000);
  EXPECT_EQ(CappedTotal(2'147'483'647), 1'000'000);
}

TEST(RegionList, CodeAndCaption) {
  const AreaCodeLookup codes = [](std::string_view name) -> std::string {
    return name == G("大连") ? "0411" : "";
  };
  struct Case {
    std::vector<const char*> regions;
    const char* code;
    const char* caption;
  } cases[] = {
      {{}, "", "◆ 全国信息"},
      {{"大连"}, "大连", "◆ 大连(0411)"},
      {{"济宁"}, "济宁", "◆ 济宁"},
      {{"济宁", "大连"}, "济宁,大连", "◆ 济宁·大连"},
      {{"济宁", "全国信息"}, "全国信息", "◆ 济宁·全国信息"},
      {{"全国货源"}, "全国货源", "◆ 全国货源"},
  };
  for (const auto& c : cases) {
    RegionList list;
    for (const char* r : c.regions) list.push_back(G(r));
    EXPECT_EQ(U(RegionCode(list)), c.code);
    EXPECT_EQ(U(RegionCaption(list, codes)), c.caption);
  }
}

TEST(MultiArea, JoinSplitAndTheFiveCityForm) {
  EXPECT_EQ(SplitMultiArea(G("济南+大连+北京")), (RegionList{G("济南"), G("大连"), G("北京")}));
  EXPECT_EQ(SplitMultiArea("A++B+"), (RegionList{"A", "B"}));
  EXPECT_TRUE(SplitMultiArea("").empty());
  EXPECT_EQ(JoinMultiArea({"A", "B"}), "A+B");

  CustomCityList list;
  using R = CustomCityList::AddResult;
  EXPECT_EQ(list.Add(""), R::kNoCity);
  for (const char* c : {"A", "B", "C", "D", "E"}) EXPECT_EQ(list.Add(c), R::kAdded);
  EXPECT_EQ(list.Add("C"), R::kAlreadyThere);
  EXPECT_EQ(list.Add("F"), R::kFull);
  EXPECT_EQ(list.Cities().size(), 5u);
  EXPECT_FALSE(list.RemoveAt(5));
  EXPECT_TRUE(list.RemoveAt(0));
  EXPECT_EQ(list.Add("F"), R::kAdded);
  EXPECT_EQ(JoinMultiArea(list.Cities()), "B+C+D+E+F");
}

TEST(ParseFriends, RecordsBetweenSeparatorsWithFiveFields) {
  const std::string body = "junk@@11||" + G("甲公司") + "||123||456||7701@@12||" + G("乙") +
                           "||||||7702||x@@bad||only@@||n||q||p||u@@13||" + G("丙") + "||1||2||3";
  const auto rows = ParseFriends(body);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (FriendRow{"11", G("甲公司"), "123", "456", "7701"}));
  EXPECT_EQ(rows[1], (FriendRow{"12", G("乙"), "", "", "7702||x"}));
  EXPECT_TRUE(ParseFriends("Error").empty());
  EXPECT_TRUE(ParseFriends("@@").empty());

  FriendsTable table;
  table.Assign(rows);
  ASSERT_NE(table.FindByName(G("乙")), nullptr);
  EXPECT_EQ(table.FindByName(G("乙"))->user_id, "7702||x");
  EXPECT_TRUE(table.RemoveEntry("12"));
  EXPECT_EQ(table.FindByName(G("乙")), nullptr);
  EXPECT_FALSE(table.RemoveEntry("12"));
}

}  // namespace
}  // namespace tv
