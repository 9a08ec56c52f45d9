// Login answers per kind of member, registration, and the friends list.
#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "net/login_answer.h"
#include "net/query_encoding.h"
#include "service_client.h"

namespace tv::test {
namespace {

std::string LoginPath(const std::string& user, const std::string& password) {
  return "client_login.asp?action=Login_Client&loginSign=0&username=" + EncodeQueryValue(user) +
         "&password=" + EncodeQueryValue(password);
}

struct Place {
  const char* province = "安徽省";
  const char* city = "合肥";
  const char* town = "市区";
};

std::string RegisterPath(const std::string& user, const std::string& password,
                         const std::string& name_utf8 = "张三", const Place& place = {}) {
  return "Register.asp?action=Reg&username=" + EncodeQueryValue(user) +
         "&password=" + EncodeQueryValue(password) + "&name1=" + Q(name_utf8) + "&sex=" + Q("女") +
         "&company=" + Q("合肥远航物流") + "&province=" + Q(place.province) +
         "&city=" + Q(place.city) + "&url=&sj=13955100000&tel=" + Q("0551-6543210") +
         "&tel1=8001&sj1=123456" + "&email=a%40b.cn&address=&post=&town=" + Q(place.town);
}

struct Friend {
  std::string entry, company, qq, net_phone, user;
};

std::vector<Friend> Friends(const ServiceClient& client, const std::string& user_id,
                            const std::string& key = {}) {
  const std::string body =
      client.Get(WithSessionKey("GetFrindInfo.asp?action=GetFrindInfo&UserID=" + user_id, key));
  std::vector<Friend> out;
  EXPECT_TRUE(body.starts_with("@@")) << body;
  std::size_t pos = 2;
  while (pos < body.size()) {
    const std::size_t end = body.find("@@", pos);
    if (end == std::string::npos) break;
    std::vector<std::string> f;
    std::string item = body.substr(pos, end - pos);
    for (std::size_t bar; (bar = item.find("||")) != std::string::npos && f.size() < 4;) {
      f.push_back(item.substr(0, bar));
      item.erase(0, bar + 2);
    }
    f.push_back(item);
    EXPECT_EQ(f.size(), 5u) << item;
    if (f.size() == 5) out.push_back({f[0], f[1], f[2], f[3], f[4]});
    pos = end + 2;
  }
  return out;
}

class serviceMembers : public SharedServiceTest {
 protected:
  static void SetUpTestSuite() { StartShared({"--demo", "--demo-count", "10"}); }
  static void TearDownTestSuite() { StopShared(); }
};

TEST_F(serviceMembers, LoginAnswersEachKindOfMember) {
  struct Case {
    const char* user;
    const char* password;
    LoginOutcome outcome;
    bool no_contact, ordinary;
    int publish_right;
    const char* city;
  };
  const Case cases[] = {
      {"demo_vip", "vip123", LoginOutcome::kLoggedIn, false, false, 1, "郑州"},
      {"DEMO_VIP", "VIP123", LoginOutcome::kLoggedIn, false, false, 1, "郑州"},
      {"demo_member", "member123", LoginOutcome::kLoggedIn, false, true, 1, "武汉"},
      {"demo_nocontact", "nocontact123", LoginOutcome::kLoggedIn, true, false, 0, "北京"},
      {"demo_nopub", "nopub123", LoginOutcome::kLoggedIn, false, false, 0, "广州"},
      {"demo_vip", "wrong", LoginOutcome::kWrongPassword, false, false, 0, ""},
      {"nobody", "vip123", LoginOutcome::kUnknownUser, false, false, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + std::string(" ") + c.password);
    const std::string answer = client().Post(LoginPath(c.user, c.password));
    const LoginAnswer login = ParseLoginAnswer(answer);
    ASSERT_EQ(login.outcome, c.outcome) << U(answer);
    if (!login.ok()) continue;
    EXPECT_EQ(login.flags.NoContactRights, c.no_contact);
    EXPECT_EQ(login.flags.OrdinaryMember, c.ordinary);
    EXPECT_EQ(login.profile.PublishRight, c.publish_right);
    EXPECT_EQ(U(login.profile.City), c.city);
  }
  // The full profile of the ordinary member, field by field.
  const LoginAnswer m = ParseLoginAnswer(client().Post(LoginPath("demo_member", "member123")));
  EXPECT_EQ(m.profile.UserId, 10002);
  EXPECT_EQ(U(m.profile.RealName), "李秀英");
  EXPECT_EQ(U(m.profile.Sex), "女");
  EXPECT_EQ(U(m.profile.Company), "武汉顺通货运信息部");
  EXPECT_EQ(m.profile.Phone, "027-83456789");
  EXPECT_EQ(m.profile.MemberStatus, -1);
  EXPECT_EQ(m.profile.ContactWaitFlag, 1);
  EXPECT_EQ(m.profile.ContactWaitSeconds, 10);
  EXPECT_EQ(U(m.profile.Province), "湖北省");
  EXPECT_EQ(m.profile.PublishWaitSeconds, 30);
  EXPECT_EQ(m.profile.ContentLimit, 100);
  EXPECT_FALSE(m.profile.SiteTitle.empty());
}

// The demo service names one hotline wherever it names one, and it is the one
// the client shows when a profile leaves its service line empty.
TEST_F(serviceMembers, OneHotlineEverywhere) {
  const std::string_view own = kHotlineUtf8;
  const std::string hotline(own.substr(own.find("400-")));
  const LoginAnswer vip = ParseLoginAnswer(client().Post(LoginPath("demo_vip", "vip123")));
  ASSERT_TRUE(vip.ok());
  const std::string line = U(vip.profile.ServiceLine);
  EXPECT_NE(line.find(hotline), std::string::npos) << line;
  for (const char* path :
       {"/kefu/", "/reg_read.asp", "/qavel/client/adv/adv02.asp?city=%D6%A3%D6%DD"}) {
    const std::string page = U(client().Plain(path));
    std::size_t found = 0;
    for (std::size_t at = page.find("400-"); at != std::string::npos;
         at = page.find("400-", at + 1)) {
      EXPECT_EQ(page.substr(at, hotline.size()), hotline) << path;
      ++found;
    }
    EXPECT_GT(found, 0u) << path;
  }
}

TEST_F(serviceMembers, RegistrationCreatesOrdinaryMembers) {
  EXPECT_TRUE(client().Post(RegisterPath("wang01", "secret1")).starts_with("RegSuccess"));
  EXPECT_EQ(client().Post(RegisterPath("WANG01", "other99")), "HasReged");
  const LoginAnswer login = ParseLoginAnswer(client().Post(LoginPath("wang01", "SECRET1")));
  ASSERT_TRUE(login.ok());
  EXPECT_TRUE(login.flags.OrdinaryMember);
  EXPECT_EQ(login.profile.Phone, "0551-6543210");
  EXPECT_EQ(login.profile.Mobile, "13955100000");
  EXPECT_EQ(login.profile.Extension, "8001");
  EXPECT_EQ(login.profile.NetPhone, "123456");
  EXPECT_EQ(U(login.profile.City), "合肥");
  EXPECT_EQ(U(login.profile.Province), "安徽省");
  EXPECT_EQ(U(login.profile.RealName), "张三");

  // What the form refuses is refused here too, and nothing is stored.
  struct Case {
    std::string user, password, name;
  };
  const Case refused[] = {{"abc", "secret1", "张三"},
                          {Utf8ToGbk("王五六七"), "secret1", "张三"},
                          {"same01", "SAME01", "张三"},
                          {"toolongusername123456", "secret1", "张三"},
                          {"pass01", Utf8ToGbk("密码12"), "张三"},
                          {"noname1", "secret1", ""}};
  for (const Case& c : refused) {
    EXPECT_EQ(client().Post(RegisterPath(c.user, c.password, c.name)), "RegError") << c.user;
    EXPECT_EQ(ParseLoginAnswer(client().Post(LoginPath(c.user, c.password))).outcome,
              LoginOutcome::kUnknownUser);
  }
}

// Where a member sits decides its first list and caption: only places of
// the region directory are taken, stored as the directory names them.
TEST_F(serviceMembers, RegistrationTakesOnlyPlacesOfTheDirectory) {
  struct Case {
    const char* user;
    Place place;
    bool taken;
  };
  const Case cases[] = {
      {"place01", {"火星", "", ""}, false},
      {"place02", {"安徽省", "", ""}, false},
      {"place03", {"安徽省", "武汉", ""}, false},
      {"place04", {"安徽省", "合肥", "江岸"}, false},
      {"place05", {"所属省份", "所属城市", ""}, false},
      {"place06", {"海南省", "海口", ""}, true},
      {"place07", {"澳门特区", " 路氹城 ", ""}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    const std::string answer = client().Post(RegisterPath(c.user, "secret1", "张三", c.place));
    const LoginAnswer login = ParseLoginAnswer(client().Post(LoginPath(c.user, "secret1")));
    if (!c.taken) {
      EXPECT_EQ(answer, "RegError");
      EXPECT_EQ(login.outcome, LoginOutcome::kUnknownUser);
      continue;
    }
    EXPECT_TRUE(answer.starts_with("RegSuccess")) << answer;
    ASSERT_TRUE(login.ok());
    EXPECT_EQ(U(login.profile.Province), c.place.province);
    EXPECT_EQ(U(login.profile.City), c.place.city);
  }
}

TEST_F(serviceMembers, PasswordsMayHoldBlanks) {
  EXPECT_TRUE(client().Post(RegisterPath("blank01", "a b c d")).starts_with("RegSuccess"));
  EXPECT_TRUE(ParseLoginAnswer(client().Post(LoginPath("blank01", "A B C D"))).ok());
}

TEST(serviceApproval, RegistrationsWaitForApproval) {
  LocalService service({"--approve"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  EXPECT_EQ(client.Post(RegisterPath("later1", "secret1")), "RegNoGo");
  EXPECT_EQ(client.Post(LoginPath("later1", "secret1")), "NotGoSign");
}

TEST(serviceStore, MembersAndMessagesOutliveARestart) {
  LocalService scratch;  // only for its empty store, kept after it stops
  ASSERT_TRUE(scratch.ok()) << scratch.error();
  scratch.Stop();
  const std::string db = scratch.db_path();
  std::string total;
  {
    LocalService first({"--db", db, "--demo", "--demo-count", "20"});
    ASSERT_TRUE(first.ok()) << first.error();
    ServiceClient client(first);
    ASSERT_TRUE(client.Post(RegisterPath("keep01", "secret1")).starts_with("RegSuccess"));
    total = client.Get("GetTNums.asp?action=getnum");
  }
  LocalService second({"--db", db, "--demo", "--demo-count", "20"});
  ASSERT_TRUE(second.ok()) << second.error();
  ServiceClient client(second);
  EXPECT_TRUE(ParseLoginAnswer(client.Post(LoginPath("keep01", "secret1"))).ok());
  EXPECT_EQ(client.Get("GetTNums.asp?action=getnum"), total);  // no second demo fill
}

TEST_F(serviceMembers, FriendsAreListedAddedAndRemoved) {
  const MemberLogin vip = LogIn(client(), "demo_vip", "vip123");
  auto signed_path = [&vip](const std::string& path) { return WithSessionKey(path, vip.key); };
  const auto before = Friends(client(), "10001", vip.key);
  ASSERT_EQ(before.size(), 4u);
  EXPECT_EQ(before[0].user, "10002");
  EXPECT_EQ(U(before[0].company), "武汉顺通货运信息部");

  // demo_nopub (10004) is not yet a friend of demo_vip.
  const std::string added = client().Post(
      signed_path("GetFrindInfo.asp?action=AddFrindInfo&Msg_Company=" + Q("广州畅达运输有限公司") +
                  "&Msg_QQ=&Msg_NetPhone=&Msg_Flag=10004&UserID=10001"));
  ASSERT_TRUE(added.starts_with("AddOK")) << added;
  const std::string entry = added.substr(7);
  ASSERT_FALSE(entry.empty());
  auto after = Friends(client(), "10001", vip.key);
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after.back().entry, entry);
  EXPECT_EQ(after.back().user, "10004");

  // Twice, oneself, or someone who is no member: refused.
  for (const char* flag : {"10004", "10001", "999999"}) {
    EXPECT_EQ(client().Post(
                  signed_path("GetFrindInfo.asp?action=AddFrindInfo&Msg_Company=x&Msg_QQ=" +
                              std::string("&Msg_NetPhone=&Msg_Flag=") + flag + "&UserID=10001")),
              "AddError")
        << flag;
  }
  EXPECT_EQ(client().Get(signed_path("GetFrindInfo.asp?action=DelFrindInfo&UserID=" + entry)),
            "DelOK");
  EXPECT_EQ(client().Get(signed_path("GetFrindInfo.asp?action=DelFrindInfo&UserID=" + entry)),
            "DelError");
  EXPECT_EQ(Friends(client(), "10001", vip.key).size(), 4u);
  EXPECT_TRUE(Friends(client(), "424242").empty());
}

}  // namespace
}  // namespace tv::test
