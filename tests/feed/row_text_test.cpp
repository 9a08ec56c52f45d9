#include "feed/row_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feed/id_marks.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;
using feed_test::U;

TEST(ShortTime, ReadsWhatItCanAndCountsTheRestAsZero) {
  struct Case {
    const char* time;
    const char* expected;
  } cases[] = {
      {"2012-03-07 09:05:00", "3-7 9:05"},
      {"2012-12-25 18:30:59", "12-25 18:30"},
      {"2012-3-7 9:10:02", "3-7 9:10"},
      {"2012-3-7 9:9:02", "3-7 9:09"},
      {"abc", "0-0 0:00"},
      {"", "0-0 0:00"},
      {"2012-03-07", "3-7 0:00"},
      {"2012-03-07 21", "3-7 21:00"},
      {"2012/03/07 09:05", "0-0 0:00"},  // the month needs "-"
      {"2012-03-07  09:05:00", "3-7 9:05"},
      {"99999999999999999999-1-1 1:1:1", "1-1 1:01"},  // no overflow
  };
  for (const auto& c : cases) EXPECT_EQ(ShortTime(c.time), c.expected) << c.time;
}

struct RowCase {
  const char* name;
  bool closed;
  bool masked;
  bool deleted;
  const char* expected;
};

TEST(BuildRowText, CityContentTelephoneAndShortTimeWithMarkers) {
  const RowCase cases[] = {
      {"open", false, false, false, "【济宁】有货10吨 Ψ8888§ δ3-7 9:05§"},
      {"closed", true, false, false, "【已成交】【济宁】有货10吨 Ψ8888§ δ3-7 9:05§"},
      {"masked", false, true, false, "【济宁】有货10吨 Ψ双击查看电话§ δ3-7 9:05§"},
      {"masked and closed", true, true, false,
       "【已成交】【济宁】有货10吨 Ψ双击查看电话§ δ3-7 9:05§"},
      {"deleted", false, false, true, "该条信息已被删除!"},
      {"deleted and closed", true, true, true, "该条信息已被删除!"},
  };
  const std::string city = G("济宁"), content = G("有货10吨");
  for (const auto& c : cases) {
    IdMarks deleted;
    deleted.Add("77");
    if (c.deleted) deleted.Add("4402");
    const RowTextFields fields{"4402", city, content, "8888", "2012-03-07 09:05:00"};
    EXPECT_EQ(U(BuildRowText(fields, c.closed, c.masked, deleted)), c.expected) << c.name;
  }
}

TEST(HighlightRegion, WrapsEveryOccurrenceOnCharacterBoundaries) {
  struct Case {
    const char* content;
    const char* region;
    const char* expected;
  } cases[] = {
      {"北京到上海", "北京", "Ξ北京§到上海"},
      {"北京到北京", "北京", "Ξ北京§到Ξ北京§"},
      {"上海", "北京", "上海"},
      {"北京到上海", "", "北京到上海"},
      {"济宁,北京", "济宁,北京", "Ξ济宁,北京§"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U(HighlightRegion(G(c.content), G(c.region))), c.expected) << c.content;
  }
  // Bytes that straddle two characters are no match: in the two characters
  // C4B1 B1BE the bytes B1B1 stand across the boundary.
  const std::string content("\xC4\xB1\xB1\xBE");
  EXPECT_EQ(HighlightRegion(content, "\xB1\xB1"), content);
  EXPECT_EQ(HighlightRegion(content, "\xB1\xBE"), "\xC4\xB1\xA6\xAE\xB1\xBE\xA1\xEC");
}

TEST(HighlightWords, LongestWordWinsAndMarksNeverNest) {
  struct Case {
    const char* text;
    std::vector<std::string> words;
    const char* expected;
  } cases[] = {
      {"北京到济宁", {"北京", "济宁"}, "Ξ北京§到Ξ济宁§"},
      // A word inside another: one mark around the longer, never one inside
      // the other (that would leave the rest of the row red).
      {"北京市到北京", {"北京", "北京市"}, "Ξ北京市§到Ξ北京§"},
      {"北京市到北京", {"北京市", "京"}, "Ξ北京市§到北Ξ京§"},
      {"北京", {"", "京"}, "北Ξ京§"},
      {"北京", {""}, "北京"},
      {"北京", {}, "北京"},
      // The marker characters are the row text's own; a word holding one is
      // no word.
      {"电话 Ψ8888§", {"§", "8"}, "电话 ΨΞ8§Ξ8§Ξ8§Ξ8§§"},
      // A word cut after a lead byte (B3 of 成, C9 its trail) would take half
      // of a character and pair the other half with the mark after it.
      {"成都", {"\xB3"}, "成都"},
      {"成都成", {"\xB3", "都"}, "成Ξ都§成"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> gbk;
    for (const auto& w : c.words) gbk.push_back(w == "\xB3" ? w : G(w));
    const std::vector<std::string_view> views(gbk.begin(), gbk.end());
    EXPECT_EQ(U(HighlightWords(G(c.text), views)), c.expected) << c.text;
  }
}

TEST(TypeWord, CargoTrucksOrGeneral) {
  EXPECT_EQ(U(TypeWord("0")), "货源");
  EXPECT_EQ(U(TypeWord("1")), "车源");
  EXPECT_EQ(U(TypeWord("2")), "信息");
  EXPECT_EQ(U(TypeWord("")), "信息");
}

TEST(IdMarks, KeepsTheJoinedTextAndAnswersMembership) {
  IdMarks marks;
  EXPECT_FALSE(marks.Contains("4402"));
  marks.Add("4402");
  marks.Add("");
  marks.Add("4399");
  marks.Add("4402");  // never shortened, repeats included
  EXPECT_EQ(marks.Text(), "B4402E|B4399E|B4402E");
  EXPECT_TRUE(marks.Contains("4402"));
  EXPECT_TRUE(marks.Contains("4399"));
  EXPECT_FALSE(marks.Contains("440"));
  EXPECT_FALSE(marks.Contains("402"));
  EXPECT_FALSE(marks.Contains(""));
}

}  // namespace
}  // namespace tv
