#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/notice.h"
#include "core/qt_gbk.h"
#include "core/text_time.h"

namespace tv {
namespace {

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string gbk = Utf8ToGbk("北京 to 上海");
  EXPECT_EQ(gbk, "\xB1\xB1\xBE\xA9 to \xC9\xCF\xBA\xA3");
  EXPECT_EQ(GbkToUtf8(gbk), "北京 to 上海");
  EXPECT_EQ(FromGbk(gbk), QString::fromUtf8("北京 to 上海"));
  EXPECT_EQ(ToGbk(QString::fromUtf8("北京 to 上海")), gbk);
}

TEST(Gbk, InvalidBytesBecomeReplacementCharacters) {
  struct Case {
    std::string gbk;
    std::string utf8;
  } cases[] = {
      {"\xFF"
       "a",
       "\xEF\xBF\xBD"
       "a"},                            // never a lead byte
      {"ab\xB1", "ab\xEF\xBF\xBD"},     // lone lead byte at the end
      {"\xB1\x20x", "\xEF\xBF\xBD x"},  // lead byte followed by a blank
  };
  for (const Case& c : cases) EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
}

TEST(Gbk, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80"
                      "b"),
            "a?b");                         // emoji
  EXPECT_EQ(Utf8ToGbk("a\xC3(b"), "a?(b");  // broken UTF-8
  // The euro sign: no GBK character, though the converter writes 0x80 for it.
  EXPECT_EQ(Utf8ToGbk("5€"), "5?");
  EXPECT_EQ(Utf8ToGbk("丂"), "\x81\x40");  // 0x80 and above as a trail byte stay
  EXPECT_EQ(Utf8ToGbk("亐"), "\x81\x80");
}

TEST(Gbk, CharCountCountsFromTheEnd) {
  struct Case {
    std::string text;
    std::size_t count;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"\xB1\xB1\xBE\xA9", 2},
      {"a\xB1\xB1", 2},
      // A trail byte below 0x80 (0x40..0x7E) still ends the character only when
      // the last byte is >= 0x80; counted from the end "\xB1\x40" is two ASCII-ish
      // characters, the system's rule.
      {"\xB1\x40", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(CharCount(c.text), c.count) << GbkToUtf8(c.text);
}

TEST(Gbk, FindWholeCharsNeverStartsOnATrailByte) {
  // 南 is C4 CF and 京 is BE A9: the bytes CF BE straddle the two; 嗯 (E0 C5)
  // followed by "E" has the letter as its own character.
  const std::string nanjing = "\xC4\xCF\xBE\xA9";
  struct Case {
    std::string text;
    std::string word;
    std::size_t from;
    std::size_t found;
  } cases[] = {
      {nanjing, "\xBE\xA9", 0, 2},
      {nanjing, "\xCF\xBE", 0, std::string::npos},
      {nanjing + nanjing, nanjing, 2, 4},
      {nanjing + "a\xCF\xBE", "\xCF\xBE", 0, 5},  // a straddle first, then the character
      {"a\xB1\x41"
       "A",
       "A", 0, 3},  // the trail byte 0x41 is no "A"
      {"abc", "", 1, 1},
      {"abc", "abcd", 0, std::string::npos},
      {"abc", "c", 4, std::string::npos},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindWholeChars(c.text, c.word, c.from), c.found) << GbkToUtf8(c.text);
  }
}

TEST(Gbk, AsciiLowerLeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(GbkAsciiLower("AbC"), "abc");
  // B1 41 is one character whose trail byte looks like "A".
  EXPECT_EQ(GbkAsciiLower("X\xB1\x41Y"), "x\xB1\x41y");
  EXPECT_EQ(GbkAsciiLower("Z\xB1"), "z\xB1");  // a lone lead byte at the end
}

TEST(Gbk, FixedTextIsConvertedOnce) {
  const std::string& a = TV_TEXT("提示");
  EXPECT_EQ(a, "\xCC\xE1\xCA\xBE");
}

TEST(TimeText, PadsOnlyMinutesAndSeconds) {
  std::tm t{};
  t.tm_year = 2012 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 2;
  t.tm_isdst = -1;
  EXPECT_EQ(TimeText(std::mktime(&t)), "2012-3-7 9:05:02");
}

TEST(Notice, RecorderCapturesAndRestores) {
  NoticeSink* before = CurrentNoticeSink();
  {
    ScopedNoticeRecorder recorder;
    recorder.answer = false;
    ShowNotice("x");
    EXPECT_FALSE(AskYesNo("y"));
    EXPECT_EQ(recorder.notices, std::vector<std::string>{"x"});
    EXPECT_EQ(recorder.questions, std::vector<std::string>{"y"});
  }
  EXPECT_EQ(CurrentNoticeSink(), before);
}

}  // namespace
}  // namespace tv
