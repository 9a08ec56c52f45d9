// What a spoken alert says, and when it keeps quiet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gbk.h"
#include "subscribe/spoken_alert.h"

namespace tv {
namespace {

std::string G(const char* utf8) { return Utf8ToGbk(utf8); }
std::string U(const std::string& gbk) { return GbkToUtf8(gbk); }

Subscription JiningToBeijing() {
  Subscription s;
  s.departures = {G("济宁")};
  s.destinations = {G("北京")};
  return s;
}

InfoRecord Match(const char* type, const char* content) {
  InfoRecord r;
  r.InfoID = "1";
  r.Type = type;
  r.Content = G(content);
  r.Tel = G("13812345678");
  return r;
}

TEST(SpokenAlert, ReadsNumbersAsWords) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"钢材20吨", "钢材二十吨"},
      {"求9.6米平板", "求九点六米平板"},
      {"9米6", "九米六"},
      {"运费3500元", "运费三千五百元"},
      {"105", "一百零五"},
      {"15方", "十五方"},
      {"1005 1050 1010", "一千零五 一千零五十 一千零一十"},
      {"100000 120000 10050", "十万 十二万 一万零五十"},
      {"0537", "零五三七"},
      {"0", "零"},
      {"123456789", "一二三四五六七八九"},
      {"v1.", "v一."},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(U(NumbersAsWords(G(in))), out) << in;
}

TEST(SpokenAlert, DropsTelephonesWithTheirLabels) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"钢材20吨，电话：13812345678，急", "钢材20吨，急"},
      {"钢材20吨 手机 138-1234-5678", "钢材20吨"},
      {"联系电话0537-2345678。求平板", "求平板"},
      {"QQ:12345678 有车", "有车"},
      {"13812345678", ""},
      // Numbers a driver wants stay: short ones, and the weight.
      {"钢材20吨 3500元 电 123456", "钢材20吨 3500元 电 123456"},
      // "电" is a label only where a number follows it.
      {"电缆30吨", "电缆30吨"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(U(WithoutTelephones(G(in))), out) << in;
}

TEST(SpokenAlert, CutsLongTextAtAClause) {
  EXPECT_EQ(U(CutAtClause(G("钢材二十吨，求九米六平板，今天装车，价格面议"), 14)),
            "钢材二十吨，求九米六平板");
  EXPECT_EQ(U(CutAtClause(G("一二三四五六七八九十"), 4)), "一二三四");
  EXPECT_EQ(U(CutAtClause(G("短句。"), 40)), "短句");
}

TEST(SpokenAlert, SaysOneMatchInItsShortForm) {
  struct Case {
    const char* type;
    const char* content;
    const char* spoken;
  };
  const std::vector<Case> cases = {
      {"0", "济宁到北京，钢材20吨，求9米6平板，电话13812345678",
       "新货源，济宁到北京，钢材二十吨，求九米六平板"},
      {"1", "济宁→北京 9.6米高栏回程车 手机13812345678", "新车源，济宁到北京，九点六米高栏回程车"},
      {"2", "北京急走 有货请联系", "新信息，济宁到北京，北京急走 有货请联系"},
      // Long content stops at a clause within the limit.
      {"0",
       "济宁到北京，钢材20吨，求9米6平板，今天下午三点以前在济宁北郊工业园区装车，"
       "北京东五环卸货，运费到付",
       "新货源，济宁到北京，钢材二十吨，求九米六平板"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(U(SpokenMatch(JiningToBeijing(), Match(c.type, c.content))), c.spoken) << c.content;
  }
  Subscription open_end = JiningToBeijing();
  open_end.destinations.clear();
  EXPECT_EQ(U(SpokenMatch(open_end, Match("0", "济宁到上海，煤炭"))),
            "新货源，济宁出发，济宁到上海，煤炭");
}

TEST(SpokenAlert, SaysABurstAsOneSentence) {
  std::vector<InfoRecord> burst(12, Match("0", "钢材"));
  EXPECT_EQ(U(SpokenMatches(JiningToBeijing(), burst)), "济宁到北京 新货源 12 条");
  burst[3].Type = "1";
  EXPECT_EQ(U(SpokenMatches(JiningToBeijing(), burst)), "济宁到北京 新信息 12 条");
  EXPECT_EQ(U(SpokenMatches(JiningToBeijing(), {Match("1", "平板")})), "新车源，济宁到北京，平板");
  EXPECT_EQ(SpokenMatches(JiningToBeijing(), {}), "");
}

TEST(SpokenAlert, QuietHoursMayPassMidnight) {
  const QuietHours night = *ParseQuietHours("22:00-06:00");
  const QuietHours day = *ParseQuietHours("09:30-17:00");
  struct Case {
    QuietHours quiet;
    int minute;
    bool quiet_then;
  };
  const std::vector<Case> cases = {
      {night, 23 * 60 + 30, true}, {night, 5 * 60 + 59, true}, {night, 6 * 60, false},
      {night, 12 * 60, false},     {night, 22 * 60, true},     {day, 12 * 60, true},
      {day, 9 * 60 + 29, false},   {day, 17 * 60, false},      {QuietHours{600, 600}, 600, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InQuietHours(c.quiet, c.minute), c.quiet_then)
        << QuietHoursText(c.quiet) << " at " << c.minute;
  }
  EXPECT_EQ(QuietHoursText(night), "22:00-06:00");
  for (const char* bad : {"", "22:00", "24:00-06:00", "22:60-06:00", "2200-0600 ", "ab:cd-ef:gh"}) {
    EXPECT_FALSE(ParseQuietHours(bad)) << bad;
  }
}

}  // namespace
}  // namespace tv
