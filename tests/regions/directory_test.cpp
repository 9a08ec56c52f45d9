// The directory tables: what every picker, the region tree and stored settings rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "regions/region_directory.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

std::vector<std::string> G(std::initializer_list<std::string_view> utf8) {
  std::vector<std::string> out;
  for (std::string_view s : utf8) out.push_back(G(s));
  return out;
}

int PositionOf(ProvinceOrder order, const std::string& name) {
  std::span<const std::string_view> list = Provinces(order);
  auto it = std::find(list.begin(), list.end(), name);
  return it == list.end() ? 0 : static_cast<int>(it - list.begin()) + 1;
}

struct ProvinceCase {
  int publish;
  int browse;
  const char* name;
  std::size_t county_dir_prefectures;
  std::size_t counties;
  std::size_t prefecture_dir_prefectures;
  const char* first_child;
};

// Each province's place in both orders, its row counts in both directories and the
// prefecture a picker selects first.
const ProvinceCase kProvinces[] = {
    {1, 1, "北京市", 1, 19, 1, "北京"},        {2, 2, "天津市", 1, 16, 1, "天津"},
    {3, 3, "上海市", 1, 20, 1, "上海"},        {4, 4, "重庆市", 1, 38, 1, "重庆"},
    {5, 5, "河北省", 11, 176, 11, "石家庄"},   {6, 6, "山东省", 17, 139, 17, "济南"},
    {7, 7, "黑龙江", 13, 140, 13, "哈尔滨"},   {8, 8, "河南省", 18, 167, 18, "郑州"},
    {9, 9, "江苏省", 13, 116, 13, "南京"},     {10, 10, "广东省", 21, 142, 21, "广州"},
    {11, 11, "浙江省", 11, 96, 11, "杭州"},    {12, 12, "福建省", 9, 93, 9, "福州"},
    {13, 13, "湖南省", 14, 129, 14, "长沙"},   {14, 14, "湖北省", 18, 112, 18, "武汉"},
    {15, 15, "辽宁省", 14, 107, 14, "沈阳"},   {16, 16, "吉林省", 9, 66, 9, "长春"},
    {17, 17, "云南省", 16, 134, 16, "昆明"},   {18, 18, "四川省", 21, 197, 21, "成都"},
    {19, 19, "安徽省", 17, 111, 17, "合肥"},   {20, 20, "江西省", 11, 108, 11, "南昌"},
    {21, 21, "陕西省", 10, 113, 10, "西安"},   {22, 23, "山西省", 11, 119, 11, "太原"},
    {23, 31, "甘肃省", 14, 92, 14, "兰州"},    {24, 24, "内蒙古", 12, 108, 12, "呼和浩特"},
    {25, 25, "广西", 14, 125, 14, "南宁"},     {26, 26, "贵州省", 9, 88, 9, "贵阳"},
    {27, 27, "宁夏", 5, 28, 4, "银川"},        {28, 28, "青海省", 8, 46, 8, "西宁"},
    {29, 29, "新疆", 16, 99, 18, "乌鲁木齐"},  {30, 30, "西藏", 7, 74, 7, "拉萨"},
    {31, 22, "海南省", 19, 0, 18, "海口"},     {32, 32, "香港特区", 3, 18, 3, "香港岛"},
    {33, 33, "澳门特区", 3, 7, 3, "澳门半岛"}, {34, 34, "台湾省", 9, 0, 9, "台北"},
};

TEST(RegionDirectory, EveryProvinceHasItsPlacesCountsAndFirstChild) {
  ASSERT_EQ(Provinces(ProvinceOrder::kPublish).size(), kProvinceCount);
  ASSERT_EQ(Provinces(ProvinceOrder::kBrowse).size(), kProvinceCount);
  for (const ProvinceCase& c : kProvinces) {
    SCOPED_TRACE(c.name);
    const std::string name = G(c.name);
    EXPECT_EQ(PositionOf(ProvinceOrder::kPublish, name), c.publish);
    EXPECT_EQ(PositionOf(ProvinceOrder::kBrowse, name), c.browse);

    const auto prefectures = ListChildren(RegionTable::kCountyDirectory, name);
    EXPECT_EQ(prefectures.size(), c.county_dir_prefectures);
    std::size_t counties = 0;
    for (const std::string& prefecture : prefectures) {
      counties += ListChildren(RegionTable::kCountyDirectory, prefecture).size();
    }
    EXPECT_EQ(counties, c.counties);

    const auto tree = ListChildren(RegionTable::kPrefectureDirectory, name);
    EXPECT_EQ(tree.size(), c.prefecture_dir_prefectures);
    ASSERT_FALSE(prefectures.empty());
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(prefectures.front(), G(c.first_child));
    EXPECT_EQ(tree.front(), G(c.first_child));
  }
}

TEST(RegionDirectory, TablesHaveTheirRowCounts) {
  std::set<std::string_view> provinces(Provinces(ProvinceOrder::kPublish).begin(),
                                       Provinces(ProvinceOrder::kPublish).end());
  auto count_province_rows = [&](RegionTable table) {
    std::size_t n = 0;
    for (const RegionPair& row : Rows(table)) n += provinces.count(row.parent);
    return n;
  };
  EXPECT_EQ(Rows(RegionTable::kCountyDirectory).size(), 3420u);
  EXPECT_EQ(count_province_rows(RegionTable::kCountyDirectory), 377u);
  EXPECT_EQ(Rows(RegionTable::kPrefectureDirectory).size(), 402u);
  EXPECT_EQ(count_province_rows(RegionTable::kPrefectureDirectory), 377u);
  EXPECT_EQ(AreaCodeTable().size(), 522u);
}

// Lookups rest on these: a prefecture belongs to one province, every county's parent
// is a listed prefecture, and rows of one parent stand together after their province.
TEST(RegionDirectory, GroupsAreWellFormed) {
  std::vector<std::string> county_order = G(
      {"北京市", "天津市", "上海市", "重庆市", "山东省",   "安徽省",   "广东省", "江苏省", "浙江省",
       "福建省", "湖南省", "湖北省", "辽宁省", "吉林省",   "云南省",   "四川省", "江西省", "黑龙江",
       "河北省", "陕西省", "河南省", "山西省", "甘肃省",   "内蒙古",   "广西",   "贵州省", "宁夏",
       "青海省", "新疆",   "西藏",   "海南省", "香港特区", "澳门特区", "台湾省"});
  std::vector<std::string> prefecture_order = county_order;
  prefecture_order.erase(prefecture_order.begin() + 5);  // 安徽省 comes after 四川省 there
  prefecture_order.insert(prefecture_order.begin() + 15, G("安徽省"));

  for (auto [table, order] : {std::pair{RegionTable::kCountyDirectory, &county_order},
                              std::pair{RegionTable::kPrefectureDirectory, &prefecture_order}}) {
    SCOPED_TRACE(table == RegionTable::kCountyDirectory ? "county" : "prefecture");
    const std::set<std::string> provinces(order->begin(), order->end());
    std::map<std::string, std::string> province_of;  // prefecture -> province
    std::vector<std::string> seen_provinces;
    std::set<std::string> closed_parents;
    std::string current_province, last_parent;
    for (const RegionPair& row : Rows(table)) {
      const std::string parent(row.parent), child(row.child);
      if (parent != last_parent) {
        EXPECT_FALSE(closed_parents.count(parent)) << GbkToUtf8(parent) << " is split";
        if (!last_parent.empty()) closed_parents.insert(last_parent);
        last_parent = parent;
      }
      if (provinces.count(parent)) {
        if (parent != current_province) seen_provinces.push_back(parent);
        current_province = parent;
        EXPECT_TRUE(province_of.emplace(child, parent).second)
            << GbkToUtf8(child) << " is under two provinces";
      } else {
        auto it = province_of.find(parent);
        ASSERT_NE(it, province_of.end()) << GbkToUtf8(parent) << " has no province row";
        EXPECT_EQ(it->second, current_province) << GbkToUtf8(parent) << " outside its province";
      }
    }
    EXPECT_EQ(seen_provinces, *order);
  }
}

TEST(RegionDirectory, ThirtyPrefecturesHaveNoCounties) {
  std::set<std::string_view> provinces(Provinces(ProvinceOrder::kPublish).begin(),
                                       Provinces(ProvinceOrder::kPublish).end());
  std::vector<std::string> childless;
  for (const RegionPair& row : Rows(RegionTable::kCountyDirectory)) {
    if (provinces.count(row.parent) &&
        ListChildren(RegionTable::kCountyDirectory, row.child).empty()) {
      childless.emplace_back(row.child);
    }
  }
  EXPECT_EQ(childless, G({"襄樊", "海口",   "白沙", "保亭", "昌江",     "澄迈", "定安", "东方",
                          "乐东", "临高",   "陵水", "琼海", "琼中",     "三亚", "屯昌", "万宁",
                          "文昌", "五指山", "儋州", "三沙", " 路氹城 ", "台北", "台中", "台南",
                          "嘉义", "新竹",   "基隆", "高雄", "金门",     "连江"}));
}

TEST(RegionDirectory, SevenCountiesAreListedTwice) {
  std::map<std::pair<std::string_view, std::string_view>, int> seen;
  for (const RegionPair& row : Rows(RegionTable::kCountyDirectory)) ++seen[{row.parent, row.child}];
  int twice = 0;
  for (const auto& [pair, n] : seen) {
    EXPECT_LE(n, 2);
    twice += n == 2;
  }
  EXPECT_EQ(twice, 7);
  auto anqing = ListChildren(RegionTable::kCountyDirectory, G("安庆"));
  EXPECT_EQ(std::count(anqing.begin(), anqing.end(), G("怀宁")), 2);
  auto chongqing = ListChildren(RegionTable::kCountyDirectory, G("重庆"));
  EXPECT_EQ(std::count(chongqing.begin(), chongqing.end(), G("永川")), 2);
}

TEST(RegionDirectory, ListChildrenComparesWholeNamesByteForByte) {
  const auto beijing = ListChildren(RegionTable::kCountyDirectory, G("北京"));
  ASSERT_EQ(beijing.size(), 19u);
  EXPECT_EQ(beijing[0], G("市区"));
  EXPECT_EQ(beijing[1], G("朝阳"));
  EXPECT_EQ(beijing[2], G("崇文"));
  EXPECT_EQ(ListChildren(RegionTable::kCountyDirectory, G("北京市")), G({"北京"}));
  EXPECT_EQ(ListChildren(RegionTable::kCountyDirectory, G("济宁")).size(), 12u);

  // Placeholders, the empty text and near misses name nothing.
  for (const char* miss :
       {"省份", "地级市", "市、县级市、县", "", "北京 ", "北", "路氹城", "NULL", "朝阳区"}) {
    SCOPED_TRACE(miss);
    EXPECT_TRUE(ListChildren(RegionTable::kCountyDirectory, G(miss)).empty());
    EXPECT_TRUE(ListChildren(RegionTable::kPrefectureDirectory, G(miss)).empty());
  }
  // "朝阳" is a county of 北京 and a prefecture of 辽宁省; as a parent it is the latter.
  EXPECT_EQ(ListChildren(RegionTable::kCountyDirectory, G("朝阳")).size(), 8u);
}

TEST(RegionDirectory, MacauKeepsTheBlanksOfItsThirdArea) {
  for (RegionTable table : {RegionTable::kCountyDirectory, RegionTable::kPrefectureDirectory}) {
    EXPECT_EQ(ListChildren(table, G("澳门特区")), G({"澳门半岛", "澳门离岛", " 路氹城 "}));
    EXPECT_EQ(ListChildren(table, G("澳门半岛")),
              G({"花地玛", "圣安多尼", "大堂区", "望德", "风顺"}));
    EXPECT_TRUE(ListChildren(table, G(" 路氹城 ")).empty());
  }
  EXPECT_EQ(G(" 路氹城 ").size(), 8u);
}

// The two directories differ in exactly these places; everything else is the same.
TEST(RegionDirectory, DirectoriesDifferOnlyWhereExpected) {
  const std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>>
      expected = {
          {G("内蒙古"),
           {G({"阿拉善盟", "巴彦淖尔盟", "乌兰察布盟", "锡林郭勒盟"}),
            G({"阿拉善", "巴彦淖尔", "乌兰察布", "锡林郭勒"})}},
          {G("新疆"), {{}, G({"塔城", "阿勒泰"})}},
          {G("宁夏"), {G({"中卫"}), {}}},
          {G("海南省"), {G({"临高"}), {}}},
          {G("香港岛"), {G({"中西", "湾仔"}), G({"中西区", "湾仔区"})}},
      };
  std::vector<std::string> parents = ListProvinces(ProvinceOrder::kPublish);
  for (const char* area : {"香港岛", "九龙", "新界", "澳门半岛", "澳门离岛"}) {
    parents.push_back(G(area));
  }
  for (const std::string& parent : parents) {
    SCOPED_TRACE(GbkToUtf8(parent));
    auto county = ListChildren(RegionTable::kCountyDirectory, parent);
    auto tree = ListChildren(RegionTable::kPrefectureDirectory, parent);
    std::vector<std::string> only_county, only_tree;
    for (const auto& c : county) {
      if (std::find(tree.begin(), tree.end(), c) == tree.end()) only_county.push_back(c);
    }
    for (const auto& c : tree) {
      if (std::find(county.begin(), county.end(), c) == county.end()) only_tree.push_back(c);
    }
    auto it = expected.find(parent);
    if (it == expected.end()) {
      EXPECT_EQ(county, tree);
    } else {
      EXPECT_EQ(only_county, it->second.first);
      EXPECT_EQ(only_tree, it->second.second);
    }
  }
  const auto xinjiang = ListChildren(RegionTable::kPrefectureDirectory, G("新疆"));
  EXPECT_EQ(std::vector<std::string>(xinjiang.end() - 2, xinjiang.end()), G({"塔城", "阿勒泰"}));
  EXPECT_EQ(ListChildren(RegionTable::kCountyDirectory, G("香港岛")),
            G({"中西", "湾仔", "东区", "南区"}));
}

// A place as registration takes it: each part must be where the lists
// offer it, names whole and byte for byte.
TEST(CheckPlace, EachPartUnderTheOneBefore) {
  struct Case {
    const char* province;
    const char* city;
    const char* county;
    PlaceFault fault;
  } cases[] = {
      {"河南省", "郑州", "", PlaceFault::kNone},
      {"河南省", "郑州", "二七", PlaceFault::kNone},
      {"海南省", "海口", "", PlaceFault::kNone},  // a city without counties
      {"澳门特区", " 路氹城 ", "", PlaceFault::kNone},
      {"火星", "", "", PlaceFault::kProvince},
      {"", "郑州", "", PlaceFault::kProvince},
      {"河南", "郑州", "", PlaceFault::kProvince},
      {"所属省份", "所属城市", "", PlaceFault::kProvince},
      {"河南省", "", "", PlaceFault::kCity},
      {"河南省", "武汉", "", PlaceFault::kCity},
      {"河南省", "所属城市", "", PlaceFault::kCity},
      {"澳门特区", "路氹城", "", PlaceFault::kCity},
      {"河南省", "二七", "", PlaceFault::kCity},  // a county is no city
      {"河南省", "郑州", "江岸", PlaceFault::kCounty},
      {"河南省", "郑州", "郑州", PlaceFault::kCounty},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckPlace(G(c.province), G(c.city), G(c.county)), c.fault)
        << c.province << "/" << c.city << "/" << c.county;
  }
}

}  // namespace
}  // namespace tv
