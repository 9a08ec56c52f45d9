// "我发布的信息": anyone may look at a member's messages; only the member,
// signed in on the page (or through its client's session key), withdraws
// them, marks them closed or publishes them again, and every running client
// learns of it from the deletion and closure logs it polls.
#include <gtest/gtest.h>

#include <set>

#include "service_client.h"
#include "sign_in_throttle.h"
#include "web_browser.h"

namespace tv::test {
namespace {

constexpr char kPage[] = "/qavel/manager/myinfos.asp";

std::string PageOf(const std::string& flag) { return std::string(kPage) + "?userid=" + flag; }

std::int64_t Publish(const ServiceClient& client, const MemberLogin& m, const std::string& text) {
  EXPECT_EQ(client.Post(OwnPublishPath(m, text)), "AddOK") << text;
  return std::stoll(client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + m.flag));
}

WebBrowser Browser(const LocalService& service) { return WebBrowser("127.0.0.1", service.port()); }

void SignIn(WebBrowser& b, const std::string& flag, const std::string& password) {
  const WebPage in = b.Post(kPage, {{"userid", flag}, {"do", "login"}, {"password", password}});
  ASSERT_EQ(in.status, 303) << in.text;
  ASSERT_EQ(in.location, PageOf(flag) + "&done=in");
}

// Asks for the action on the message, then confirms it as the page does.
WebPage Act(WebBrowser& b, const std::string& flag, std::int64_t id, const std::string& what) {
  const std::string token = WebBrowser::Field(b.Get(PageOf(flag)), "token");
  EXPECT_FALSE(token.empty());
  const std::vector<std::pair<std::string, std::string>> form = {
      {"userid", flag}, {"id", std::to_string(id)}, {"do", what}, {"token", token}};
  const WebPage ask = b.Post(kPage, form);
  EXPECT_EQ(ask.status, 200);
  EXPECT_NE(ask.text.find("请确认"), std::string::npos);
  auto confirmed = form;
  confirmed.emplace_back("confirm", "1");
  return b.Post(kPage, confirmed);
}

class MemberPages : public SharedServiceTest {
 protected:
  static void SetUpTestSuite() { StartShared({"--demo", "--demo-count", "20"}); }
  static void TearDownTestSuite() { StopShared(); }
  void SetUp() override {
    vip_ = LogIn(client(), "demo_vip", "vip123");
    other_ = LogIn(client(), "demo_nopub", "nopub123");
  }
  WebBrowser Browser() { return WebBrowser("127.0.0.1", std::stoi(client().host().substr(10))); }

  MemberLogin vip_, other_;
};

TEST_F(MemberPages, AnyoneReadsOnlyTheSignedInMemberGetsActions) {
  const std::int64_t id = Publish(client(), vip_, "郑州到西安 整车 <b>急</b> & \"加急\"");
  WebBrowser b = Browser();
  WebPage open = b.Get(PageOf(vip_.flag));
  ASSERT_EQ(open.status, 200);
  EXPECT_NE(open.text.find("id=\"m" + std::to_string(id) + "\""), std::string::npos);
  // Text of members stays text.
  EXPECT_NE(open.text.find("&lt;b&gt;急&lt;/b&gt; &amp; &quot;加急&quot;"), std::string::npos);
  EXPECT_EQ(open.text.find("<b>急</b>"), std::string::npos);
  EXPECT_NE(open.text.find("在线"), std::string::npos);
  EXPECT_TRUE(WebBrowser::Field(open, "token").empty());
  EXPECT_NE(open.text.find("type=\"password\""), std::string::npos);

  const WebPage wrong =
      b.Post(kPage, {{"userid", vip_.flag}, {"do", "login"}, {"password", "not-it"}});
  EXPECT_EQ(wrong.status, 200);
  EXPECT_NE(wrong.text.find("密码错误"), std::string::npos);
  EXPECT_TRUE(wrong.set_cookie.empty());

  const WebPage in =
      b.Post(kPage, {{"userid", vip_.flag}, {"do", "login"}, {"password", "vip123"}});
  ASSERT_EQ(in.status, 303);
  EXPECT_NE(in.set_cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(in.set_cookie.find("SameSite=Strict"), std::string::npos);
  EXPECT_FALSE(WebBrowser::Field(b.Get(PageOf(vip_.flag)), "token").empty());

  // Signed in as one member, another member's page shows no actions.
  const WebPage others = b.Get(PageOf(other_.flag));
  EXPECT_EQ(others.status, 200);
  EXPECT_TRUE(WebBrowser::Field(others, "token").empty());
  EXPECT_NE(others.text.find("只能管理自己发布的信息"), std::string::npos);

  const WebPage out = b.Post(kPage, {{"userid", vip_.flag}, {"do", "logout"}});
  EXPECT_EQ(out.status, 303);
  EXPECT_TRUE(WebBrowser::Field(b.Get(PageOf(vip_.flag)), "token").empty());
}

TEST_F(MemberPages, TheClientsSessionKeyOpensThePageForItsMemberOnly) {
  Publish(client(), vip_, "钥匙测试：郑州到太原 建材");
  WebBrowser b = Browser();
  const WebPage mine = b.Get(PageOf(vip_.flag) + "&SessionKey=" + vip_.key);
  EXPECT_EQ(mine.status, 303);
  EXPECT_FALSE(mine.set_cookie.empty()) << mine.location;
  EXPECT_EQ(mine.location.find("SessionKey"), std::string::npos) << mine.location;
  EXPECT_FALSE(WebBrowser::Field(b.Get(PageOf(vip_.flag)), "token").empty());

  WebBrowser c = Browser();
  const WebPage foreign = c.Get(PageOf(vip_.flag) + "&SessionKey=" + other_.key);
  EXPECT_EQ(foreign.status, 303);
  EXPECT_TRUE(foreign.set_cookie.empty());
  EXPECT_TRUE(WebBrowser::Field(c.Get(PageOf(vip_.flag)), "token").empty());
}

TEST_F(MemberPages, ActionsGoThroughTheLogsClientsPoll) {
  const std::int64_t gone = Publish(client(), vip_, "撤回测试：武汉到成都 冷链");
  const std::int64_t sold = Publish(client(), vip_, "成交测试：郑州到广州 家电");
  const std::int64_t again = Publish(client(), vip_, "重发测试：郑州到上海 机械");
  WebBrowser b = Browser();
  SignIn(b, vip_.flag, "vip123");

  // Asked, not yet confirmed: nothing changes.
  const std::string token = WebBrowser::Field(b.Get(PageOf(vip_.flag)), "token");
  b.Post(
      kPage,
      {{"userid", vip_.flag}, {"id", std::to_string(gone)}, {"do", "withdraw"}, {"token", token}});
  EXPECT_FALSE(Deleted(client()).count(gone));

  EXPECT_EQ(Act(b, vip_.flag, gone, "withdraw").location, PageOf(vip_.flag) + "&done=withdraw");
  EXPECT_EQ(Act(b, vip_.flag, sold, "close").status, 303);
  EXPECT_EQ(Act(b, vip_.flag, again, "bump").status, 303);

  const auto deleted = Deleted(client());
  EXPECT_TRUE(deleted.count(gone));
  EXPECT_TRUE(deleted.count(again));  // the bumped copy gives way
  EXPECT_FALSE(deleted.count(sold));
  EXPECT_TRUE(Closed(client()).count(sold));
  const std::int64_t newest =
      std::stoll(client().Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + vip_.flag));
  EXPECT_GT(newest, again);

  const WebPage page = b.Get(PageOf(vip_.flag));
  const auto block = [&](std::int64_t id) {
    const std::size_t at = page.text.find("id=\"m" + std::to_string(id) + "\"");
    return at == std::string::npos ? std::string() : page.text.substr(at, 400);
  };
  EXPECT_NE(block(gone).find("已撤回"), std::string::npos);
  EXPECT_NE(block(sold).find("已成交"), std::string::npos);
  EXPECT_NE(block(newest).find("重发 1 次"), std::string::npos) << block(newest);
  EXPECT_TRUE(block(again).empty()) << "the replaced copy is listed once, as the new one";
}

TEST_F(MemberPages, ForgedActionsAreRefused) {
  const std::int64_t mine = Publish(client(), vip_, "伪造测试：郑州到兰州 百货");
  WebBrowser owner = Browser();
  SignIn(owner, vip_.flag, "vip123");
  const std::string token = WebBrowser::Field(owner.Get(PageOf(vip_.flag)), "token");
  WebBrowser stranger = Browser();
  SignIn(stranger, other_.flag, "nopub123");
  const std::string stranger_token = WebBrowser::Field(stranger.Get(PageOf(other_.flag)), "token");
  WebBrowser anonymous = Browser();

  struct Case {
    const char* what;
    WebBrowser* browser;
    std::string userid, token;
  };
  const Case cases[] = {
      {"no session", &anonymous, vip_.flag, token},
      {"another member's session, its own token", &stranger, vip_.flag, stranger_token},
      {"another member's session on its own number", &stranger, other_.flag, stranger_token},
      {"the owner without a token", &owner, vip_.flag, ""},
      {"the owner with another session's token", &owner, vip_.flag, stranger_token},
  };
  for (const Case& c : cases) {
    for (const char* action : {"withdraw", "close", "bump"}) {
      const WebPage refused = c.browser->Post(kPage, {{"userid", c.userid},
                                                      {"id", std::to_string(mine)},
                                                      {"do", action},
                                                      {"token", c.token},
                                                      {"confirm", "1"}});
      EXPECT_EQ(refused.status, 403) << c.what << " " << action;
    }
  }
  EXPECT_FALSE(Deleted(client()).count(mine));
  EXPECT_FALSE(Closed(client()).count(mine));
  EXPECT_EQ(std::stoll(client().Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + vip_.flag)), mine);
}

TEST(MemberPagesBump, CountsAgainstTheDailyQuotaAndTheMembersInterval) {
  LocalService service({"--demo", "--demo-count", "0", "--quota", "2"});
  ASSERT_TRUE(service.ok()) << service.error();
  const ServiceClient client(service);
  const MemberLogin vip = LogIn(client, "demo_vip", "vip123");
  Publish(client, vip, "配额测试一");
  const std::int64_t second = Publish(client, vip, "配额测试二");
  WebBrowser b = Browser(service);
  SignIn(b, vip.flag, "vip123");
  const WebPage full = Act(b, vip.flag, second, "bump");
  EXPECT_EQ(full.status, 200);
  EXPECT_NE(full.text.find("今天的发布数量已满"), std::string::npos);

  // demo_member waits 30 seconds between publications.
  const MemberLogin member = LogIn(client, "demo_member", "member123");
  const std::int64_t own = Publish(client, member, "间隔测试");
  WebBrowser m = Browser(service);
  SignIn(m, member.flag, "member123");
  const WebPage soon = Act(m, member.flag, own, "bump");
  EXPECT_NE(soon.text.find("发布太频繁了"), std::string::npos);
  EXPECT_FALSE(Deleted(client).count(own));
}

TEST(MemberPagesSignIn, GuessingThePasswordIsSlowedDown) {
  LocalService service({"--demo", "--demo-count", "0"});
  ASSERT_TRUE(service.ok()) << service.error();
  WebBrowser b = Browser(service);
  const auto try_password = [&](const std::string& password) {
    return b.Post(kPage, {{"userid", "10001"}, {"do", "login"}, {"password", password}});
  };
  for (int i = 0; i < SignInThrottle::kFreeFailures; ++i) {
    EXPECT_NE(try_password("guess").text.find("密码错误。"), std::string::npos) << i;
  }
  // Held back now: even the right password waits, and no session comes.
  const WebPage held = try_password("vip123");
  EXPECT_NE(held.text.find("密码错误次数太多"), std::string::npos);
  EXPECT_TRUE(held.set_cookie.empty());
}

}  // namespace
}  // namespace tv::test
