// The service's own text rules: strict query decoding and GBK-aware matching.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "query.h"
#include "text_match.h"

namespace tv {
namespace {

TEST(serviceQuery, DecodesWhatTheClientEncodesAndRefusesTheRest) {
  struct Case {
    const char* raw;
    bool ok;
    const char* key;
    std::string value;
  };
  const Case cases[] = {
      {"a=x+y%2D1", true, "a", "x y-1"},
      {"Code=%D6%A3%D6%DD", true, "code", Utf8ToGbk("郑州")},  // keys ignore letter case
      {"a=1&a=2", true, "a", "1"},                             // the first one counts
      {"a=&b=2", true, "a", ""},
      {"a", true, "a", ""},
      {"a=%4", false, "", ""},
      {"a=%G0", false, "", ""},
      {"a=%00", false, "", ""},
      {"a=%D6", false, "", ""},     // lead byte without its trail
      {"a=%D6%7F", false, "", ""},  // 0x7F is no trail byte
      {"a=%80", false, "", ""},
      {"a=%FF%A1", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    auto q = Query::Parse(c.raw);
    ASSERT_EQ(q.has_value(), c.ok);
    if (c.ok) {
      EXPECT_EQ(q->Get(c.key), c.value);
    }
  }
  EXPECT_EQ(ParseNumber("-12"), -12);
  EXPECT_FALSE(ParseNumber("99999999999999999999"));
  EXPECT_FALSE(ParseNumber("1 "));
  EXPECT_FALSE(ParseNumber(""));
}

TEST(serviceTextRules, MatchesOnCharacterBoundariesOnly) {
  // "碍" is B0 AD, "阿" is B0 A2: the bytes AD B0 (inside 碍阿) are no character.
  const std::string text = Utf8ToGbk("碍阿");
  EXPECT_FALSE(ContainsGbk(text, "\xAD\xB0"));
  EXPECT_TRUE(ContainsGbk(text, Utf8ToGbk("阿")));
  EXPECT_TRUE(ContainsAnyGbk(Utf8ToGbk("郑州到广州"), Utf8ToGbk(",,北京,广州")));
  EXPECT_FALSE(ContainsAnyGbk(Utf8ToGbk("郑州到广州"), ","));
  // A trail byte 0x40 belongs to its character and stays; a lone "|" or "@" goes full-width.
  const std::string with_trail = std::string("\xAB\x40") + "|@";
  EXPECT_EQ(StoredText(with_trail, 100), std::string("\xAB\x40") + Utf8ToGbk("｜＠"));
  EXPECT_EQ(StoredText("  ab  ", 100), "ab");
  // Cut on a character boundary.
  EXPECT_EQ(StoredText(Utf8ToGbk("郑州"), 3), Utf8ToGbk("郑"));
}

}  // namespace
}  // namespace tv
