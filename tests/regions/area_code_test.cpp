// Area codes for the region caption: a contained-name lookup over the table in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/gbk.h"
#include "regions/region_directory.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

TEST(AreaCodeOf, FindsTheFirstRowContainingTheName) {
  const struct {
    const char* name;
    const char* code;
  } kCases[] = {
      {"北京", "010"},
      {"北京市", "010"},
      {"济南", "0531"},
      {"大连", "0411"},
      {"沈阳", "024"},
      {"上海", "021"},
      {"台北", "008862"},
      {"台南", "0088689"},
      {"台湾省", "00886"},
      {"西城区", "010"},
      {"重庆市辖县", "023"},
      {"香港", "000852"},
      {"澳门特别行政区", "000853"},
      // 马鞍山市 must not capture 鞍山, nor 天津's 河东区 the Hong Kong district.
      {"鞍山", "0412"},
      {"马鞍山", "0555"},
      {"东区", "000852"},
      {"朝阳", "0421"},
      {"火星", ""},
      {"北京 ", ""},
      {"0411", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AreaCodeOf(G(c.name)), c.code);
  }
  EXPECT_EQ(AreaCodeTable().front().place, G("北京市"));
}

// Every name found in the table is some place's name; the empty text is none.
TEST(AreaCodeOf, EmptyNameHasNoCode) { EXPECT_EQ(AreaCodeOf(""), ""); }

// A match must start on a character: "本" (B1 BE) sits across the two characters of
// "北京" (B1 B1 BE A9), which has nothing to do with it.
TEST(AreaCodeOf, MatchesWholeCharactersOnly) {
  const AreaCodeRow rows[] = {{"\xB1\xB1\xBE\xA9\xCA\xD0", "010"},    // 北京市
                              {"\xB1\xBE\xCF\xAA\xCA\xD0", "0414"}};  // 本溪市
  EXPECT_EQ(AreaCodeIn(rows, G("本")), "0414");
  EXPECT_EQ(AreaCodeIn(rows, G("京")), "010");
  EXPECT_EQ(AreaCodeOf(G("本")), "0414");
  // A single byte of a two-byte character is never a match on its own.
  const std::string b1_a = std::string("\xB1") + "A";
  const AreaCodeRow ascii[] = {{"A\xB1\xB1", "1"}, {"\xB1\xB1\x41", "2"}};
  EXPECT_EQ(AreaCodeIn(ascii, "A"), "1");
  EXPECT_EQ(AreaCodeIn(ascii, b1_a), "");
}

TEST(AreaCodeTable, CodesAreDigitStringsAndPlacesAreUnique) {
  std::set<std::string_view> places;
  for (const AreaCodeRow& row : AreaCodeTable()) {
    SCOPED_TRACE(GbkToUtf8(row.place));
    EXPECT_TRUE(places.insert(row.place).second);
    EXPECT_GE(row.code.size(), 3u);
    EXPECT_LE(row.code.size(), 7u);
    EXPECT_TRUE(
        std::all_of(row.code.begin(), row.code.end(), [](char c) { return c >= '0' && c <= '9'; }));
    EXPECT_EQ(row.code[0], '0');
  }
}

// The region tree shows a prefecture's code in its caption: each name must land on its
// own row, not on an earlier place that merely contains it.
TEST(AreaCodeTable, EveryRegionTreeNameFindsItsOwnRow) {
  const std::set<std::string> kNoRow = {G(" 路氹城 "), G("大浦"), G("连江")};
  for (const RegionPair& pair : Rows(RegionTable::kPrefectureDirectory)) {
    const std::string name(pair.child);
    if (kNoRow.count(name)) continue;
    SCOPED_TRACE(GbkToUtf8(name));
    const AreaCodeRow* hit = nullptr;
    for (const AreaCodeRow& row : AreaCodeTable()) {
      if (row.place.find(name) != std::string_view::npos) {
        hit = &row;
        break;
      }
    }
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->place.substr(0, name.size()), name) << GbkToUtf8(hit->place);
  }
}

}  // namespace
}  // namespace tv
