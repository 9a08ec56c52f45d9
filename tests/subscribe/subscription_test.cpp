// A subscription from what the member typed, its request and its local
// filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/gbk.h"
#include "subscribe/subscription.h"
#include "subscribe/subscription_match.h"

namespace tv {
namespace {

std::string G(const char* utf8) { return Utf8ToGbk(utf8); }

std::vector<std::string> GbkList(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* text : utf8) out.push_back(G(text));
  return out;
}

SubscriptionInput Route(std::vector<std::string> from, std::vector<std::string> to) {
  SubscriptionInput input;
  input.departures = std::move(from);
  input.destinations = std::move(to);
  return input;
}

TEST(SubscriptionCheck, AcceptsARouteAndProposesItsName) {
  SubscriptionInput input = Route({" 济宁 ", "全国信息", "济宁"}, {"北京"});
  input.kind = SubscriptionKind::kCargo;
  input.must_words = {"钢材", "", "钢材"};
  input.excluded_words = {"危险品"};
  const SubscriptionCheck check = CheckSubscription(input, 9);
  ASSERT_TRUE(check.subscription) << GbkToUtf8(check.fault);
  const Subscription& s = *check.subscription;
  // Blanks, the whole-country word, empty words and repeats are gone.
  EXPECT_EQ(s.departures, GbkList({"济宁"}));
  EXPECT_EQ(s.must_words, GbkList({"钢材"}));
  EXPECT_EQ(GbkToUtf8(s.name), "济宁→北京 货源");

  input.departures = {"山东省", "泰安"};
  input.destinations = {};
  input.kind = SubscriptionKind::kAll;
  EXPECT_EQ(GbkToUtf8(CheckSubscription(input, 0).subscription->name), "山东省、泰安→全国 全部");
  input.name = "回家";
  EXPECT_EQ(GbkToUtf8(CheckSubscription(input, 0).subscription->name), "回家");
}

TEST(SubscriptionCheck, RefusesBadInputWithANotice) {
  struct Case {
    const char* what;
    SubscriptionInput input;
    int others;
    const char* fault;  // a part of the notice
  };
  SubscriptionInput emoji_word = Route({"济宁"}, {"北京"});
  emoji_word.must_words = {"钢材😀"};
  SubscriptionInput comma_word = Route({"济宁"}, {"北京"});
  comma_word.excluded_words = {"危险品,化工"};
  SubscriptionInput both = Route({"济宁"}, {"北京"});
  both.must_words = {"钢材"};
  both.excluded_words = {"钢材"};
  SubscriptionInput long_name = Route({"济宁"}, {"北京"});
  long_name.name = std::string(31 * 3, '\0');
  for (int i = 0; i < 31; ++i) long_name.name.replace(i * 3, 3, "路");
  SubscriptionInput bad_name = Route({"济宁"}, {"北京"});
  bad_name.name = "回家🚚";
  const std::vector<Case> cases = {
      {"no route", Route({}, {}), 0, "请选择出发地或目的地"},
      {"only the whole country", Route({"全国信息"}, {" "}), 0, "请选择出发地或目的地"},
      {"an eleventh", Route({"济宁"}, {"北京"}), 10, "最多只能订阅 10 条路线"},
      {"unknown region", Route({"济宁"}, {"北平"}), 0, "“北平” 不在地区列表中"},
      {"region outside GBK", Route({"济宁😀"}, {}), 0, "GBK 不能表示"},
      {"word outside GBK", emoji_word, 0, "GBK 不能表示"},
      {"comma in a word", comma_word, 0, "不能含有逗号"},
      {"must and excluded", both, 0, "不能既是必含词又是排除词"},
      {"name too long", long_name, 0, "不能超过 30 个字"},
      {"name outside GBK", bad_name, 0, "订阅名称中有无法发送的字符"},
  };
  for (const Case& c : cases) {
    const SubscriptionCheck check = CheckSubscription(c.input, c.others);
    EXPECT_FALSE(check.subscription) << c.what;
    EXPECT_NE(GbkToUtf8(check.fault).find(c.fault), std::string::npos)
        << c.what << ": " << GbkToUtf8(check.fault);
  }
}

Subscription Checked(SubscriptionInput input) {
  const SubscriptionCheck check = CheckSubscription(input, 0);
  EXPECT_TRUE(check.subscription) << GbkToUtf8(check.fault);
  return check.subscription.value_or(Subscription{});
}

TEST(SubscriptionRequest, DeparturesAsCodeDestinationsAsKeywordsKindAsType) {
  SubscriptionInput input = Route({"济宁", "泰安"}, {"北京"});
  input.kind = SubscriptionKind::kTruck;
  input.must_words = {"平板"};
  SubscriptionRequest request = RequestOf(Checked(input));
  EXPECT_EQ(GbkToUtf8(request.code), "济宁,泰安");
  // Must-have words are never sent: the page would take them as "any of".
  EXPECT_EQ(GbkToUtf8(request.keywords), "北京");
  EXPECT_EQ(request.in_type, 1);
  const std::string poll = SubscriptionNewRecordsPath(request, "1234");
  EXPECT_EQ(poll.rfind("/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=1234&Code=", 0),
            0u)
      << poll;
  EXPECT_NE(poll.find("&Code=%BC%C3%C4%FE%2C%CC%A9%B0%B2&KeyWords=%B1%B1%BE%A9&inType=1"),
            std::string::npos)
      << poll;

  // A province goes as its short name and its cities; both kinds send no
  // type; no departure is the whole country.
  input = Route({}, {"山东省"});
  request = RequestOf(Checked(input));
  EXPECT_EQ(request.code, "");
  EXPECT_FALSE(request.in_type);
  EXPECT_EQ(GbkToUtf8(request.keywords).rfind("山东,济南,青岛,", 0), 0u)
      << GbkToUtf8(request.keywords);
  EXPECT_NE(GbkToUtf8(request.keywords).find(",济宁,"), std::string::npos);
  EXPECT_EQ(SubscriptionFirstPagePath(request).find("inType"), std::string::npos);
  EXPECT_NE(SubscriptionPagePath(request, 31, 90).find("&StartNum=31&TotalNum=90&"),
            std::string::npos);
}

TEST(SubscriptionFilter, AppliesWhatTheRequestCannotSay) {
  SubscriptionInput input = Route({"济宁"}, {"北京", "山东省"});
  input.kind = SubscriptionKind::kCargo;
  input.must_words = {"钢材", "T"};
  input.excluded_words = {"危险品", "职", "abc"};
  const MatchFilter filter(Checked(input));
  struct Case {
    const char* what;
    const char* type;
    const char* content;
    bool matches;
  };
  const std::vector<Case> cases = {
      {"all there", "0", "济宁到北京 钢材20T 求9米6平板", true},
      {"a city of the province", "0", "济宁到青岛 钢材20t", true},
      {"a truck", "1", "济宁到北京 钢材20T", false},
      {"no destination named", "0", "济宁到上海 钢材20T", false},
      {"one must-have word missing", "0", "济宁到北京 钢材20吨", false},
      {"excluded", "0", "济宁到北京 钢材20T 危险品", false},
      {"excluded, other case", "0", "济宁到北京 钢材20T ABC", false},
      // "钢板" holds the bytes of "职" across its two characters.
      {"excluded only across a character boundary", "0", "济宁到北京 钢材钢板20T", true},
  };
  for (const Case& c : cases) {
    InfoRecord record;
    record.Type = c.type;
    record.Content = G(c.content);
    EXPECT_EQ(filter.Matches(record), c.matches) << c.what;
  }
}

TEST(SubscriptionFilter, AWholeCountryRouteOfBothKindsTakesEveryRecord) {
  const MatchFilter filter(Checked(Route({"济宁"}, {})));
  for (const char* type : {"0", "1", "2"}) {
    InfoRecord record;
    record.Type = type;
    record.Content = G("任意");
    EXPECT_TRUE(filter.Matches(record)) << type;
  }
}

}  // namespace
}  // namespace tv
