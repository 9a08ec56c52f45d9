#include "detail/detail_friend_rules.h"

#include <gtest/gtest.h>

#include <set>

#include "detail_fixtures.h"

namespace tv {
namespace {

using detail_test::G;
using detail_test::Member;
using detail_test::PublisherMessage;
using detail_test::Viewer;

TEST(AddFriendRules, NotLoggedInIsSilent) {
  DetailViewer viewer = Viewer(Member::kFull);
  viewer.logged_in = false;
  EXPECT_EQ(AddFriendOpening(PublisherMessage(), viewer).kind, AddFriendGate::Kind::kSilent);
}

TEST(AddFriendRules, RefusalsAfterTheQuestionInTheirOrder) {
  const std::set<std::string> friends = {"3003", "2002"};
  struct Case {
    const char* name;
    std::string company;
    std::string flag;
    bool listed;
    std::string expected;
  };
  const Case cases[] = {
      {"already listed", G("鲁达物流"), "2002", true,
       G("＂鲁达物流(2002)＂已经添加到好友列表,请不要重复添加!")},
      // Listed wins over an empty company: the table is looked at first.
      {"listed without company", "", "2002", true,
       G("＂(2002)＂已经添加到好友列表,请不要重复添加!")},
      {"no company", "", "4004", false, G("您要添加好友的公司名称为空,无法添加为好友!")},
      {"oneself", G("自家"), "1001", false, G("您不能添加自己为好友!")},
      {"oneself, read as a number", G("自家"), " 1001abc", false, G("您不能添加自己为好友!")},
      {"someone else", G("鲁达物流"), "4004", false, ""},
      {"digits beyond any id", G("鲁达物流"), "99999999999999999999999", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentMessage m = PublisherMessage();
    m.Company = c.company;
    m.Flag = c.flag;
    FriendListedCheck listed = [&](std::string_view id) {
      return c.listed && friends.count(std::string(id)) > 0;
    };
    EXPECT_EQ(AddFriendRefusal(m, Viewer(Member::kFull), listed), c.expected);
  }
}

TEST(AddFriendRules, DecimalValueReadsLikeTheService) {
  struct Case {
    const char* text;
    std::int64_t value;
  };
  const Case cases[] = {
      {"1001", 1001}, {"  42x", 42}, {"-7", -7}, {"+8", 8},
      {"abc", 0},     {"", 0},       {"0", 0},   {"99999999999999999999", INT64_MAX}};
  for (const Case& c : cases) EXPECT_EQ(DecimalValue(c.text), c.value) << c.text;
}

TEST(AddFriendRules, PathEncodesCompanyAndIdentifier) {
  CurrentMessage m = PublisherMessage();
  m.Company = G("鲁达 A&B");
  EXPECT_EQ(AddFriendPath(m, 1001),
            "/qavel/client/GetFrindInfo.asp?action=AddFrindInfo&Msg_Company=%C2%B3%B4%EF+A%26B"
            "&Msg_QQ=&Msg_NetPhone=&Msg_Flag=2002&UserID=1001");
  // An identifier that is not digits cannot add parameters of its own.
  m.Flag = "1&UserID=5";
  EXPECT_NE(AddFriendPath(m, 1001).find("Msg_Flag=1%26UserID%3D5&UserID=1001"), std::string::npos);
}

TEST(AddFriendRules, AnswerReading) {
  using Kind = AddFriendAnswer::Kind;
  struct Case {
    std::string answer;
    AddFriendAnswer expected;
  };
  const Case cases[] = {
      {"Error", {Kind::kNotice, G("添加失败,请检查网络是否正常连接后重试!")}},
      {"AddOK\r\n345", {Kind::kAdded, "345"}},
      {"AddOKxx345", {Kind::kAdded, "345"}},
      {"AddOK", {Kind::kNotice, G("添加失败,请稍后重试!")}},
      {"AddOK\r\n", {Kind::kNotice, G("添加失败,请稍后重试!")}},
      {"AddOK1", {Kind::kNotice, G("添加失败,请稍后重试!")}},
      {"addok\r\n345", {}},
      {"Exists", {}},
      {"", {}},
      {"ErrorX", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAddFriendAnswer(c.answer), c.expected) << c.answer;
}

}  // namespace
}  // namespace tv
