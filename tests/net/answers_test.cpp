// The item answers: counted pages, record bodies, identifier lists.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "core/gbk.h"
#include "core/text_time.h"
#include "net/answers.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

// One record item's text: the ten fields joined by "||".
std::string Item(const InfoRecord& r) {
  return r.InfoID + "||" + r.City + "||" + r.Type + "||" + r.Content + "||" + r.Tel + "||" + r.QQ +
         "||" + r.Company + "||" + r.Flag + "||" + r.Deal + "||" + r.Time;
}

InfoRecord Sample(std::string id) {
  return InfoRecord{
      std::move(id), G("北京"), "0", G("北京到上海,求13米平板车"), "13800000000", "12345",
      G("速达物流"), "88",      "0", "2012-03-07 09:05:02"};
}

std::string Body(const std::vector<std::string>& items) {
  std::string body = "@@";
  for (const auto& item : items) body += item + "@@";
  return body;
}

std::vector<std::string> Ids(const std::vector<InfoRecord>& records) {
  std::vector<std::string> ids;
  for (const auto& r : records) ids.push_back(r.InfoID);
  return ids;
}

TEST(ParseRecordsTest, DeliversWellFormedRecordsInBodyOrder) {
  const InfoRecord a = Sample("102"), b = Sample("101");
  EXPECT_EQ(ParseRecords(Body({Item(a), Item(b)})), (std::vector<InfoRecord>{a, b}));
}

TEST(ParseRecordsTest, FieldRulesAndSeparators) {
  // 億 ends in 0x7C and 園 in 0x40: neither trail byte may act as a separator.
  const std::string trail_bar = G("億");
  const std::string trail_at = G("園");
  ASSERT_EQ(trail_bar.back(), '|');
  ASSERT_EQ(trail_at.back(), '@');

  auto with = [](auto change) {
    InfoRecord r = Sample("7");
    change(r);
    return r;
  };
  const struct {
    const char* name;
    std::string body;
    std::vector<std::string> ids;
  } cases[] = {
      {"new-records body with nothing new", "@@", {}},
      {"transport failure", "Error", {}},
      {"empty body", "", {}},
      {"html page", "<html><body>500</body></html>", {}},
      {"empty Tel dropped", Body({Item(with([](auto& r) { r.Tel = ""; }))}), {}},
      {"empty QQ and Company kept",
       Body({Item(with([](auto& r) { r.QQ = r.Company = ""; }))}),
       {"7"}},
      {"empty City dropped", Body({Item(with([](auto& r) { r.City = ""; }))}), {}},
      {"empty Type dropped", Body({Item(with([](auto& r) { r.Type = ""; }))}), {}},
      {"empty Content dropped", Body({Item(with([](auto& r) { r.Content = ""; }))}), {}},
      {"empty Flag dropped", Body({Item(with([](auto& r) { r.Flag = ""; }))}), {}},
      {"empty Deal dropped", Body({Item(with([](auto& r) { r.Deal = ""; }))}), {}},
      {"empty InfoID dropped", Body({Item(with([](auto& r) { r.InfoID = ""; }))}), {}},
      {"InfoID with | dropped", Body({Item(with([](auto& r) { r.InfoID = "7|8"; }))}), {}},
      {"InfoID with @ dropped", Body({Item(with([](auto& r) { r.InfoID = "7@8"; }))}), {}},
      {"InfoID ending in a 0x7C trail byte kept",
       Body({Item(with([&](auto& r) { r.InfoID = "7" + trail_bar; }))}),
       {"7" + trail_bar}},
      {"Content with single | and @ kept",
       Body({Item(with([](auto& r) { r.Content = "a|b@c"; }))}),
       {"7"}},
      {"odd Type, Deal and InfoID passed on",
       Body({Item(with([](auto& r) {
         r.Type = "x";
         r.Deal = "?";
         r.InfoID = "abc";
       }))}),
       {"abc"}},
      {"fewer than nine field separators dropped", "@@1||2||3||4||5||6||7||8||9@@", {}},
      {"empty items skipped",
       "@@@@" + Item(Sample("1")) + "@@@@@@" + Item(Sample("2")) + "@@",
       {"1", "2"}},
      {"missing final separator loses the last item only",
       "@@" + Item(Sample("1")) + "@@" + Item(Sample("2")),
       {"1"}},
      {"text before the first separator ignored", "junk@@" + Item(Sample("1")) + "@@", {"1"}},
      {"trail bytes next to separator characters do not split",
       Body({Item(with([&](auto& r) { r.Content = trail_bar + "|" + trail_at + "@x"; })),
             Item(Sample("8"))}),
       {"7", "8"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Ids(ParseRecords(c.body)), c.ids) << c.name;
}

TEST(ParseRecordsTest, FieldsAreTakenExactly) {
  InfoRecord r = Sample("7");
  r.Content = G("億|園@") + "x";
  r.Time = "2012-03-07 09:05:02||extra||";  // the tenth field is all the rest
  const auto records = ParseRecords(Body({Item(r)}));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], r);
}

TEST(ParseRecordsTest, TrailByteDoesNotStartTheItemSeparator) {
  // 園 then "@@@": the separator is the pair after the trail byte.
  InfoRecord r = Sample("7");
  r.Time = "x" + G("園");
  const auto records = ParseRecords("@@" + Item(r) + "@@@");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Time, r.Time);
}

TEST(ParseRecordsTest, EmptyTimeBecomesTheCurrentLocalTime) {
  InfoRecord r = Sample("7");
  r.Time = "";
  const std::string before = TimeTextNow();
  const auto records = ParseRecords(Body({Item(r), Item(r)}));
  const std::string after = TimeTextNow();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_THAT(records[0].Time, ::testing::AnyOf(before, after));
  EXPECT_EQ(records[1].Time, records[0].Time);
}

TEST(ParseCountedPageTest, TotalAndRecords) {
  const std::string r = Item(Sample("5"));
  const struct {
    const char* name;
    std::string body;
    std::int32_t total;
    std::size_t records;
  } cases[] = {
      {"zero and nothing", "@@0@@", 0, 0},
      {"total is not the number of records", "@@25@@" + r + "@@" + r + "@@" + r + "@@", 25, 3},
      {"non-numeric total reads 0", "@@abc@@" + r + "@@", 0, 1},
      {"leading digits only", "@@12ab@@" + r + "@@", 12, 1},
      // A count has no sign and nothing before its digits.
      {"blank before the digits reads 0", "@@ 25@@" + r + "@@", 0, 1},
      {"a sign reads 0", "@@-5@@" + r + "@@", 0, 1},
      {"a plus sign reads 0", "@@+7@@" + r + "@@", 0, 1},
      {"no second separator", "@@25", 0, 0},
      {"failure text", "Error", 0, 0},
      {"empty", "", 0, 0},
      {"total beyond 32 bits saturates", "@@99999999999@@" + r + "@@", 2147483647, 1},
      {"dropped record still counts in the total", "@@2@@" + r + "@@bad@@", 2, 1},
  };
  for (const auto& c : cases) {
    const CountedPage page = ParseCountedPage(c.body);
    EXPECT_EQ(page.total, c.total) << c.name;
    EXPECT_EQ(page.records.size(), c.records) << c.name;
  }
}

TEST(ParseIdListTest, Pairs) {
  const struct {
    const char* name;
    std::string body;
    std::vector<IdPair> pairs;
  } cases[] = {
      {"two pairs in order", "@@17||4402@@16||4399@@", {{"17", "4402"}, {"16", "4399"}}},
      {"empty information id delivered", "@@17||@@", {{"17", ""}}},
      {"no field separator", "@@17@@", {{"17", ""}}},
      {"empty log id dropped", "@@||4402@@18||1@@", {{"18", "1"}}},
      {"log id with | dropped", "@@1|7||4402@@", {}},
      {"second field keeps later separators", "@@17||44||02@@", {{"17", "44||02"}}},
      {"no separator at all", "17||4402", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIdList(c.body), c.pairs) << c.name;
}

TEST(HasItemsTest, OnlyARealItemSeparatorCounts) {
  EXPECT_TRUE(HasItems("@@"));
  EXPECT_TRUE(HasItems("xx@@yy"));
  EXPECT_FALSE(HasItems("Error"));
  EXPECT_FALSE(HasItems(""));
  EXPECT_FALSE(HasItems("<html>@</html>"));
  EXPECT_FALSE(HasItems(G("園") + "@"));  // 0x40 trail byte, then one "@"
  EXPECT_TRUE(HasItems(G("園") + "@@"));
}

// The separator search against the plain forward walk it stands for: a lead
// byte 0x81-0xFE takes the next byte with it when that byte is 0x40-0xFE.
std::size_t ReferenceFind(std::string_view text, std::string_view needle, std::size_t from) {
  std::size_t i = from;
  while (i < text.size()) {
    if (text.compare(i, needle.size(), needle) == 0) return i;
    const auto c = static_cast<unsigned char>(text[i]);
    const bool pair = c >= 0x81 && c <= 0xFE && i + 1 < text.size() &&
                      static_cast<unsigned char>(text[i + 1]) >= 0x40 &&
                      static_cast<unsigned char>(text[i + 1]) <= 0xFE;
    i += pair ? 2 : 1;
  }
  return std::string_view::npos;
}

TEST(FindSeparatorTest, AgreesWithTheCharacterWalkOnRandomGbk) {
  std::mt19937 random(11);
  const char alphabet[] = {'@',    '|',    'a',    '1',    '\x81', '\xB1',
                           '\xFE', '\xFF', '\x40', '\x7C', '\x0A', '\x80'};
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 24, '\0');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    for (std::string_view needle : {"@@", "||", "@", "|", "@@@@@"}) {
      ASSERT_EQ(FindSeparator(text, needle), ReferenceFind(text, needle, 0))
          << "round " << round << " needle " << needle;
    }
  }
}

}  // namespace
}  // namespace tv
