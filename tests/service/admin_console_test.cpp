// The operator's console and its command-line twin: only on the console's
// own address, nothing without a session, no change without the session's
// form token, and every action reaching members and running clients the way
// the service's own pages do (login answers, quota, deletion and closure
// logs), written to the audit log.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <set>

#include "net/answers.h"
#include "service_client.h"
#include "session_key.h"
#include "store.h"
#include "store_choice.h"
#include "web_browser.h"

namespace tv::test {
namespace {

constexpr char kOperator[] = "ops";
constexpr char kOperatorPassword[] = "correct horse 42";

// `tarvolo-service admin ARGS` on the service's store, `input` on its
// standard input; its standard output, and its exit status in `status`.
std::string Admin(const LocalService& service, const std::string& args, int* status,
                  const std::string& input = {}) {
  const std::string command = "printf '%s\\n' '" + input + "' | '" + LocalService::BinaryPath() +
                              "' admin --db '" + service.db_path() + "' " + args + " 2>/dev/null";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buf[4096];
  while (const std::size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
  const int rc = pclose(pipe);
  *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// The newest message of all (`nth` 1: the one before it).
std::int64_t NewestId(const ServiceClient& c, std::size_t nth = 0) {
  return std::stoll(
      ParseCountedPage(c.Get("GetSearchInfo.asp?action=GetTopDatas")).records.at(nth).InfoID);
}

std::string RegisterPath(const std::string& user, const std::string& name_utf8) {
  return "Register.asp?action=Reg&username=" + user + "&password=pass1234&name1=" + Q(name_utf8) +
         "&sex=" + Q("男") + "&company=" + Q("<b>公司</b>") + "&province=" + Q("安徽省") +
         "&city=" + Q("合肥") + "&url=&sj=13955100000&tel=" + Q("0551-6543210") +
         "&tel1=&sj1=&email=&address=&post=&town=" + Q("市区");
}

std::string LoginWord(const ServiceClient& client, const std::string& user) {
  const std::string answer = client.Post(
      "client_login.asp?action=Login_Client&loginSign=0&username=" + user + "&password=pass1234");
  return answer.starts_with("@@") ? "OK" : answer;
}

class ConsoleTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> args) {
    args.insert(args.end(), {"--admin-listen", "127.0.0.1:0"});
    service_ = std::make_unique<LocalService>(std::move(args));
    ASSERT_TRUE(service_->ok()) << service_->error();
    ASSERT_GT(service_->console_port(), 0);
    int status = 0;
    Admin(*service_, std::string("add ") + kOperator, &status, kOperatorPassword);
    ASSERT_EQ(status, 0);
  }
  WebBrowser Console() { return WebBrowser("127.0.0.1", service_->console_port()); }
  // Signs in; the browser then holds the session cookie.
  WebBrowser SignedIn() {
    WebBrowser b = Console();
    const WebPage form = b.Get("/login");
    const WebPage in = b.Post("/login", {{"token", WebBrowser::Field(form, "token")},
                                         {"name", kOperator},
                                         {"password", kOperatorPassword}});
    EXPECT_EQ(in.status, 303) << in.text;
    EXPECT_EQ(in.location, "/health");
    return b;
  }
  // Posts a console form and confirms it as the confirmation page does.
  WebPage Confirmed(WebBrowser& b, const std::string& path, const std::string& page,
                    std::vector<std::pair<std::string, std::string>> form) {
    form.emplace_back("token", WebBrowser::Field(b.Get(page), "token"));
    const WebPage ask = b.Post(path, form);
    EXPECT_NE(ask.text.find("请确认"), std::string::npos) << ask.text;
    form.emplace_back("confirm", "1");
    return b.Post(path, form);
  }
  ServiceClient client() const { return ServiceClient(*service_); }

  std::unique_ptr<LocalService> service_;
};

TEST_F(ConsoleTest, OnlyOnItsOwnAddressAndNothingWithoutASession) {
  Start({"--demo", "--demo-count", "10"});
  WebBrowser public_side("127.0.0.1", service_->port());
  for (const char* path : {"/login", "/members", "/health", "/audit", "/metrics"}) {
    EXPECT_EQ(public_side.Get(path).status, 404) << path;
  }
  WebBrowser b = Console();
  for (const char* path : {"/", "/health", "/members", "/member?id=10001", "/messages", "/audit"}) {
    const WebPage page = b.Get(path);
    EXPECT_EQ(page.status, 303) << path;
    EXPECT_EQ(page.location, "/login") << path;
  }
  for (const char* path : {"/member", "/message", "/logout"}) {
    EXPECT_EQ(b.Post(path, {{"id", "1"}, {"do", "delete"}, {"confirm", "1"}}).location, "/login")
        << path;
  }
  EXPECT_EQ(Deleted(client()).count(1), 0u);
}

TEST_F(ConsoleTest, SignInWantsTheRightPasswordAndSlowsDownGuessing) {
  Start({"--demo", "--demo-count", "0"});
  WebBrowser b = Console();
  const std::string token = WebBrowser::Field(b.Get("/login"), "token");
  const WebPage wrong =
      b.Post("/login", {{"token", token}, {"name", kOperator}, {"password", "guess"}});
  EXPECT_NE(wrong.text.find("用户名或密码错误"), std::string::npos);
  EXPECT_EQ(b.cookies().count("tv_admin"), 0u);
  // A sign-in form of no page of ours: refused without looking at the password.
  WebBrowser forged = Console();
  EXPECT_EQ(forged.Post("/login", {{"name", kOperator}, {"password", kOperatorPassword}}).status,
            403);
  int held = 0;
  for (int i = 0; i < 6; ++i) {
    const WebPage again = b.Post("/login", {{"token", WebBrowser::Field(b.Get("/login"), "token")},
                                            {"name", kOperator},
                                            {"password", "guess"}});
    if (again.status == 429) ++held;
  }
  EXPECT_GT(held, 0);
  // Held back: even the right password waits.
  const WebPage right = b.Post("/login", {{"token", WebBrowser::Field(b.Get("/login"), "token")},
                                          {"name", kOperator},
                                          {"password", kOperatorPassword}});
  EXPECT_EQ(right.status, 429);
}

TEST_F(ConsoleTest, AFormWithoutItsTokenChangesNothing) {
  Start({"--demo", "--demo-count", "10"});
  WebBrowser b = SignedIn();
  const std::int64_t id = NewestId(client());
  for (const char* token : {"", "0123456789abcdef"}) {
    const WebPage refused =
        b.Post("/message",
               {{"id", std::to_string(id)}, {"do", "delete"}, {"confirm", "1"}, {"token", token}});
    EXPECT_NE(refused.text.find("没有做任何修改"), std::string::npos);
  }
  EXPECT_EQ(Deleted(client()).count(id), 0u);
}

TEST_F(ConsoleTest, ApprovalRightsAndMessagesReachMembersAndClients) {
  Start({"--demo", "--demo-count", "10", "--approve"});
  ASSERT_EQ(client().Post(RegisterPath("waiting1", "<script>张")), "RegNoGo");
  EXPECT_EQ(LoginWord(client(), "waiting1"), "NotGoSign");
  WebBrowser b = SignedIn();

  // Member texts stay text in every listing.
  const WebPage members = b.Get("/members?q=waiting1");
  EXPECT_NE(members.text.find("&lt;script&gt;张"), std::string::npos);
  EXPECT_EQ(members.text.find("<script>"), std::string::npos);
  EXPECT_NE(members.text.find("待审核"), std::string::npos);
  const std::string id = WebBrowser::Field(members, "id").empty()
                             ? members.text.substr(members.text.find("/member?id=") + 11, 5)
                             : WebBrowser::Field(members, "id");
  const std::string page = "/member?id=" + id;
  EXPECT_EQ(b.Get(page).text.find("<b>公司</b>"), std::string::npos);

  EXPECT_NE(Confirmed(b, "/member", page, {{"id", id}, {"do", "approve"}}).text.find("已保存"),
            std::string::npos);
  EXPECT_EQ(LoginWord(client(), "waiting1"), "OK");

  // A daily quota of one: the second publication is refused.
  const WebPage rights = Confirmed(b, "/member", page,
                                   {{"id", id},
                                    {"do", "rights"},
                                    {"publish", "1"},
                                    {"contact", "1"},
                                    {"contact_wait", "0"},
                                    {"publish_wait", "0"},
                                    {"quota", "1"},
                                    {"info_num", "1"},
                                    {"vip", "0"}});
  EXPECT_NE(rights.text.find("已保存"), std::string::npos) << rights.text;
  const MemberLogin member = LogIn(client(), "waiting1", "pass1234");
  EXPECT_EQ(client().Post(OwnPublishPath(member, "限额测试一")), "AddOK");
  EXPECT_EQ(client().Post(OwnPublishPath(member, "限额测试二")), "AddFull");

  // Deleting and closing go through the logs every client polls.
  const std::int64_t mine =
      std::stoll(client().Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + member.flag));
  const std::int64_t other = NewestId(client(), 1);
  ASSERT_NE(other, mine);
  const WebPage deleted =
      Confirmed(b, "/message", "/messages", {{"id", std::to_string(mine)}, {"do", "delete"}});
  EXPECT_NE(deleted.text.find("各客户端每 3 分钟检查一次"), std::string::npos);
  Confirmed(b, "/message", "/messages", {{"id", std::to_string(other)}, {"do", "close"}});
  EXPECT_EQ(Deleted(client()).count(mine), 1u);
  EXPECT_EQ(Closed(client()).count(other), 1u);

  // Disabled: no login and no publishing.
  Confirmed(b, "/member", page, {{"id", id}, {"do", "disable"}});
  EXPECT_EQ(LoginWord(client(), "waiting1"), "NotGoSign");
  EXPECT_NE(client().Post(OwnPublishPath(member, "停用后发布")), "AddOK");

  const WebPage audit = b.Get("/audit");
  for (const char* action : {"approve", "rights", "delete-message", "close-message", "disable"}) {
    EXPECT_NE(audit.text.find("<td>" + std::string(action) + "</td>"), std::string::npos) << action;
  }
  EXPECT_NE(audit.text.find("quota=-1"), std::string::npos);  // before
  EXPECT_NE(audit.text.find("quota=1"), std::string::npos);   // after
}

TEST_F(ConsoleTest, ASessionEndsAfterItsIdleTime) {
  Start({"--demo", "--demo-count", "0"});
  std::string error;
  auto store = ServiceStore::Open(service_->db_path(), &error);
  ASSERT_TRUE(store) << error;
  const std::string stale = "00112233445566778899aabbccddeeff";
  const std::string running = "ffeeddccbbaa99887766554433221100";
  ASSERT_TRUE(store->AddOperatorSession(kOperator, SessionKeyHash(stale), std::time(nullptr) - 1));
  ASSERT_TRUE(
      store->AddOperatorSession(kOperator, SessionKeyHash(running), std::time(nullptr) + 60));
  WebBrowser b = Console();
  b.cookies()["tv_admin"] = stale;
  EXPECT_EQ(b.Get("/members").location, "/login");
  b.cookies()["tv_admin"] = running;
  EXPECT_EQ(b.Get("/members").status, 200);
  // Each request moves the end to 30 minutes from now.
  EXPECT_TRUE(
      store->TouchOperatorSession(SessionKeyHash(running), std::time(nullptr) + 29 * 60, 1));
}

TEST_F(ConsoleTest, TheCommandLineDoesTheSame) {
  Start({"--demo", "--demo-count", "10", "--approve"});
  int status = 0;
  EXPECT_NE(Admin(*service_, "list", &status).find(kOperator), std::string::npos);
  Admin(*service_, "add someone", &status, "short");
  EXPECT_NE(status, 0) << "a password under 8 characters";

  ASSERT_EQ(client().Post(RegisterPath("waiting2", "王五")), "RegNoGo");
  const std::string listed = Admin(*service_, "members waiting2", &status);
  ASSERT_EQ(status, 0);
  const std::string id = listed.substr(listed.find('\n') + 1, 5);
  EXPECT_NE(listed.find("pending"), std::string::npos) << listed;
  Admin(*service_, "approve " + id, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(LoginWord(client(), "waiting2"), "OK");
  Admin(*service_, "rights " + id + " quota=1", &status);
  EXPECT_EQ(status, 0);
  Admin(*service_, "rights " + id + " quota=lots", &status);
  EXPECT_NE(status, 0);
  const MemberLogin member = LogIn(client(), "waiting2", "pass1234");
  EXPECT_EQ(client().Post(OwnPublishPath(member, "命令行一")), "AddOK");
  EXPECT_EQ(client().Post(OwnPublishPath(member, "命令行二")), "AddFull");
  const std::string mine = client().Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + member.flag);
  Admin(*service_, "close-message " + mine, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Closed(client()).count(std::stoll(mine)), 1u);
  Admin(*service_, "delete-message " + mine, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Deleted(client()).count(std::stoll(mine)), 1u);
  Admin(*service_, "delete-message " + mine, &status);
  EXPECT_NE(status, 0) << "deleted already";
  Admin(*service_, "disable " + id, &status);
  EXPECT_EQ(LoginWord(client(), "waiting2"), "NotGoSign");
  Admin(*service_, "enable " + id, &status);
  EXPECT_EQ(LoginWord(client(), "waiting2"), "OK");
  Admin(*service_, std::string("remove ") + kOperator, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Admin(*service_, "list", &status).find(kOperator), std::string::npos);
}

// Two data servers on one PostgreSQL database: an operator's action on one
// is in the other's answers at once, and a console session of one opens the
// other's console.
TEST(ConsoleSharedStore, TwoServersSeeAnActionOnEitherAtOnce) {
  ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
  const std::string db = SharedCluster().NewDatabase();
  ASSERT_FALSE(db.empty()) << SharedCluster().error();
  LocalService a({"--db", db, "--demo", "--demo-count", "10", "--admin-listen", "127.0.0.1:0"});
  ASSERT_TRUE(a.ok()) << a.error();
  LocalService b({"--db", db, "--admin-listen", "127.0.0.1:0"});
  ASSERT_TRUE(b.ok()) << b.error();
  int status = 0;
  Admin(a, std::string("add ") + kOperator, &status, kOperatorPassword);
  ASSERT_EQ(status, 0);
  WebBrowser console("127.0.0.1", a.console_port());
  const WebPage form = console.Get("/login");
  ASSERT_EQ(console
                .Post("/login", {{"token", WebBrowser::Field(form, "token")},
                                 {"name", kOperator},
                                 {"password", kOperatorPassword}})
                .status,
            303);
  const ServiceClient on_b(b);
  const std::int64_t id = NewestId(on_b);
  std::vector<std::pair<std::string, std::string>> fields = {
      {"id", std::to_string(id)},
      {"do", "delete"},
      {"confirm", "1"},
      {"token", WebBrowser::Field(console.Get("/messages"), "token")}};
  ASSERT_EQ(console.Post("/message", fields).status, 200);
  EXPECT_EQ(Deleted(on_b).count(id), 1u);

  WebBrowser other("127.0.0.1", b.console_port());
  other.cookies() = console.cookies();
  EXPECT_EQ(other.Get("/audit").status, 200);
}

}  // namespace
}  // namespace tv::test
