// Member text on its way to GBK: what does not fit is named, never silently
// turned into '?' or dropped.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/gbk_fit.h"

namespace tv {
namespace {

TEST(GbkFit, NamesEachCharacterThatDoesNotFitOnce) {
  struct Case {
    std::u16string text;
    std::string gbk;
    std::vector<char32_t> unfit;
  } cases[] = {
      {u"", "", {}},
      {u"北京 to 上海；", Utf8ToGbk("北京 to 上海；"), {}},
      {u"有\U0001F69A车\U0001F69A", Utf8ToGbk("有?车?"), {0x1F69A}},
      {u"\U00020BB7a\U0001F600", "?a?", {0x20BB7, 0x1F600}},
      {std::u16string(u"a") + char16_t(0xDC00) + u"b", "a?b", {0xDC00}},  // lone low surrogate
      {std::u16string(u"a") + char16_t(0xD83D), "a?", {0xD83D}},          // cut pair at the end
      // GBK has no euro sign: the converter's 0x80 is a byte the service refuses.
      {u"运费500€/吨€", Utf8ToGbk("运费500?/吨?"), {0x20AC}},
      {std::u16string(u"a") + char16_t(0xD83D) + u"€", "a??", {0xD83D, 0x20AC}},
  };
  for (const Case& c : cases) {
    const GbkFit fit = Utf16ToGbk(c.text);
    EXPECT_EQ(fit.gbk, c.gbk) << GbkToUtf8(c.gbk);
    EXPECT_EQ(fit.unfit, c.unfit) << GbkToUtf8(c.gbk);
    EXPECT_EQ(fit.fits(), c.unfit.empty());
  }
  // Long text crosses the converter's buffer without losing a byte.
  const std::u16string long_text(5000, u'货');
  EXPECT_EQ(Utf16ToGbk(long_text).gbk.size(), 10000u);
}

TEST(GbkFit, DescribesCharactersByCodePoint) {
  EXPECT_EQ(DescribeCharacters({0x1F69A, 0x20BB7, 0xDC00}), "U+1F69A U+20BB7 U+DC00");
  EXPECT_EQ(DescribeCharacters({}), "");
}

}  // namespace
}  // namespace tv
