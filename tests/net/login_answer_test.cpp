// The login answer: keywords, the "@@@@@" profile, flags and notices.
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "net/login_answer.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

// An answer carrying `fields`, each between two separators, after some head text.
std::string Answer(const std::vector<std::string>& fields) {
  std::string answer = "OK";
  for (const auto& field : fields) answer += "@@@@@" + field;
  return answer + "@@@@@";
}

// The 27 fields of a member in good standing (status 0).
std::vector<std::string> MemberFields() {
  return {"1001",
          G("张三"),
          G("男"),
          G("速达物流"),
          "010-1234567",
          "13800000000",
          "0",
          "1",
          "9",
          G("货运信息"),
          G("热线 400-1"),
          "95000",
          "808",
          G("北京"),
          G("北京市"),
          "r16",
          "r17",
          "r18",
          "r19",
          "30",
          "5",
          "120",
          "23",
          "24",
          "25",
          "r26",
          "r27"};
}

TEST(ParseLoginAnswerTest, KeywordsGiveTheirNotice) {
  const struct {
    std::string answer;
    LoginOutcome outcome;
    const char* notice;
  } cases[] = {
      {"Error", LoginOutcome::kNetworkFailure, "     登录失败,请检查网络是否连接正常!     "},
      {"", LoginOutcome::kNetworkFailure, "     登录失败,请检查网络是否连接正常!     "},
      {"UserOrPassError", LoginOutcome::kUnknownUser, "      用户名错误或者此用户名不存在!      "},
      {"PassError", LoginOutcome::kWrongPassword, "      密码错误!      "},
  };
  for (const auto& c : cases) {
    const LoginAnswer result = ParseLoginAnswer(c.answer);
    EXPECT_EQ(result.outcome, c.outcome) << c.answer;
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(LoginNotice(result.outcome), G(c.notice)) << c.answer;
  }
  EXPECT_EQ(LoginNotice(LoginOutcome::kLoggedIn), "");
}

TEST(ParseLoginAnswerTest, NoContactRightsLogsInMasked) {
  for (const char* answer : {"NotGoSign", "NotGoInSign"}) {
    const LoginAnswer result = ParseLoginAnswer(answer);
    ASSERT_TRUE(result.ok()) << answer;
    EXPECT_TRUE(result.flags.NoContactRights);
    EXPECT_TRUE(result.flags.Masked());
    EXPECT_EQ(result.profile.PublishRight, 0);
    EXPECT_EQ(result.profile.City, G("北京"));
    EXPECT_EQ(result.profile.Province, G("北京市"));
    EXPECT_EQ(result.profile, GuestProfile());
  }
}

TEST(ParseLoginAnswerTest, MemberProfileFieldsInOrder) {
  const LoginAnswer result = ParseLoginAnswer(Answer(MemberFields()));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.flags, LoginFlags{});
  const MemberProfile& p = result.profile;
  EXPECT_EQ(p.UserId, 1001);
  EXPECT_EQ(p.RealName, G("张三"));
  EXPECT_EQ(p.Phone, "010-1234567");
  EXPECT_EQ(p.Mobile, "13800000000");
  EXPECT_EQ(p.MemberStatus, 0);
  EXPECT_EQ(p.PublishRight, 1);  // field 8 follows field 7 directly
  EXPECT_EQ(p.SiteTitle, G("货运信息"));
  EXPECT_EQ(p.ServiceLine, G("热线 400-1"));
  EXPECT_EQ(p.NetPhone, "95000");
  EXPECT_EQ(p.Extension, "808");
  EXPECT_EQ(p.City, G("北京"));
  EXPECT_EQ(p.Province, G("北京市"));
  EXPECT_EQ(p.PublishWaitSeconds, 30);
  EXPECT_EQ(p.InfoNum, 5);
  EXPECT_EQ(p.ContentLimit, 120);
  EXPECT_EQ(p.Reserved25, 25);
  EXPECT_EQ(p.Reserved27, "r27");
}

TEST(ParseLoginAnswerTest, NegativeStatusCarriesTwoMoreFields) {
  auto fields = MemberFields();
  fields[6] = "-1";
  fields.insert(fields.begin() + 7, {"1", "15"});
  const LoginAnswer result = ParseLoginAnswer(Answer(fields));
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result.flags.OrdinaryMember);
  EXPECT_EQ(result.profile.MemberStatus, -1);
  EXPECT_EQ(result.profile.ContactWaitFlag, 1);
  EXPECT_EQ(result.profile.ContactWaitSeconds, 15);
  EXPECT_EQ(result.profile.PublishRight, 1);
  EXPECT_EQ(result.profile.Province, G("北京市"));
  EXPECT_EQ(result.profile.Reserved27, "r27");
}

TEST(ParseLoginAnswerTest, TouchingSeparatorsOnRequiredFieldsFail) {
  auto no_phone = MemberFields();
  no_phone[4] = "";
  auto no_status = MemberFields();
  no_status[6] = "";
  const LoginAnswer phone = ParseLoginAnswer(Answer(no_phone));
  EXPECT_EQ(phone.outcome, LoginOutcome::kEmptyPhone);
  EXPECT_EQ(LoginNotice(phone.outcome), G("     会员电话号码为空,请修改资料后重新登录!     "));
  const LoginAnswer status = ParseLoginAnswer(Answer(no_status));
  EXPECT_EQ(status.outcome, LoginOutcome::kNoStatus);
  EXPECT_EQ(LoginNotice(status.outcome), G("     获取数据失败,请重新登录或与网管中心联系!     "));
}

TEST(ParseLoginAnswerTest, ShortOrOddAnswersAreNotRefusedForThat) {
  // No separator at all: an all-empty profile, and the login goes on.
  const LoginAnswer bare = ParseLoginAnswer("Welcome");
  EXPECT_TRUE(bare.ok());
  EXPECT_EQ(bare.profile, MemberProfile{});

  // Ends after field 10 with an unclosed field 11: the rest stays cleared.
  auto fields = MemberFields();
  fields.resize(10);
  const LoginAnswer cut = ParseLoginAnswer(Answer(fields) + "unclosed");
  ASSERT_TRUE(cut.ok());
  EXPECT_EQ(cut.profile.SiteTitle, G("货运信息"));
  EXPECT_EQ(cut.profile.ServiceLine, "");
  EXPECT_EQ(cut.profile.ContentLimit, 0);

  // Empty optional fields keep their cleared value; numbers that are not
  // numbers read 0.
  fields = MemberFields();
  fields[1] = "";
  fields[0] = "abc";
  const LoginAnswer odd = ParseLoginAnswer(Answer(fields));
  ASSERT_TRUE(odd.ok());
  EXPECT_EQ(odd.profile.UserId, 0);
  EXPECT_EQ(odd.profile.RealName, "");
  EXPECT_EQ(odd.profile.Sex, G("男"));
}

TEST(ParseLoginAnswerTest, TextsAreGbkAwareAndFitTheirFields) {
  auto fields = MemberFields();
  fields[3] = G("花園");                  // ends in a 0x40 trail byte right before "@@@@@"
  fields[1] = G("一二三四五六七八九十");  // 20 bytes: one character too many for 19
  fields[2] = "abcdefgh";
  const LoginAnswer result = ParseLoginAnswer(Answer(fields));
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.profile.Company, G("花園"));
  EXPECT_EQ(result.profile.Phone, "010-1234567");
  EXPECT_EQ(result.profile.RealName, G("一二三四五六七八九"));
  EXPECT_EQ(result.profile.Sex, "abcd");
}

}  // namespace
}  // namespace tv
