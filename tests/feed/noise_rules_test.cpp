// The rules that decide what a list folds, and what its filter lets through.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feed/message_identity.h"
#include "feed/row_filter.h"
#include "feed/truck_length.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;

TEST(SameMessage, BlanksWidthsAndMarkersDoNotMatterTheMemberAndTextDo) {
  struct Case {
    const char* flag_a;
    const char* a;
    const char* flag_b;
    const char* b;
    bool same;
  } cases[] = {
      {"1001", "济宁到北京，有货20吨", "1001", "济宁到北京，有货20吨", true},
      {"1001", "济宁到北京 有货20吨", "1001", "济宁到北京有货20吨", true},   // ASCII blank
      {"1001", "济宁到北京　有货20吨", "1001", "济宁到北京有货20吨", true},  // full-width blank
      {"1001", "济宁到北京\t有货 20 吨\r\n", "1001", "济宁到北京有货20吨",
       true},                                                                 // tabs, line ends
      {"1001", "济宁到北京，有货20吨", "1001", "济宁到北京,有货20吨", true},  // full-width comma
      {"1001", "有货２０吨！", "1001", "有货20吨!", true},                    // full-width digits
      {"1001", "求９．６米车（急）", "1001", "求9.6米车(急)", true},
      {"1001", "ＡＢＣ车", "1001", "ABC车", true},
      {"1001", "有货Ξ济宁§20吨", "1001", "有货济宁20吨", true},  // the region highlight
      {" 1001 ", "有货20吨", "1001", "有货20吨", true},          // blanks round the number
      {"1001", "有货20吨", "1002", "有货20吨", false},           // another member
      {"1001", "有货20吨", "1001", "有货21吨", false},           // another text
      {"1001", "有货20吨", "1001", "有货20吨。", false},         // "。" is not "."
      {"1001", "abc", "1001", "ABC", false},                     // letter case counts
      {"1001", "有货20吨", "10011", "有货20吨", false},
      {"1001", "", "1001", "　 ", true},
      {"1001", "￥100", "1001", "$100", false},  // the yuan sign has no ASCII twin
  };
  for (const auto& c : cases) {
    const std::string fa = G(c.flag_a), a = G(c.a), fb = G(c.flag_b), b = G(c.b);
    EXPECT_EQ(SameMessage(fa, a, fb, b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(SameMessage(fb, b, fa, a), c.same) << c.b << " / " << c.a;
    // The fingerprint agrees with the rule (a collision here would be chance).
    EXPECT_EQ(MessageFingerprint(fa, a) == MessageFingerprint(fb, b), c.same)
        << c.a << " / " << c.b;
  }
}

TEST(SameMessage, AHalfCharacterAtTheEndIsKeptNotDropped) {
  // A lead byte alone at the end: a byte of its own, not half of a blank.
  EXPECT_FALSE(SameMessage("1", "ab\xA1", "1", "ab"));
  EXPECT_TRUE(SameMessage("1", "ab\xA1", "1", "a b\xA1"));
}

TEST(TruckLengths, ReadFromTheTextInEveryWayMembersWriteThem) {
  struct Case {
    const char* text;
    std::vector<int> decimetres;
  } cases[] = {
      {"求9.6米高栏车", {96}},
      {"求9米6高栏车", {96}},
      {"求１７．５米平板", {175}},
      {"17米5半挂", {175}},
      {"4.2米箱车2辆", {42}},
      {"4米2辆", {42}},    // 4.2米 is on the menu: read as it
      {"9米8的车", {90}},  // 9.8米 is not: 9米, and the 8 stays unread
      {"6.8/7.6米都可以", {68, 76}},
      {"6.8-9.6米", {68, 96}},
      {"4.2、6.8或9.6米", {42, 68, 96}},
      {"13米和9.6米", {130, 96}},
      {"有花生米10吨", {}},  // "米" as rice
      {"大米20吨", {}},
      {"2024米", {}},  // not a truck
      {"9.65米", {}},
      {"9.6 米", {96}},  // a blank between
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadTruckLengths(G(c.text)), c.decimetres) << c.text;
  }
}

TEST(TruckLengths, TheMenuGivesTheKnownLengths) {
  const auto known = KnownTruckLengths();
  ASSERT_GE(known.size(), 2u);
  EXPECT_EQ(known.front().decimetres, 40);
  EXPECT_EQ(known.back().decimetres, 175);
  EXPECT_EQ(known.back().label, G("17.5米"));
  std::uint32_t nine_six = 0;
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (known[i].decimetres == 96) nine_six = std::uint32_t{1} << i;
  }
  ASSERT_NE(nine_six, 0u);
  EXPECT_EQ(TruckLengthMask(G("求9米6车")), nine_six);
  EXPECT_EQ(TruckLengthMask(G("求9.6米车")), nine_six);
  EXPECT_EQ(TruckLengthMask(G("求9.8米车")), 0u);  // not a length of the menu
}

std::uint32_t LengthBit(int decimetres) {
  const auto known = KnownTruckLengths();
  for (std::size_t i = 0; i < known.size(); ++i) {
    if (known[i].decimetres == decimetres) return std::uint32_t{1} << i;
  }
  return 0;
}

TEST(RowFilter, TypeLengthsAndWords) {
  struct Row {
    const char* type;
    const char* text;
  };
  const Row cargo{"0", "【济宁】有钢材20吨，求9.6米平板车"};
  const Row truck{"1", "【郑州】有１７．５米半挂车 回程 找货"};
  const Row other{"2", "【北京】招聘司机"};
  struct Case {
    const char* name;
    RowFilter filter;
    bool cargo, truck, other;
  } cases[] = {
      {"empty", {}, true, true, true},
      {"cargo", {FilterType::kCargo, 0, {}, {}}, true, false, false},
      {"trucks", {FilterType::kTrucks, 0, {}, {}}, false, true, false},
      {"9.6", {FilterType::kAll, LengthBit(96), {}, {}}, true, false, false},
      {"9.6 or 17.5",
       {FilterType::kAll, LengthBit(96) | LengthBit(175), {}, {}},
       true,
       true,
       false},
      {"trucks of 9.6", {FilterType::kTrucks, LengthBit(96), {}, {}}, false, false, false},
      {"must: 钢材", {FilterType::kAll, 0, {G("钢材")}, {}}, true, false, false},
      {"must: both", {FilterType::kAll, 0, {G("济宁"), G("平板")}, {}}, true, false, false},
      {"must: one missing", {FilterType::kAll, 0, {G("济宁"), G("半挂")}, {}}, false, false, false},
      {"must: widths", {FilterType::kAll, 0, {G("17.5米")}, {}}, false, true, false},
      {"must: blanks", {FilterType::kAll, 0, {G("回程找货")}, {}}, false, true, false},
      {"must: comma", {FilterType::kAll, 0, {G("20吨,求")}, {}}, true, false, false},
      {"not: 回程", {FilterType::kAll, 0, {}, {G("回程")}}, true, false, true},
      {"not: 司机 or 钢材", {FilterType::kAll, 0, {}, {G("司机"), G("钢材")}}, false, true, false},
      {"must and not", {FilterType::kCargo, 0, {G("济宁")}, {G("平板")}}, false, false, false},
  };
  for (const auto& c : cases) {
    const RowFilterTest test(c.filter);
    for (const auto& [row, expected] :
         {std::pair{cargo, c.cargo}, std::pair{truck, c.truck}, std::pair{other, c.other}}) {
      const std::string text = G(row.text);
      EXPECT_EQ(test.Passes(TraitsOf(row.type, text), text), expected)
          << c.name << ": " << row.text;
    }
  }
}

TEST(RowFilter, LetterCaseOfWordsDoesNotMatter) {
  RowFilter filter;
  filter.must_have = {G("gps")};
  EXPECT_TRUE(RowFilterTest(filter).Passes({}, G("带GPS定位")));
  EXPECT_TRUE(RowFilterTest(filter).Passes({}, G("带ＧＰＳ定位")));
  EXPECT_FALSE(RowFilterTest(filter).Passes({}, G("带GP定位")));
}

TEST(RowFilter, WordsOfATextBox) {
  EXPECT_EQ(
      SplitFilterWords(G(" 钢材，平板  9.6米、冷藏,gps　回程 ")),
      (std::vector<std::string>{G("钢材"), G("平板"), G("9.6米"), G("冷藏"), G("gps"), G("回程")}));
  EXPECT_TRUE(SplitFilterWords(G(" ，　")).empty());
}

}  // namespace
}  // namespace tv
