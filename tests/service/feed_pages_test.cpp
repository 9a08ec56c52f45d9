// The list pages: first pages, page arithmetic, new records, the views, and
// the deletion and closure logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "net/answers.h"
#include "net/totals_answer.h"
#include "service_client.h"
#include "text_match.h"

namespace tv::test {
namespace {

std::vector<std::int64_t> Ids(const std::vector<InfoRecord>& records) {
  std::vector<std::int64_t> ids;
  for (const auto& r : records) ids.push_back(std::stoll(r.InfoID));
  return ids;
}

bool StrictlyDecreasing(const std::vector<std::int64_t>& ids) {
  return std::adjacent_find(ids.begin(), ids.end(), std::less_equal<>()) == ids.end();
}

// A read-only demo service shared by the read tests of this file.
class serviceFeedPages : public SharedServiceTest {
 protected:
  static void SetUpTestSuite() { StartShared({"--demo", "--demo-count", "400"}); }
  static void TearDownTestSuite() { StopShared(); }

  // The whole list of a view, page by page, as a scrolling client reads it.
  std::vector<InfoRecord> WholeList(const std::string& page, const std::string& params) {
    const CountedPage first = ParseCountedPage(client().Get(page + "?action=GetTopDatas" + params));
    std::vector<InfoRecord> all = first.records;
    for (std::int64_t start = static_cast<std::int64_t>(all.size()) + 1; start <= first.total;) {
      auto more =
          ParseRecords(client().Get(page + "?action=GetCurDatas&StartNum=" + std::to_string(start) +
                                    "&TotalNum=" + std::to_string(first.total) + params));
      if (more.empty()) break;
      start += static_cast<std::int64_t>(more.size());
      all.insert(all.end(), more.begin(), more.end());
    }
    EXPECT_EQ(static_cast<std::int64_t>(all.size()), first.total) << page << params;
    return all;
  }
};

TEST_F(serviceFeedPages, FirstPageCarriesTotalAndThirtyNewestRecords) {
  const std::string body = client().Get("GetSearchInfo.asp?action=GetTopDatas&inType=8");
  ASSERT_TRUE(HasItems(body)) << body;
  const CountedPage page = ParseCountedPage(body);
  EXPECT_GT(page.total, 300);
  ASSERT_EQ(page.records.size(), 30u);
  EXPECT_TRUE(StrictlyDecreasing(Ids(page.records)));
  const std::regex time_form(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})");
  for (const auto& r : page.records) {
    EXPECT_TRUE(std::regex_match(r.Time, time_form)) << r.Time;
    EXPECT_TRUE(r.Deal == "0" || r.Deal == "1") << r.Deal;
  }
  // The totals page counts the same whole country.
  auto totals = ParseTotalsAnswer(client().Get("GetTNums.asp?action=getnum"));
  ASSERT_TRUE(totals.has_value());
  EXPECT_EQ(totals->national, page.total);
  EXPECT_LE(totals->second + totals->third, totals->national);
}

TEST_F(serviceFeedPages, CurDatasContinuesTheListAtStartNumMinusOne) {
  const std::string params = "&inType=8";
  const auto all = WholeList("GetSearchInfo.asp", params);
  ASSERT_GT(all.size(), 100u);
  const auto ids = Ids(all);
  EXPECT_TRUE(StrictlyDecreasing(ids));
  const std::int64_t n = static_cast<std::int64_t>(all.size());
  struct Case {
    std::int64_t start;
    std::size_t expected;  // records in the answer
  };
  for (const Case c : {Case{1, 30}, Case{2, 30}, Case{41, 30}, Case{n - 5, 6}, Case{n, 1},
                       Case{n + 1, 0}, Case{n + 500, 0}}) {
    SCOPED_TRACE(c.start);
    const auto page = ParseRecords(
        client().Get("GetSearchInfo.asp?action=GetCurDatas&StartNum=" + std::to_string(c.start) +
                     "&TotalNum=" + std::to_string(n)));
    ASSERT_EQ(page.size(), c.expected);
    for (std::size_t k = 0; k < page.size(); ++k) {
      EXPECT_EQ(page[k], all[static_cast<std::size_t>(c.start - 1) + k]);
    }
  }
}

TEST_F(serviceFeedPages, ViewsListWhatTheyPromise) {
  const std::string zz = Utf8ToGbk("郑州");
  // Departing: published in the city, or leaving from it (named in the content).
  for (const auto& r : WholeList("GetInfo.asp", "&Code=" + Q("郑州") + "&inType=8")) {
    EXPECT_TRUE(r.City == zz || ContainsGbk(r.Content, zz)) << U(r.City) << U(r.Content);
  }
  // Cargo and trucks only.
  for (const char* type : {"0", "1"}) {
    const auto list = WholeList("GetInfo.asp", "&Code=" + Q("郑州") + "&inType=" + type);
    EXPECT_FALSE(list.empty());
    for (const auto& r : list) EXPECT_EQ(r.Type, type);
  }
  // Arriving: the content names the city.
  const std::string gz = Utf8ToGbk("广州");
  for (const auto& r : WholeList("GetSearchInfo.asp", "&KeyWords=" + Q("广州") + "&inType=8")) {
    EXPECT_TRUE(ContainsGbk(r.Content, gz)) << U(r.Content);
  }
  // A province stands for its cities; two cities for both.
  const auto henan = WholeList("GetInfo.asp", "&Code=" + Q("河南省") + "&inType=8");
  const auto zhengzhou = WholeList("GetInfo.asp", "&Code=" + Q("郑州") + "&inType=8");
  EXPECT_GT(henan.size(), zhengzhou.size());
  const auto two = WholeList("GetInfo.asp", "&Code=" + Q("郑州,广州") + "&inType=8");
  EXPECT_GT(two.size(), zhengzhou.size());
  // One member's messages.
  const auto own = WholeList("GetInfoByID.asp", "&Msg_Flag=10001");
  EXPECT_FALSE(own.empty());
  for (const auto& r : own) EXPECT_EQ(r.Flag, "10001");
}

// The search panel's list is the main list of the same regions narrowed to
// the messages whose content names a keyword. The contact line is not
// searched: it holds the publisher's company, and with it the city the
// publisher sits in ("郑州…物流有限公司" for a load from 武汉).
TEST_F(serviceFeedPages, SearchPanelMatchesRegionAndKeywords) {
  struct Case {
    const char* code;
    const char* words;
  };
  std::size_t matches = 0;
  for (const Case c : {Case{"武汉", "郑州"}, Case{"郑州", "求货,139"}, Case{"河南省", "物流,钢材"},
                       Case{"", "物流"}}) {
    SCOPED_TRACE(std::string(c.code) + " " + c.words);
    const auto found =
        WholeList("GetSearchInfo.asp", "&Code=" + Q(c.code) + "&KeyWords=" + Q(c.words));
    std::vector<InfoRecord> named;
    for (const auto& r : WholeList("GetInfo.asp", "&Code=" + Q(c.code))) {
      if (ContainsAnyGbk(r.Content, Utf8ToGbk(c.words))) named.push_back(r);
    }
    EXPECT_EQ(Ids(found), Ids(named));
    matches += found.size();
  }
  EXPECT_GT(matches, 0u);
  // No region (or the national word) searches the whole country.
  const auto national = WholeList("GetSearchInfo.asp", "&Code=&KeyWords=" + Q("钢材"));
  EXPECT_GT(national.size(), 0u);
  EXPECT_EQ(Ids(national), Ids(WholeList("GetSearchInfo.asp",
                                         "&Code=" + Q("全国信息") + "&KeyWords=" + Q("钢材"))));
  // No keywords: everything published in the region.
  EXPECT_EQ(Ids(WholeList("GetSearchInfo.asp", "&Code=" + Q("郑州") + "&KeyWords=")),
            Ids(WholeList("GetInfo.asp", "&Code=" + Q("郑州"))));
}

TEST_F(serviceFeedPages, LogsListDeletionsAndClosuresNewestFirst) {
  const auto national = WholeList("GetSearchInfo.asp", "");
  std::set<std::string> listed;
  for (const auto& r : national) listed.insert(r.InfoID);
  struct Case {
    const char* page;
    const char* list_action;
    bool deleted;
  };
  for (const Case c : {Case{"GetDelInfo.asp", "GetNewDelInfoID", true},
                       Case{"GetSuccessInfo.asp", "GetNewSuccessInfoID", false}}) {
    SCOPED_TRACE(c.page);
    const std::string max_id = client().Get(std::string(c.page) + "?action=GetMaxID");
    ASSERT_GT(std::stoll(max_id), 0);
    const auto pairs =
        ParseIdList(client().Get(std::string(c.page) + "?action=" + c.list_action + "&maxid=0"));
    ASSERT_FALSE(pairs.empty());
    EXPECT_EQ(pairs.front().LogId, max_id);
    for (std::size_t i = 1; i < pairs.size(); ++i) {
      EXPECT_GT(std::stoll(pairs[i - 1].LogId), std::stoll(pairs[i].LogId));
    }
    for (const auto& p : pairs) {
      if (c.deleted) {
        EXPECT_FALSE(listed.count(p.InfoId)) << "deleted message still listed: " << p.InfoId;
      } else if (listed.count(p.InfoId)) {
        const auto it = std::find_if(national.begin(), national.end(),
                                     [&](const InfoRecord& r) { return r.InfoID == p.InfoId; });
        EXPECT_EQ(it->Deal, "1");
      }
    }
    // Nothing after the newest, and only the newer ones after an older mark.
    EXPECT_EQ(client().Get(std::string(c.page) + "?action=" + c.list_action + "&maxid=" + max_id),
              "@@");
    if (pairs.size() > 2) {
      const auto tail = ParseIdList(client().Get(std::string(c.page) + "?action=" + c.list_action +
                                                 "&maxid=" + pairs[2].LogId));
      EXPECT_EQ(tail, std::vector<IdPair>(pairs.begin(), pairs.begin() + 2));
    }
  }
}

TEST(serviceLiveTraffic, SimulationPublishesAndMarksMessages) {
  LocalService service({"--demo", "--demo-count", "100", "--simulate", "0.02"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const CountedPage first = ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas"));
  ASSERT_FALSE(first.records.empty());
  const std::string newest = first.records.front().InfoID;
  const std::int64_t deleted_mark = std::stoll(client.Get("GetDelInfo.asp?action=GetMaxID"));
  const std::int64_t closed_mark = std::stoll(client.Get("GetSuccessInfo.asp?action=GetMaxID"));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::vector<InfoRecord> fresh;
  bool marked = false;
  while (std::chrono::steady_clock::now() < deadline && (fresh.empty() || !marked)) {
    fresh = ParseRecords(client.Get("GetSearchInfo.asp?action=GetNewDatas&maxid=" + newest));
    marked = std::stoll(client.Get("GetDelInfo.asp?action=GetMaxID")) > deleted_mark ||
             std::stoll(client.Get("GetSuccessInfo.asp?action=GetMaxID")) > closed_mark;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_FALSE(fresh.empty());
  EXPECT_TRUE(marked);
  // New records come oldest first, all newer than the mark.
  auto ids = Ids(fresh);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_GT(ids.front(), std::stoll(newest));
}

}  // namespace
}  // namespace tv::test
