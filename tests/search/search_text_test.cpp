// The panel's pure rules: request paths, title and count, the keyword
// highlight, whether the member's own message belongs to the search, and the
// keyword histories in the settings store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feed/row_text.h"
#include "search/keyword_history.h"
#include "search/search_text.h"
#include "search_test_util.h"

namespace tv {
namespace {

using search_test::G;
using search_test::TempStore;
using search_test::U;

TEST(SearchRequests, CodeAndKeywordsAreEncodedInEveryPath) {
  const std::string code = G("济宁"), words = G("北京,煤 炭");
  EXPECT_EQ(SearchFirstPagePath(code, words),
            "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&Code=%BC%C3%C4%FE"
            "&KeyWords=%B1%B1%BE%A9%2C%C3%BA+%CC%BF");
  EXPECT_EQ(SearchNewRecordsPath("900", code, ""),
            "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=900&Code=%BC%C3%C4%FE"
            "&KeyWords=");
  EXPECT_EQ(SearchPagePath("", 41, 250, "a&b"),
            "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&Code=&StartNum=41&TotalNum=250"
            "&KeyWords=a%26b");
}

TEST(SearchTitle, NamesTheRegionOrTheWholeCountryAndTheKeywords) {
  struct Case {
    const char* code;
    const char* keywords;
    const char* title;
  } cases[] = {
      {"济宁", "北京,济宁", "在[济宁]中搜索即时信息[北京,济宁]"},
      {"", "煤炭", "在[全国]中搜索即时信息[煤炭]"},
      {"", "", "在[全国]中搜索即时信息[]"},
      {"全国信息", "", "在[全国信息]中搜索即时信息[]"},
  };
  for (const auto& c : cases) EXPECT_EQ(U(SearchTitle(G(c.code), G(c.keywords))), c.title);
  EXPECT_EQ(U(MatchCountText(0)), "共 0 条匹配信息");
  EXPECT_EQ(U(MatchCountText(100001)), "共 100001 条匹配信息");
}

TEST(KeywordHighlight, WrapsEveryKeywordOfTheRowText) {
  const char* row = "【济宁】北京到济宁 Ψ8888§ δ3-7 9:05§";
  struct Case {
    const char* keywords;
    const char* expected;
  } cases[] = {
      {"北京,济宁", "【Ξ济宁§】Ξ北京§到Ξ济宁§ Ψ8888§ δ3-7 9:05§"},
      {"", "【济宁】北京到济宁 Ψ8888§ δ3-7 9:05§"},
      {",北京,", "【济宁】Ξ北京§到济宁 Ψ8888§ δ3-7 9:05§"},
      {"上海", "【济宁】北京到济宁 Ψ8888§ δ3-7 9:05§"},
      {"88", "【济宁】北京到济宁 ΨΞ88§Ξ88§§ δ3-7 9:05§"},
      // Nested keywords: one mark around the longer match.
      {"济,济宁", "【Ξ济宁§】北京到Ξ济宁§ Ψ8888§ δ3-7 9:05§"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U(HighlightKeywords(G(row), G(c.keywords))), c.expected) << c.keywords;
  }
  // 京 (BE A9) after 北 (B1 B1): the bytes B1 BE stand across the two and are
  // no keyword of this text.
  const std::string beijing = G("北京");
  EXPECT_EQ(HighlightKeywords(beijing, "\xB1\xBE"), beijing);
  EXPECT_EQ(SplitKeywords("a,,b,"), (std::vector<std::string_view>{"a", "", "b", ""}));
}

TEST(PublishedMessage, MatchesBySearchRegionAndAnyKeyword) {
  struct Case {
    const char* name;
    const char* code;
    const char* keywords;
    const char* msg_code;
    const char* start_city;
    bool matches;
  } cases[] = {
      {"own city in the code", "济宁,泰安", "", "泰安", "泰安", true},
      {"departure city in the code", "济宁", "", "泰安", "济宁", true},
      {"elsewhere", "济宁", "", "泰安", "泰安", false},
      {"keyword in the content", "济宁", "煤炭,钢材", "济宁", "济宁", true},
      // The contact line is not searched, as on the service.
      {"keyword only in the contact line", "济宁", "139", "济宁", "济宁", false},
      {"no keyword there", "济宁", "木材", "济宁", "济宁", false},
      {"empty pieces ask for nothing", "济宁", "木材,", "济宁", "济宁", false},
      {"only empty pieces", "济宁", ",", "济宁", "济宁", true},
      {"whole country", "全国信息", "", "泰安", "泰安", true},
      {"no region: anywhere", "", "钢材", "泰安", "泰安", true},
  };
  for (const auto& c : cases) {
    PublishedMessage m;
    m.code = G(c.msg_code);
    m.start_city = G(c.start_city);
    m.content = G("有钢材10吨");
    m.tel = "13900000000";
    EXPECT_EQ(PublishedMessageMatches(G(c.code), G(c.keywords), m), c.matches) << c.name;
  }
}

// The key's values in the store's order as "name=text" (UTF-8).
std::vector<std::string> Stored(SettingsStore& store, std::string_view key) {
  std::vector<std::string> out;
  for (const auto& v : store.Enumerate(key)) out.push_back(v.name + "=" + U(v.text));
  return out;
}

TEST(KeywordHistory, ValueNamesRunFrom100PastTenEntries) {
  struct Case {
    std::size_t index;
    const char* name;
  } cases[] = {{0, "100"},  {9, "109"},    {10, "110"},  {11, "111"},
               {99, "199"}, {100, "1100"}, {123, "1123"}};
  for (const auto& c : cases) EXPECT_EQ(HistoryValueName(c.index), c.name) << c.index;
}

TEST(KeywordHistory, RecordingRewritesTheKeyInOrder) {
  TempStore store;
  KeywordHistory history(*store, kWideSearchKey);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(history.Record(G("词") + std::to_string(i)));
  EXPECT_FALSE(history.Record(G("词3")));
  EXPECT_FALSE(history.Record(""));
  EXPECT_EQ(Stored(*store, kWideSearchKey),
            (std::vector<std::string>{"100=词0", "101=词1", "102=词2", "103=词3", "104=词4",
                                      "105=词5", "106=词6", "107=词7", "108=词8", "109=词9",
                                      "110=词10", "111=词11"}));

  const auto items = history.BoxItems();
  ASSERT_EQ(items.size(), 13u);
  EXPECT_EQ(U(items.front()), "词11");
  EXPECT_EQ(U(items.back()), "清除历史记录...");
}

TEST(KeywordHistory, LoadingSkipsFailuresAndRepeatsAndARecordRenamesTheValues) {
  TempStore store;
  ASSERT_TRUE(store->CreateKey(kLocalSearchKey));
  store->Write(kLocalSearchKey, "zz", G("煤炭"));
  store->Write(kLocalSearchKey, "100", "Error");
  store->Write(kLocalSearchKey, "aa", G("煤炭"));
  store->Write(kLocalSearchKey, "105", G("钢材"));
  KeywordHistory history(*store, kLocalSearchKey);
  history.Load();
  EXPECT_EQ(U(history.Entries()), (std::vector<std::string>{"煤炭", "钢材"}));

  EXPECT_TRUE(history.Record(G("木材")));
  EXPECT_EQ(Stored(*store, kLocalSearchKey),
            (std::vector<std::string>{"100=煤炭", "101=钢材", "102=木材"}));
}

}  // namespace
}  // namespace tv
