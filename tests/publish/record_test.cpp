// The publication record keeps every text inside its field, and the texts
// derived from a form's choices: type name and code, the history text.
#include <gtest/gtest.h>

#include <functional>

#include "publish/publish_record.h"
#include "publish_test_util.h"

namespace tv {
namespace {

using test::G;
using test::U;

TEST(PublishRecord, RefusesAnyTextThatDoesNotFitItsField) {
  struct Case {
    const char* field;
    std::size_t capacity;
    std::function<void(PublishFields&, std::string)> set;
  } cases[] = {
      {"member city", 50, [](PublishFields& f, std::string t) { f.member_city = t; }},
      {"departure city", 100, [](PublishFields& f, std::string t) { f.departure_city = t; }},
      {"content", 400, [](PublishFields& f, std::string t) { f.content = t; }},
      {"member number", 12, [](PublishFields& f, std::string t) { f.member_number = t; }},
      {"contact line", 200, [](PublishFields& f, std::string t) { f.contact_line = t; }},
      {"type code", 5, [](PublishFields& f, std::string t) { f.type_code = t; }},
      {"history text", 400, [](PublishFields& f, std::string t) { f.history_text = t; }},
  };
  for (const Case& c : cases) {
    PublishFields fields;
    c.set(fields, std::string(c.capacity - 1, 'x'));
    const auto fits = PublishRecord::Make(fields);
    ASSERT_TRUE(fits) << c.field;
    c.set(fields, std::string(c.capacity, 'x'));
    EXPECT_FALSE(PublishRecord::Make(fields)) << c.field;
  }
}

TEST(PublishRecord, HoldsEveryThirtyTwoBitMemberNumber) {
  PublishFields fields;
  fields.member_number = std::to_string(INT32_MIN);
  ASSERT_TRUE(PublishRecord::Make(fields));
  EXPECT_EQ(PublishRecord::Make(fields)->member_number.str(), "-2147483648");
}

TEST(InfoTypes, NameAndCodeOfEachType) {
  struct Case {
    const char* type;
    const char* name;
    const char* code;
  } cases[] = {
      {"即时货源", "货源", "0"}, {"长期货源", "货源", "0"},     {"即时车源", "车源", "1"},
      {"长期车源", "车源", "1"}, {"其他信息", "其他信息", "8"}, {"", "", "8"},
  };
  for (const Case& c : cases) {
    const InfoType type = DeriveInfoType(G(c.type));
    EXPECT_EQ(U(type.name), c.name) << c.type;
    EXPECT_EQ(type.code, c.code) << c.type;
  }
}

TEST(HistoryTexts, SplitOnlyWhatHasTheirShape) {
  EXPECT_EQ(U(HistoryText(G("货源"), G("济宁→北京"))), "货源：济宁→北京");
  struct Case {
    std::string text;
    bool parses;
    const char* name;
    const char* content;
  } cases[] = {
      {G("货源：济宁→北京"), true, "货源", "济宁→北京"},
      {G("车源："), true, "车源", ""},
      {G("abcd：T"), true, "abcd", "T"},
      {"Error", false, "", ""},
      {G("货源"), false, "", ""},
      {G("货源:T"), false, "", ""},    // an ASCII colon
      {G("a货源：T"), false, "", ""},  // the name does not end after four bytes
  };
  for (const Case& c : cases) {
    const auto entry = SplitHistoryText(c.text);
    ASSERT_EQ(entry.has_value(), c.parses) << U(c.text);
    if (!entry) continue;
    EXPECT_EQ(U(entry->type_name), c.name);
    EXPECT_EQ(U(entry->content), c.content);
  }
}

TEST(HistoryTexts, LoopTypeCodes) {
  EXPECT_EQ(LoopTypeCode(G("货源")), "0");
  EXPECT_EQ(LoopTypeCode(G("车源")), "1");
  EXPECT_EQ(LoopTypeCode(G("其他")), "2");
}

}  // namespace
}  // namespace tv
