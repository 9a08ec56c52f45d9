// When new search matches make a desktop notification, and what it says.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "notify/match_notice.h"

namespace tv {
namespace {

TEST(MatchNotice, OnlyForNewMatchesOfARunningSearchOutOfSight) {
  const std::string row = Utf8ToGbk("【北京】北京到济南 Ξ煤炭§20吨 Ψ13900000000§ δ09:05§");
  const MatchNoticeFacts due{false, true, true, 2, row};
  struct Case {
    const char* what;
    MatchNoticeFacts facts;
    bool notified;
  };
  const Case cases[] = {
      {"window out of sight, switched on, searching", due, true},
      {"the window in front shows the matches itself", {true, true, true, 2, row}, false},
      {"switched off", {false, false, true, 2, row}, false},
      {"no search shown", {false, true, false, 2, row}, false},
      {"an answer without new matches", {false, true, true, 0, row}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideMatchNotice(c.facts).has_value(), c.notified) << c.what;
  }
}

TEST(MatchNotice, CountsTheAnswerAndShowsTheNewestMatchWithoutMarkers) {
  struct Case {
    int inserted;
    const char* row_utf8;
    const char* summary_utf8;
    const char* body_utf8;
  };
  const Case cases[] = {
      {1, "【北京】北京到济南 Ξ煤炭§20吨 Ψ13900000000§ δ09:05§", "1 条新匹配信息",
       "【北京】北京到济南 煤炭20吨 13900000000 09:05"},
      {12, "【已成交】【天津】车源 Ψ双击查看电话§ δ10:00§", "12 条新匹配信息",
       "【已成交】【天津】车源 双击查看电话 10:00"},
      // A row deleted meanwhile shows as deleted.
      {3, "该条信息已被删除!", "3 条新匹配信息", "该条信息已被删除!"},
  };
  for (const Case& c : cases) {
    const std::string row = Utf8ToGbk(c.row_utf8);
    const auto notice = DecideMatchNotice({false, true, true, c.inserted, row});
    ASSERT_TRUE(notice.has_value()) << c.row_utf8;
    EXPECT_EQ(GbkToUtf8(notice->summary), c.summary_utf8);
    EXPECT_EQ(GbkToUtf8(notice->body), c.body_utf8);
  }
}

}  // namespace
}  // namespace tv
