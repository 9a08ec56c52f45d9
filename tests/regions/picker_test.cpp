// The cascaded picker models: what each list holds and selects after each pick.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gbk.h"
#include "regions/region_picker.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

int IndexOf(const PickerList& list, std::string_view utf8) {
  const std::string gbk = G(utf8);
  for (int i = 0; i < list.Size(); ++i) {
    if (list.Items()[static_cast<std::size_t>(i)] == gbk) return i;
  }
  return -1;
}

TEST(PresetRegionPicker, OpensOnTheMembersProvinceAndCity) {
  PresetRegionPicker picker(G("山东省"), G("济宁"));
  EXPECT_EQ(picker.ProvinceList().Items(), ListProvinces(ProvinceOrder::kPublish));
  EXPECT_EQ(picker.ProvinceText(), G("山东省"));
  EXPECT_EQ(picker.PrefectureList().Items(),
            ListChildren(RegionTable::kCountyDirectory, G("山东省")));
  EXPECT_EQ(picker.PrefectureText(), G("济宁"));
  EXPECT_EQ(picker.CountyList().Size(), 12);
  EXPECT_EQ(picker.CountyList().Selected(), -1);
  EXPECT_EQ(picker.CountyText(), "");
}

TEST(PresetRegionPicker, MemberOutsideTheDirectoryGetsUnselectedLists) {
  const struct {
    const char* province;
    const char* city;
    bool province_found;
    int prefectures;
  } kCases[] = {
      {"火星省", "济宁", false, 0},  // unknown province: nothing below it
      {"山东", "济宁", false, 0},    // province names are compared whole
      {"", "", false, 0},
      {"山东省", "北京", true, 17},  // city of another province: listed, none selected
      {"山东省", "", true, 17},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.province) + "/" + c.city);
    PresetRegionPicker picker(G(c.province), G(c.city));
    EXPECT_EQ(picker.ProvinceList().Size(), 34);
    EXPECT_EQ(picker.ProvinceList().Selected() >= 0, c.province_found);
    EXPECT_EQ(picker.PrefectureList().Size(), c.prefectures);
    EXPECT_EQ(picker.PrefectureText(), "");
    EXPECT_EQ(picker.CountyList().Size(), 0);
  }
}

TEST(PresetRegionPicker, NewProvinceSelectsItsFirstPrefecture) {
  PresetRegionPicker picker(G("山东省"), G("济宁"));
  picker.PickProvince(IndexOf(picker.ProvinceList(), "澳门特区"));
  EXPECT_EQ(picker.PrefectureList().Items().back(), G(" 路氹城 "));
  EXPECT_EQ(picker.PrefectureText(), G("澳门半岛"));
  EXPECT_EQ(picker.CountyList().Size(), 5);
  EXPECT_EQ(picker.CountyList().Selected(), -1);

  picker.PickPrefecture(2);  // " 路氹城 " has no counties
  EXPECT_EQ(picker.PrefectureText(), G(" 路氹城 "));
  EXPECT_EQ(picker.CountyList().Size(), 0);

  picker.PickProvince(IndexOf(picker.ProvinceList(), "海南省"));
  EXPECT_EQ(picker.PrefectureText(), G("海口"));
  EXPECT_EQ(picker.CountyList().Size(), 0);

  picker.PickProvince(IndexOf(picker.ProvinceList(), "安徽省"));
  picker.PickPrefecture(IndexOf(picker.PrefectureList(), "安庆"));
  EXPECT_EQ(picker.CountyList().Items(), ListChildren(RegionTable::kCountyDirectory, G("安庆")));
  picker.PickCounty(3);
  EXPECT_EQ(picker.CountyText(), G("宜秀"));
  EXPECT_EQ(picker.ProvinceText(), G("安徽省"));
  EXPECT_EQ(picker.PrefectureText(), G("安庆"));
}

TEST(PlaceholderRegionPicker, StartsOnItsPlaceholders) {
  PlaceholderRegionPicker picker;
  ASSERT_EQ(picker.ProvinceList().Size(), 35);
  EXPECT_EQ(picker.ProvinceList().Items()[1], G("北京市"));
  EXPECT_EQ(picker.ProvinceList().Items()[31], G("海南省"));  // publishing order
  EXPECT_EQ(picker.ProvinceText(), G("省份"));
  EXPECT_EQ(picker.PrefectureList().Items(), std::vector<std::string>{G("地级市")});
  EXPECT_EQ(picker.PrefectureText(), G("地级市"));
  EXPECT_EQ(picker.CountyText(), G("市、县级市、县"));
}

TEST(PlaceholderRegionPicker, PicksAppendChildrenAfterThePlaceholder) {
  PlaceholderRegionPicker picker;
  picker.PickPrefecture(0);
  EXPECT_EQ(picker.CountyList().Size(), 1);

  picker.PickProvince(IndexOf(picker.ProvinceList(), "山东省"));
  EXPECT_EQ(picker.PrefectureList().Size(), 18);
  EXPECT_EQ(picker.PrefectureText(), G("地级市"));  // the placeholder stays selected
  EXPECT_EQ(picker.CountyList().Size(), 1);

  picker.PickPrefecture(IndexOf(picker.PrefectureList(), "济宁"));
  EXPECT_EQ(picker.PrefectureText(), G("济宁"));
  EXPECT_EQ(picker.CountyList().Size(), 13);
  EXPECT_EQ(picker.CountyText(), G("市、县级市、县"));
  picker.PickCounty(IndexOf(picker.CountyList(), "任城"));
  EXPECT_EQ(picker.CountyText(), G("任城"));

  // Back to a prefecture without counties: only the placeholder is left.
  picker.PickProvince(IndexOf(picker.ProvinceList(), "海南省"));
  picker.PickPrefecture(IndexOf(picker.PrefectureList(), "海口"));
  EXPECT_EQ(picker.CountyList().Items(), std::vector<std::string>{G("市、县级市、县")});

  // Back to the province placeholder: both lower lists are bare placeholders again.
  picker.PickProvince(0);
  EXPECT_EQ(picker.ProvinceText(), G("省份"));
  EXPECT_EQ(picker.PrefectureList().Size(), 1);
  EXPECT_EQ(picker.CountyList().Size(), 1);
  EXPECT_EQ(picker.CountyText(), G("市、县级市、县"));
}

TEST(PlaceholderRegionPicker, OtherFormsChooseTextsTableAndOrder) {
  PlaceholderRegionPicker picker({G("所属省份"), G("所属城市"), G("所属县区")},
                                 RegionTable::kPrefectureDirectory, ProvinceOrder::kBrowse);
  EXPECT_EQ(picker.ProvinceText(), G("所属省份"));
  EXPECT_EQ(picker.ProvinceList().Items()[22], G("海南省"));  // browsing order
  picker.PickProvince(IndexOf(picker.ProvinceList(), "新疆"));
  EXPECT_EQ(picker.PrefectureList().Size(), 19);  // the prefecture directory's 18
  EXPECT_EQ(picker.PrefectureList().Items().back(), G("阿勒泰"));
  picker.PickPrefecture(IndexOf(picker.PrefectureList(), "伊犁"));
  EXPECT_EQ(picker.CountyList().Items(), std::vector<std::string>{G("所属县区")});
}

TEST(PickerList, RevisionMovesOnlyWhenItemsChange) {
  PlaceholderRegionPicker picker;
  const auto province = picker.ProvinceList().Revision();
  const auto county = picker.CountyList().Revision();
  picker.PickProvince(IndexOf(picker.ProvinceList(), "北京市"));
  EXPECT_EQ(picker.ProvinceList().Revision(), province);
  EXPECT_NE(picker.CountyList().Revision(), county);
  const auto after = picker.CountyList().Revision();
  picker.PickCounty(0);
  EXPECT_EQ(picker.CountyList().Revision(), after);
  // An index out of range selects nothing rather than reading past the items.
  picker.PickCounty(5);
  EXPECT_EQ(picker.CountyList().Selected(), -1);
  EXPECT_EQ(picker.CountyText(), "");
}

}  // namespace
}  // namespace tv
