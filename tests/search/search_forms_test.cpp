// The two search forms' models: what the member's picks and typed keywords
// turn into, which notices refuse a command, and the captions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/comprehensive_search_model.h"
#include "search/local_search_model.h"
#include "search_test_util.h"

namespace tv {
namespace {

using search_test::G;
using search_test::TempStore;
using search_test::U;

int IndexOf(const PickerList& list, std::string_view utf8) {
  const std::string gbk = G(utf8);
  for (int i = 0; i < list.Size(); ++i) {
    if (list.Items()[static_cast<std::size_t>(i)] == gbk) return i;
  }
  ADD_FAILURE() << "no " << utf8;
  return -1;
}

TEST(SearchKeywords, ProvinceAndRegionLoseTheirSuffixFromItsFirstCharacterOn) {
  struct Case {
    const char* name;
    const char* province;
    const char* region;
  } cases[] = {
      {"山东省", "山东", "山东省"},
      {"北京市", "北京市", "北京"},
      {"黑龙江", "黑龙江", "黑龙江"},
      {"香港特区", "香港特区", "香港特区"},
      {"石家庄市辖区", "石家庄市辖区", "石家庄"},
      {"省", "", "省"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U(ProvinceKeyword(G(c.name))), c.province) << c.name;
    EXPECT_EQ(U(RegionKeyword(G(c.name))), c.region) << c.name;
  }
  // 笔 (B1 CA) then "·" (A1 A4): the bytes CA A1 of 省 stand across the two
  // characters, and cutting there would split 笔.
  const std::string straddling = "\xB1\xCA\xA1\xA4";
  EXPECT_EQ(ProvinceKeyword(straddling), straddling);
}

TEST(LocalSearchForm, DoubleClicksCollectProvinceRegionAndCounty) {
  TempStore store;
  LocalSearchModel form(*store, G("泰安"), G("济南"));
  const auto& picker = form.Picker();
  EXPECT_EQ(picker.ProvinceList().Size(), 34);
  EXPECT_EQ(picker.ProvinceList().Selected(), -1);

  const int shandong = IndexOf(picker.ProvinceList(), "山东省");
  form.SelectProvince(shandong);
  form.AddProvinceAt(shandong);
  EXPECT_EQ(picker.CountyList().Size(), 0);
  const int jining = IndexOf(picker.PrefectureList(), "济宁");
  form.SelectRegion(jining);
  form.AddRegionAt(jining);
  EXPECT_EQ(picker.CountyList().Size(), 12);  // the counties of 济宁
  const int jiaxiang = IndexOf(picker.CountyList(), "嘉祥");
  form.SelectCounty(jiaxiang);
  form.AddCountyAt(jiaxiang);
  form.AddCountyAt(jiaxiang);  // a second time: still one entry

  EXPECT_EQ(U(form.Keywords().Items()), (std::vector<std::string>{"山东", "济宁", "嘉祥"}));
  const SearchTerms terms = form.Terms();
  EXPECT_EQ(U(terms.keywords), "山东,济宁,嘉祥");
  EXPECT_EQ(U(terms.code), "泰安");

  // A new province empties the county list but keeps the last pick.
  form.SelectProvince(IndexOf(picker.ProvinceList(), "河北省"));
  EXPECT_EQ(picker.CountyList().Size(), 0);
  EXPECT_EQ(U(form.LastPicked()), "嘉祥");
}

TEST(LocalSearchForm, ButtonsRefuseWithTheirNoticesUntilThereIsSomethingToAdd) {
  TempStore store;
  LocalSearchModel form(*store, G("泰安"), G("济南"));
  EXPECT_EQ(U(form.AddLastPicked()), "      请选择您要添加的城市     ");
  EXPECT_EQ(U(form.AddAllRegions()), "      请选择一个省/直辖市     ");
  EXPECT_EQ(U(form.AddAllCounties()), "      请选择一个地级市     ");
  EXPECT_EQ(U(form.AddTypedKeyword("")), "      请填写您要添加的附加关键字     ");
  EXPECT_TRUE(form.Keywords().Items().empty());

  form.SelectProvince(IndexOf(form.Picker().ProvinceList(), "山东省"));
  EXPECT_EQ(form.AddAllRegions(), "");
  EXPECT_EQ(form.Keywords().Items().size(), 17u);
  // A region picked from the list is added whole by "添加".
  form.ClearKeywords();
  form.SelectRegion(IndexOf(form.Picker().PrefectureList(), "济宁"));
  EXPECT_EQ(form.AddLastPicked(), "");
  EXPECT_EQ(form.AddAllCounties(), "");
  ASSERT_EQ(form.Keywords().Items().size(), 13u);
  EXPECT_EQ(U(form.Keywords().Items()[0]), "济宁");

  form.RemoveKeywordAt(0);
  form.RemoveKeywordAt(99);  // nothing selected: nothing happens
  EXPECT_EQ(form.Keywords().Items().size(), 12u);
  // A region without counties leaves "全部县" nothing to add.
  form.SelectProvince(IndexOf(form.Picker().ProvinceList(), "海南省"));
  form.SelectRegion(IndexOf(form.Picker().PrefectureList(), "海口"));
  EXPECT_EQ(U(form.AddAllCounties()), "      请选择一个地级市     ");
}

TEST(LocalSearchForm, CaptionAndCodeFollowTheWatchedAreas) {
  struct Case {
    const char* area;
    const char* caption;
    const char* code;
  } cases[] = {
      {"泰安", "搜索即时信息：从［泰安］出发", "泰安"},
      {"济宁,泰安,临沂", "搜索即时信息：从［济南］出发", "济南"},  // the member's city
      {"全国信息", "搜索即时信息：从［全国信息］出发", "全国信息"},
  };
  for (const auto& c : cases) {
    TempStore store;
    LocalSearchModel form(*store, G(c.area), G("济南"));
    EXPECT_EQ(U(form.Caption()), c.caption);
    EXPECT_EQ(U(form.Terms().code), c.code);
    EXPECT_EQ(form.Terms().keywords, "");  // an empty list searches with no keywords
  }
}

TEST(LocalSearchForm, TypedKeywordsAreListedAndRememberedOnce) {
  TempStore store;
  {
    LocalSearchModel form(*store, G("泰安"), G("济南"));
    EXPECT_EQ(form.AddTypedKeyword(G("煤炭")), "");
    EXPECT_EQ(form.AddTypedKeyword(G("钢材")), "");
    EXPECT_EQ(form.AddTypedKeyword(G("煤炭")), "");  // already listed
    EXPECT_EQ(U(form.Terms().keywords), "煤炭,钢材");
  }
  LocalSearchModel again(*store, G("泰安"), G("济南"));
  EXPECT_EQ(U(again.History().BoxItems()),
            (std::vector<std::string>{"钢材", "煤炭", "清除历史记录..."}));
  // Remembered but not listed in this form: listed again, not stored twice.
  EXPECT_EQ(again.AddTypedKeyword(G("煤炭")), "");
  EXPECT_EQ(store->Enumerate(kLocalSearchKey).size(), 2u);
  again.ClearHistory();
  EXPECT_FALSE(store->KeyExists(kLocalSearchKey));
  EXPECT_EQ(U(again.History().BoxItems()), (std::vector<std::string>{"清除历史记录..."}));
  // The other form's history is another key.
  EXPECT_TRUE(store->Enumerate(kWideSearchKey).empty());
}

TEST(ComprehensiveSearchTerms, EachGroupBuildsCodeAndKeywords) {
  enum Kind { kOut, kIn, kCity };
  struct Case {
    const char* name;
    Kind kind;
    const char* city;
    const char* keyword;
    const char* area;
    int direction;
    const char* code;
    const char* keywords;
  } cases[] = {
      {"to a city with a keyword", kOut, "济宁", "煤炭", "泰安", 0, "泰安", "济宁,煤炭"},
      {"to a city", kOut, "济宁", "", "泰安", 0, "泰安", "济宁"},
      {"a keyword only", kOut, "", "煤炭", "泰安", 0, "泰安", "煤炭"},
      {"nothing, whole country", kOut, "", "", "全国信息", 0, "全国信息", ""},
      {"several areas", kOut, "济宁", "", "泰安,临沂", 0, "泰安,临沂", "济宁"},
      {"from a city with a keyword", kIn, "北京", "煤炭", "泰安", 0, "北京", "泰安,煤炭"},
      {"from a city", kIn, "北京", "", "泰安", 1, "北京", "泰安"},
      {"from a city to the whole country", kIn, "北京", "", "全国信息", 8, "北京", ""},
      {"one member's messages", kIn, "北京", "煤炭", "泰安", 2, "北京", "济南,煤炭"},
      {"direction 3", kIn, "", "", "泰安", 3, "", "济南"},
      {"keyword in a city", kCity, "济宁", "煤炭", "泰安", 0, "济宁", "煤炭"},
      {"keyword anywhere", kCity, "", "煤炭", "泰安", 0, "", "煤炭"},
  };
  for (const auto& c : cases) {
    const std::string city = G(c.city), keyword = G(c.keyword), area = G(c.area);
    SearchTerms t;
    switch (c.kind) {
      case kOut:
        t = OutboundTerms(city, keyword, area);
        break;
      case kIn:
        t = InboundTerms(city, keyword, area, G("济南"), c.direction);
        break;
      case kCity:
        t = CityKeywordTerms(city, keyword);
        break;
    }
    EXPECT_EQ(U(t.code), c.code) << c.name;
    EXPECT_EQ(U(t.keywords), c.keywords) << c.name;
  }
}

TEST(ComprehensiveSearchForm, CitiesComeFromTheChosenProvinceOfEachGroup) {
  TempStore store;
  ComprehensiveSearchModel form(*store, G("泰安"), G("济南"), 0);
  using M = ComprehensiveSearchModel;
  for (int g = 0; g < M::kGroups; ++g) {
    const auto& picker = form.Picker(static_cast<M::Group>(g));
    EXPECT_EQ(U(picker.ProvinceText()), "北京市");
    EXPECT_EQ(picker.PrefectureList().Size(), 0);  // until a province is chosen
  }
  // Choosing the province already shown fills its cities too.
  form.PickProvince(M::kCityKeyword, 0);
  EXPECT_EQ(U(form.Picker(M::kCityKeyword).PrefectureText()), "北京");

  const int shandong = IndexOf(form.Picker(M::kOutbound).ProvinceList(), "山东省");
  form.PickProvince(M::kOutbound, shandong);
  EXPECT_EQ(U(form.Picker(M::kOutbound).PrefectureText()), "济南");
  EXPECT_EQ(form.Picker(M::kOutbound).PrefectureList().Size(), 17);
  form.PickCity(M::kOutbound, IndexOf(form.Picker(M::kOutbound).PrefectureList(), "济宁"));
  // The prefecture directory lists 塔城 under 新疆.
  form.PickProvince(M::kInbound, IndexOf(form.Picker(M::kInbound).ProvinceList(), "新疆"));
  EXPECT_EQ(U(form.Picker(M::kInbound).PrefectureList().Items().back()), "阿勒泰");

  EXPECT_EQ(form.Search(M::kOutbound, G("煤炭")), (SearchTerms{G("泰安"), G("济宁,煤炭")}));
  EXPECT_EQ(form.Search(M::kInbound, ""), (SearchTerms{G("乌鲁木齐"), G("泰安")}));
  EXPECT_EQ(form.Search(M::kCityKeyword, G("钢材")), (SearchTerms{G("北京"), G("钢材")}));
}

TEST(ComprehensiveSearchForm, CaptionsNameTheOwnCityWhenSeveralAreasAreWatched) {
  struct Case {
    const char* area;
    const char* outbound;
    const char* origin;
    const char* inbound;
    const char* destination;
  } cases[] = {
      {"泰安", "搜索从［泰安］出发到其它城市的信息", "泰安　→", "搜索从其它城市到达［泰安］的信息",
       "→ 泰安"},
      {"济宁,泰安", "搜索从［济南］出发到其它城市的信息", "济南　→",
       "搜索从其它城市到达［济南］的信息", "→ 济南"},
  };
  for (const auto& c : cases) {
    TempStore store;
    ComprehensiveSearchModel form(*store, G(c.area), G("济南"), 0);
    EXPECT_EQ(U(form.Captions().outbound_group), c.outbound);
    EXPECT_EQ(U(form.Captions().outbound_origin), c.origin);
    EXPECT_EQ(U(form.Captions().inbound_group), c.inbound);
    EXPECT_EQ(U(form.Captions().inbound_destination), c.destination);
  }
}

TEST(ComprehensiveSearchForm, SearchesRecordTheirKeywordInOneSharedHistory) {
  TempStore store;
  using M = ComprehensiveSearchModel;
  {
    M form(*store, G("泰安"), G("济南"), 0);
    form.Search(M::kOutbound, G("煤炭"));
    form.Search(M::kInbound, G("钢材"));
    form.Search(M::kCityKeyword, G("煤炭"));  // known: nothing new
    form.Search(M::kCityKeyword, "");
  }
  M again(*store, G("泰安"), G("济南"), 0);
  EXPECT_EQ(U(again.History().Entries()), (std::vector<std::string>{"煤炭", "钢材"}));
  again.ClearHistory();
  M cleared(*store, G("泰安"), G("济南"), 0);
  EXPECT_TRUE(cleared.History().Entries().empty());
  EXPECT_TRUE(store->Enumerate(kLocalSearchKey).empty());
}

}  // namespace
}  // namespace tv
