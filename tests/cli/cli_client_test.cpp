// tarvolo-cli as a client of a real tarvolo-service: every command's help,
// the login per member kind and its failures, the feed with what it puts on
// the wire, --json, --follow with a new, a deleted and a closed message,
// compose, publishing and the history, registration, and the bad arguments
// that must never reach the network.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli_process.h"
#include "core/gbk.h"
#include "demo_publish.h"
#include "feed/feed_requests.h"
#include "local_service.h"
#include "net/answers.h"
#include "net/query_encoding.h"
#include "net/transport.h"
#include "recording_proxy.h"
#include "search/search_text.h"

namespace tv {
namespace {

using test::CliProcess;
using test::CliResult;
using test::RunCli;

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

bool Contains(const std::vector<std::string>& all, const std::string& one) {
  return std::find(all.begin(), all.end(), one) != all.end();
}

// One service for the suite, reached through a recording proxy: the proxy is
// the portal and the one data server the list names, so every request of
// the program passes it.
class CliClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    proxy_ = new test::RecordingProxy();
    service_ = new LocalService(
        {"--demo", "--demo-count", "400", "--no-cache", "--quota", "0", "--hosts", proxy_->Host()});
    proxy_->SetUpstream(service_->host());
  }
  static void TearDownTestSuite() {
    delete service_;
    delete proxy_;
  }
  void SetUp() override { ASSERT_TRUE(service_->ok()) << service_->error(); }

  // The environment of a program of the member's: this service, a fresh
  // settings store of the test's own.
  std::vector<std::string> Env() const {
    return {"TARVOLO_PORTAL_HOST=" + proxy_->Host(), "TARVOLO_FALLBACK_HOST=" + proxy_->Host(),
            "TARVOLO_SETTINGS=" + (dir_ / "settings.db").string()};
  }
  CliResult Run(const std::vector<std::string>& args) const { return RunCli(args, Env()); }

  // The targets the proxy saw from `from` on.
  static std::vector<std::string> TargetsSince(std::size_t from) {
    auto all = proxy_->Targets();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
  }

  static test::RecordingProxy* proxy_;
  static LocalService* service_;
  std::filesystem::path dir_ = [] {
    auto name =
        std::string("tv-cli-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    auto path = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
  }();
};

test::RecordingProxy* CliClientTest::proxy_ = nullptr;
LocalService* CliClientTest::service_ = nullptr;

TEST(CliHelp, EveryCommandHasItsHelp) {
  const CliResult list = RunCli({"help"}, {});
  ASSERT_EQ(list.exit_code, 0);
  std::vector<std::string> commands;
  for (const std::string& line : Lines(list.out)) {
    const std::string prefix = "  tarvolo-cli ";
    if (line.rfind(prefix, 0) != 0) continue;
    std::string name = line.substr(prefix.size(), line.find(' ', prefix.size()) - prefix.size());
    if (!Contains(commands, name)) commands.push_back(name);
  }
  for (const char* expected :
       {"login", "feed", "search", "compose", "publish", "history", "register", "friends"}) {
    EXPECT_TRUE(Contains(commands, expected)) << expected << " missing from:\n" << list.out;
  }
  for (const std::string& name : commands) {
    const CliResult help = RunCli({name, "--help"}, {});
    EXPECT_EQ(help.exit_code, 0) << name;
    EXPECT_EQ(help.out.rfind("usage: tarvolo-cli " + name, 0), 0u) << name << ":\n" << help.out;
    EXPECT_EQ(help.err, "") << name;
  }
}

TEST_F(CliClientTest, LoginPrintsTheProfileOfEveryMemberKind) {
  struct Case {
    std::vector<std::string> args;
    std::string kind, city, publish_right;
  };
  const Case cases[] = {
      {{"login", "demo_vip", "vip123"}, "full", "郑州", "1"},
      {{"login", "demo_member", "member123"}, "ordinary", "武汉", "1"},
      {{"login", "demo_nocontact", "nocontact123"}, "no-contact", "北京", "0"},
      {{"login", "demo_nopub", "nopub123"}, "full", "广州", "0"},
      {{"login", "--guest"}, "guest", "北京", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const CliResult r = Run(c.args);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 13u) << r.out;
    EXPECT_EQ(lines[0].rfind("UserId\t", 0), 0u);
    EXPECT_TRUE(Contains(lines, "City\t" + c.city)) << r.out;
    EXPECT_TRUE(Contains(lines, "PublishRight\t" + c.publish_right)) << r.out;
    EXPECT_EQ(lines.back(), "Kind\t" + c.kind);
  }
  // The window's login request, name and password encoded as it encodes them
  // (only letters and digits travel as they are).
  const std::size_t from = proxy_->Count();
  ASSERT_EQ(Run({"login", "demo_vip", "vip123"}).exit_code, 0);
  EXPECT_TRUE(Contains(TargetsSince(from),
                       "POST /qavel/client/client_login.asp?action=Login_Client&loginSign=0"
                       "&username=demo%5Fvip&password=vip123"))
      << ::testing::PrintToString(TargetsSince(from));
}

TEST_F(CliClientTest, FailedLoginsTellTheNoticeAndExit1) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"login", "demo_vip", "wrong"}, "密码错误!\n"},
      {{"login", "nobody_here", "x"}, "用户名错误或者此用户名不存在!\n"},
      {{"feed", "--user", "demo_vip", "--password", "wrong"}, "密码错误!\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exit_code, 1) << c.args[1];
    EXPECT_EQ(r.out, "") << c.args[1];
    EXPECT_EQ(r.err, c.err) << c.args[1];
  }
}

TEST_F(CliClientTest, AStoppedServiceIsANetworkFailure) {
  LocalService stopped({"--demo-count", "10"});
  ASSERT_TRUE(stopped.ok()) << stopped.error();
  const std::string host = stopped.host();
  stopped.Stop();
  const CliResult r = RunCli({"login", "demo_vip", "vip123"},
                             {"TARVOLO_PORTAL_HOST=" + host, "TARVOLO_FALLBACK_HOST=" + host,
                              "TARVOLO_SETTINGS=" + (dir_ / "settings.db").string()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "网络连接失败,请检查网络是否正常!\n");
}

TEST_F(CliClientTest, ARememberedLoginServesTheNextCommands) {
  const CliResult login = Run({"login", "--remember", "demo_member", "member123"});
  ASSERT_EQ(login.exit_code, 0) << login.err;
  // No keyring answers in the tests' environment: said once, kept in the file.
  EXPECT_EQ(login.err, "本机没有可用的密钥环,记住的密码将保存在设置文件中。\n");
  EXPECT_EQ(Run({"settings", "get", "main", "nopasstavrelomin"}).out, "1\n");
  EXPECT_EQ(Run({"settings", "get", "main", "passwordtavrelomin"}).out, "member123\n");
  // Another member for one command, or a login without --remember, leaves
  // the remembered member as it is.
  ASSERT_EQ(Run({"feed", "--user", "demo_vip", "--password", "vip123"}).exit_code, 0);
  ASSERT_EQ(Run({"login", "demo_vip", "vip123"}).exit_code, 0);
  const std::size_t from = proxy_->Count();
  const CliResult feed = Run({"feed"});
  EXPECT_EQ(feed.exit_code, 0) << feed.err;
  // One login request, with the remembered member.
  int logins = 0;
  for (const auto& t : TargetsSince(from)) {
    logins += t.find("username=demo%5Fmember&password=member123") != std::string::npos;
  }
  EXPECT_EQ(logins, 1);
}

TEST_F(CliClientTest, AnOfferedUpdateIsToldAndTheLoginGoesOn) {
  LocalService newer({"--demo", "--demo-count", "10", "--offer-version", "99.0.0.0"});
  ASSERT_TRUE(newer.ok()) << newer.error();
  const CliResult r =
      RunCli({"login", "demo_vip", "vip123"},
             {"TARVOLO_PORTAL_HOST=" + newer.host(), "TARVOLO_FALLBACK_HOST=" + newer.host(),
              "TARVOLO_SETTINGS=" + (dir_ / "settings.db").string()});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Contains(Lines(r.out), "Kind\tfull")) << r.out;
  EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  EXPECT_NE(r.err.find("99.0.0.0"), std::string::npos) << r.err;
}

// What is not there is told, not left to the exit status alone: a name the
// directory does not hold (a county without children and a name without an
// area code are not mistaken for it), a download that did not come.
TEST(CliLookups, WhatIsNotThereIsTold) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* out_start;
    const char* err;
  };
  for (const Case& c : {
           Case{{"regions", "areacode", "济南"}, 0, "0531\n", ""},
           Case{{"regions", "areacode", "火星"}, 1, "", "no area code for \"火星\""},
           Case{{"regions", "children", "山东省"}, 0, "济南\n", ""},
           Case{{"regions", "children", "任城"}, 0, "", ""},
           Case{{"regions", "children", "火星"}, 2, "", "no such region: \"火星\""},
           Case{{"regions", "children", "--prefecture-table", "山东"},
                2,
                "",
                "no such region: \"山东\""},
           Case{{"download", "http://127.0.0.1:9/Update.exe", "/nonexistent/Update.exe"},
                1,
                "",
                "http://127.0.0.1:9/Update.exe could not be downloaded"},
       }) {
    const CliResult r = RunCli(c.args, {});
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_EQ(r.out.rfind(c.out_start, 0), 0u) << r.out;
    if (*c.out_start == '\0') {
      EXPECT_EQ(r.out, "");
    }
    if (*c.err == '\0') {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
  }
}

TEST_F(CliClientTest, BadArgumentsExit2BeforeAnyRequest) {
  const std::vector<std::vector<std::string>> cases = {
      {"login"},
      {"login", "demo_vip"},
      {"login", "--bogus", "demo_vip", "vip123"},
      {"login", "demo_vip😀", "vip123"},
      {"feed", "--guest", "--region"},
      {"feed", "--guest", "--region", "火星"},
      {"feed", "--guest", "--region", "济南,青岛,郑州,武汉,广州,北京"},
      {"feed", "--guest", "--region", "济南", "--country"},
      {"feed", "--guest", "--view", "boats"},
      {"feed", "--guest", "--follow=yes"},
      {"feed", "--user", "demo_vip"},
      {"feed", "extra"},
      {"feed"},  // nobody remembered
      {"search", "--guest"},
      {"search", "--guest", "--region", "火星", "煤炭"},
      {"search", "--guest", "煤炭,钢材"},
      {"search", "--guest", ""},
      {"search", "--guest", "煤炭😀"},
      {"search", "--guest", "--follow=yes", "煤炭"},
      {"search", "煤炭"},  // nobody remembered
  };
  const std::size_t before = proxy_->Count();
  for (const auto& args : cases) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.exit_code, 2) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "") << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("tarvolo-cli " + args[0] + ": "), std::string::npos) << r.err;
  }
  EXPECT_EQ(proxy_->Count(), before);
}

TEST_F(CliClientTest, FeedPrintsTheWindowsFirstPageFromTheSameRequest) {
  const std::size_t from = proxy_->Count();
  const CliResult r = Run({"feed", "--user", "demo_vip", "--password", "vip123"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string start = StartFeedPath(G("郑州"), kViewBoth);
  EXPECT_TRUE(Contains(TargetsSince(from), "GET " + start));

  // The same page straight from the service: the program prints its total
  // and its records, in UTF-8, the telephone shown to a full member.
  const CountedPage page = ParseCountedPage(FetchEncodedPage("GET", service_->host(), start));
  ASSERT_FALSE(page.records.empty());
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), page.records.size() + 1) << r.out;
  EXPECT_EQ(lines[0], std::to_string(page.total));
  for (std::size_t i = 0; i < page.records.size(); ++i) {
    const InfoRecord& rec = page.records[i];
    const auto f = Fields(lines[i + 1]);
    ASSERT_EQ(f.size(), 8u) << lines[i + 1];
    EXPECT_EQ(f[0], rec.InfoID);
    EXPECT_EQ(f[1], rec.Time);
    EXPECT_EQ(f[2], GbkToUtf8(rec.City));
    EXPECT_EQ(f[3], rec.Type == "1" ? "车源" : "货源");
    EXPECT_EQ(f[4], GbkToUtf8(rec.Content));
    EXPECT_EQ(f[5], GbkToUtf8(rec.Tel));
    EXPECT_EQ(f[6], GbkToUtf8(rec.Company));
    EXPECT_EQ(f[7], rec.Deal == "1" ? "已成交" : "");
  }
}

TEST_F(CliClientTest, ARegionTravelsAsGbkAndContactDataAreMaskedForOrdinaryMembers) {
  const std::size_t from = proxy_->Count();
  const CliResult r = Run({"feed", "--user", "demo_member", "--password", "member123", "--region",
                           "济南,青岛", "--view", "cargo"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string code = G("济南,青岛");
  const std::string path = FirstPagePath({kDeparting, kViewCargo, code, {}});
  EXPECT_TRUE(Contains(TargetsSince(from), "GET " + path));
  const auto lines = Lines(r.out);
  ASSERT_GT(lines.size(), 1u);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 8u);
    EXPECT_EQ(f[3], "货源");
    EXPECT_EQ(f[5], "双击查看电话");
  }
}

TEST_F(CliClientTest, JsonLinesParseAndCarryTheRecords) {
  const CliResult plain = Run({"feed", "--guest", "--country"});
  const CliResult json = Run({"feed", "--guest", "--country", "--json"});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  const auto plain_lines = Lines(plain.out);
  const auto lines = Lines(json.out);
  ASSERT_EQ(lines.size(), plain_lines.size());
  auto object = [](const std::string& line) {
    QJsonParseError error{};
    auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return doc.object();
  };
  EXPECT_EQ(object(lines[0])["total"].toInt(), std::stoi(plain_lines[0]));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const QJsonObject o = object(lines[i]);
    const auto f = Fields(plain_lines[i]);
    EXPECT_EQ(o["InfoID"].toString().toStdString(), f[0]);
    EXPECT_EQ(o["Content"].toString().toStdString(), f[4]);
    EXPECT_EQ(o["Tel"].toString().toStdString(), "双击查看电话");  // a guest's
  }
}

TEST_F(CliClientTest, SearchPrintsThePanelsFirstPageFromTheSameRequest) {
  struct Case {
    std::vector<std::string> args;
    std::string code, keywords;  // UTF-8
    bool masked;
  };
  const Case cases[] = {
      {{"--user", "demo_vip", "--password", "vip123", "煤炭"}, "郑州", "煤炭", false},
      {{"--guest", "--region", "山东省", "钢材", "济南", "钢材"}, "山东省", "钢材,济南", true},
      {{"--guest", "--region", "全国信息", "车"}, "全国信息", "车", true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"search"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const std::size_t from = proxy_->Count();
    const CliResult r = Run(args);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string path = SearchFirstPagePath(G(c.code), G(c.keywords));
    EXPECT_TRUE(Contains(TargetsSince(from), "GET " + path)) << c.keywords;

    const CountedPage page = ParseCountedPage(FetchEncodedPage("GET", service_->host(), path));
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), page.records.size() + 1) << r.out;
    EXPECT_EQ(lines[0], std::to_string(page.total));
    for (std::size_t i = 0; i < page.records.size(); ++i) {
      const InfoRecord& rec = page.records[i];
      const auto f = Fields(lines[i + 1]);
      ASSERT_EQ(f.size(), 8u) << lines[i + 1];
      EXPECT_EQ(f[0], rec.InfoID);
      EXPECT_EQ(f[3], rec.Type == "0" ? "货源" : rec.Type == "1" ? "车源" : "信息");
      EXPECT_EQ(f[4], GbkToUtf8(rec.Content));
      EXPECT_EQ(f[5], c.masked ? "双击查看电话" : GbkToUtf8(rec.Tel));
    }
  }
}

// Runs `sql` on the service's store, as its own administration would.
void ChangeOnService(const std::string& db_path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_path.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST_F(CliClientTest, FollowPrintsNewDeletedAndClosedMessagesUntilTerminated) {
  ASSERT_EQ(Run({"settings", "set", "main", "RefreshTimertavrelomin", "1"}).exit_code, 0);
  // The test build: it polls the deleted and closed messages every half
  // second instead of every three minutes.
  auto env = Env();
  env.push_back("TARVOLO_ID_POLL_MS=500");
  CliProcess follow({"feed", "--user", "demo_vip", "--password", "vip123", "--follow"}, env,
                    TARVOLO_CLI_TEST);
  std::string line;
  ASSERT_TRUE(follow.ReadLine(line, 15000));
  const int total = std::stoi(line);
  std::vector<std::string> page_ids;
  for (int i = 0; i < std::min(total, 30); ++i) {
    ASSERT_TRUE(follow.ReadLine(line, 5000));
    page_ids.push_back(Fields(line)[0]);
  }

  // A message from another member, departing from the member's city.
  const std::string content = G("命令行跟随测试新消息十吨");
  ASSERT_TRUE(PublishAsDemoMember(service_->host(), "demo_member", G("郑州"), content));
  bool seen = false;
  // One refresh period (1 s) and the request's way, with room for a loaded
  // machine.
  while (!seen && follow.ReadLine(line, 6000)) {
    seen = line.find("命令行跟随测试新消息十吨") != std::string::npos;
  }
  EXPECT_TRUE(seen) << "the new message did not arrive";

  // A deletion and a closure, each as its own line.
  struct Mark {
    std::string id, sql, line;
  };
  const std::string deleted = page_ids.at(1), closed = page_ids.at(2);
  const Mark marks[] = {
      {deleted,
       "update messages set deleted = 1 where id = " + deleted +
           "; insert into deleted_log(info_id, at) values(" + deleted + ", strftime('%s','now'));",
       deleted + "\t该条信息已被删除!"},
      {closed,
       "update messages set deal = 1 where id = " + closed +
           "; insert into closed_log(info_id, at) values(" + closed + ", strftime('%s','now'));",
       closed + "\t已成交"},
  };
  for (const Mark& mark : marks) {
    ChangeOnService(service_->db_path(), mark.sql);
    bool told = false;
    while (!told && follow.ReadLine(line, 8000)) told = line == mark.line;
    EXPECT_TRUE(told) << "no line " << mark.line;
  }

  const CliResult end = follow.Finish(SIGTERM, 10000);
  EXPECT_EQ(end.exit_code, 0) << end.err;
}

TEST_F(CliClientTest, SearchFollowPrintsANewMatchUntilTerminated) {
  ASSERT_EQ(Run({"settings", "set", "main", "RefreshTimertavrelomin", "1"}).exit_code, 0);
  CliProcess follow(
      {"search", "--guest", "--region", "郑州", "--json", "--follow", "命令行搜索跟随"}, Env());
  std::string line;
  ASSERT_TRUE(follow.ReadLine(line, 15000));
  EXPECT_EQ(line, "{\"total\":0}");

  ASSERT_TRUE(PublishAsDemoMember(service_->host(), "demo_member", G("郑州"),
                                  G("命令行搜索跟随 9.6米空车"), "1"));
  // One refresh period and the panel's pause, with room for a loaded machine.
  ASSERT_TRUE(follow.ReadLine(line, 8000)) << "the new match did not arrive";
  QJsonParseError error{};
  const QJsonObject match =
      QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
  EXPECT_EQ(match["Content"].toString(), QStringLiteral("命令行搜索跟随 9.6米空车"));
  EXPECT_EQ(match["Type"].toString(), QStringLiteral("车源"));

  const CliResult end = follow.Finish(SIGTERM, 10000);
  EXPECT_EQ(end.exit_code, 0) << end.err;
}

TEST(CliCompose, PrintsTheQuickFormsLines) {
  const std::vector<std::string> steel20 = {"--goods", "钢材", "--quantity", "20", "--unit", "吨"};
  auto with = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const Case cases[] = {
      {with({"compose", "cargo", "--from", "济宁", "--to", "北京", "--trucks", "2", "--length",
             "9.6", "--truck-type", "平板", "--freight", "高价急走"},
            steel20),
       "济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"},
      // A price takes the freight word's place.
      {with({"compose", "cargo", "--from", "济宁", "--to", "北京", "--trucks", "2", "--length",
             "9.6", "--truck-type", "平板", "--freight", "高价急走", "--price", "120",
             "--price-unit", "吨"},
            steel20),
       "济宁→北京,有钢材20吨货,求2辆9.6米平板车,120元/吨"},
      {with({"compose", "truck", "--from", "济宁", "--to", "北京", "--length", "9.6",
             "--truck-type", "平板", "--trip", "回程", "--trucks", "1"},
            steel20),
       "济宁→北京,有9.6米平板回程车1辆,求20吨钢材货"},
      {{"compose", "cargo", "--from", "济宁", "--from-county", "任城", "--to", "北京",
        "--to-county", "朝阳"},
       "济宁·任城→北京·朝阳,有货,求车"},
      // A unit without a quantity does not appear.
      {{"compose", "cargo", "--from", "济宁", "--to", "北京", "--unit", "吨"},
       "济宁→北京,有货,求车"},
      // Without --unit or --price-unit, the form's units as it opens: 吨.
      {{"compose", "cargo", "--from", "济宁", "--to", "北京", "--goods", "钢材", "--quantity", "20",
        "--price", "120"},
       "济宁→北京,有钢材20吨货,求车,120元/吨"},
      {{"compose", "truck", "--from", "济宁", "--to", "北京", "--quantity", "20"},
       "济宁→北京,有车,求20吨货"},
      {{"compose", "cargo", "--from", "济宁", "--to", "北京", "--quantity", "20", "--unit", "方"},
       "济宁→北京,有20方货,求车"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(c.args, {});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, c.line + "\n");
  }
  struct Refusal {
    std::vector<std::string> args;
    int exit_code;
    std::string err;
  };
  const Refusal refusals[] = {
      {{"compose", "cargo", "--from", "济宁"}, 1, "请选择 到达城市 省份\n"},
      {{"compose", "cargo", "--from", "济宁", "--to", "山东省"}, 1, "请选择 到达城市 地级市\n"},
      {{"compose", "cargo", "--to", "北京"}, 2, ""},
      {{"compose", "cargo", "--from", "火星", "--to", "北京"}, 2, ""},
      {{"compose", "cargo", "--from", "济宁", "--to", "北京", "--to-county", "任城"}, 2, ""},
      {{"compose", "truck", "--from", "济宁", "--to", "北京", "--price", "1"}, 2, ""},
      {{"compose", "boat", "--from", "济宁", "--to", "北京"}, 2, ""},
  };
  for (const Refusal& c : refusals) {
    const CliResult r = RunCli(c.args, {});
    EXPECT_EQ(r.exit_code, c.exit_code) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_EQ(r.out, "");
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    }
  }
}

// The SetInfo requests among `targets`.
std::vector<std::string> Publications(const std::vector<std::string>& targets) {
  std::vector<std::string> found;
  for (const auto& t : targets) {
    if (t.find("/qavel/client/SetInfo.asp") != std::string::npos) found.push_back(t);
  }
  return found;
}

TEST_F(CliClientTest, PublishTakesTheFormsWayAndKeepsTheHistory) {
  const std::vector<std::string> vip = {"--user", "demo_vip", "--password", "vip123"};
  auto as = [](std::vector<std::string> head, const std::vector<std::string>& who) {
    head.insert(head.end(), who.begin(), who.end());
    return head;
  };
  const std::string text = "命令行发布测试郑州到西安钢材30吨";
  std::size_t from = proxy_->Count();
  const CliResult published = Run(as({"publish", "--type", "即时货源", text}, vip));
  ASSERT_EQ(published.exit_code, 0) << published.err;
  const auto fields = Fields(Lines(published.out).at(0));
  ASSERT_EQ(fields.size(), 2u) << published.out;
  EXPECT_EQ(fields[0], "AddOK");
  EXPECT_FALSE(fields[1].empty());
  // The text went as GBK through the query encoding.
  const auto sent = Publications(TargetsSince(from));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find("AddSign=NewInfo"), std::string::npos);
  EXPECT_NE(sent[0].find("Msg_Content=" + EncodeQueryValue(G(text))), std::string::npos) << sent[0];
  // With the session key of the command's login.
  EXPECT_NE(sent[0].find("&SessionKey="), std::string::npos) << sent[0];

  // The history dialog's entry, and the message in another member's list.
  const CliResult history = Run({"history"});
  ASSERT_EQ(history.exit_code, 0);
  ASSERT_FALSE(Lines(history.out).empty());
  EXPECT_NE(Lines(history.out)[0].find(text), std::string::npos) << history.out;
  const CliResult list =
      Run({"feed", "--user", "demo_nopub", "--password", "nopub123", "--region", "郑州"});
  ASSERT_EQ(list.exit_code, 0) << list.err;
  bool listed = false;
  for (const auto& line : Lines(list.out)) listed |= Fields(line)[0] == fields[1];
  EXPECT_TRUE(listed) << list.out;

  // The same text again: the service refuses it, nothing enters the history.
  const CliResult again = Run(as({"publish", text}, vip));
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(again.err, "相同信息不能重复发布\n\n请更改发布信息的内容!\n");
  EXPECT_EQ(Lines(Run({"history"}).out).size(), Lines(history.out).size());

  // History entries go one by one, or all at once.
  EXPECT_EQ(Run({"history", "delete", Lines(history.out)[0]}).exit_code, 0);
  EXPECT_EQ(Run({"history", "delete", Lines(history.out)[0]}).exit_code, 1);
  EXPECT_EQ(Run({"history", "clear"}).exit_code, 0);
  EXPECT_EQ(Run({"history"}).out, "");
}

// The friends list through the window's requests, each with the login's
// session key: listed, added to, shortened.
TEST_F(CliClientTest, FriendsAreListedAddedAndRemovedWithTheMembersKey) {
  const std::vector<std::string> vip = {"--user", "demo_vip", "--password", "vip123"};
  auto as = [&vip](std::vector<std::string> head) {
    head.insert(head.end(), vip.begin(), vip.end());
    return head;
  };
  const std::size_t from = proxy_->Count();
  const CliResult before = Run(as({"friends"}));
  ASSERT_EQ(before.exit_code, 0) << before.err;
  ASSERT_EQ(Lines(before.out).size(), 4u) << before.out;  // the demo member's friends
  EXPECT_EQ(Fields(Lines(before.out)[0]).at(2), "10002");

  const CliResult added = Run(as({"friends", "add", "10004", "广州畅达运输有限公司"}));
  ASSERT_EQ(added.exit_code, 0) << added.err;
  const auto fields = Fields(Lines(added.out).at(0));
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0], "AddOK");
  const CliResult after = Run(as({"friends"}));
  EXPECT_EQ(Lines(after.out).back(), fields[1] + "\t广州畅达运输有限公司\t10004");
  EXPECT_EQ(Run(as({"friends", "add", "10004", "广州畅达运输有限公司"})).exit_code, 1);

  EXPECT_EQ(Run(as({"friends", "delete", fields[1]})).exit_code, 0);
  const CliResult again = Run(as({"friends", "delete", fields[1]}));
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_EQ(again.err, "删除失败,请稍后重试\n");
  EXPECT_EQ(Run(as({"friends"})).out, before.out);

  int friend_requests = 0;
  for (const std::string& target : TargetsSince(from)) {
    if (target.find("GetFrindInfo.asp") == std::string::npos) continue;
    ++friend_requests;
    EXPECT_NE(target.find("&SessionKey="), std::string::npos) << target;
  }
  EXPECT_EQ(friend_requests, 7);
}

TEST_F(CliClientTest, PublishRefusalsSendNothing) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string err;  // the notice; empty: only a usage message
  };
  const Case cases[] = {
      {{"publish", "--user", "demo_nopub", "--password", "nopub123", "有货一车"}, 1, "?"},
      {{"publish", "--user", "demo_vip", "--password", "vip123", ""}, 1, "?"},
      {{"publish", "--user", "demo_vip", "--password", "vip123", "--type", "货", "x"}, 2, ""},
      {{"publish", "--user", "demo_vip", "--password", "vip123", "--from", "火星", "x"}, 2, ""},
      {{"publish", "--user", "demo_vip", "--password", "vip123", "有货😀"}, 2, ""},
      {{"publish", "--guest", "x"}, 2, ""},
  };
  const std::size_t from = proxy_->Count();
  for (const Case& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << c.args.back() << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
  }
  EXPECT_TRUE(Publications(TargetsSince(from)).empty());
}

TEST_F(CliClientTest, TheIntervalHoldsFromOneCommandToTheNext) {
  // demo_member waits 30 s between two publications.
  const std::vector<std::string> member = {"--user", "demo_member", "--password", "member123"};
  std::vector<std::string> first = {"publish", "命令行间隔测试第一条"};
  first.insert(first.end(), member.begin(), member.end());
  ASSERT_EQ(Run(first).exit_code, 0);
  const std::size_t from = proxy_->Count();
  std::vector<std::string> second = {"publish", "命令行间隔测试第二条"};
  second.insert(second.end(), member.begin(), member.end());
  const CliResult r = Run(second);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err, "您刚刚发布完信息,请 30 秒后发布!\n");
  EXPECT_TRUE(Publications(TargetsSince(from)).empty());
}

TEST_F(CliClientTest, RegisterThenLogInAsTheNewMember) {
  const std::vector<std::string> form = {"register", "--username",  "cliuser7",    "--password",
                                         "pass7788", "--confirm",   "pass7788",    "--name",
                                         "李四",     "--province",  "山东省",      "--city",
                                         "济南",     "--area-code", "0531",        "--phone",
                                         "88776655", "--company",   "济南测试物流"};
  const CliResult r = Run(form);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Lines(r.out).at(0), "恭喜您,注册成功!");
  EXPECT_NE(r.out.find("cliuser7"), std::string::npos);
  const CliResult login = Run({"login", "cliuser7", "pass7788"});
  ASSERT_EQ(login.exit_code, 0) << login.err;
  EXPECT_TRUE(Contains(Lines(login.out), "RealName\t李四")) << login.out;
  EXPECT_TRUE(Contains(Lines(login.out), "Kind\tordinary")) << login.out;

  // The name is taken now; a failed check sends nothing.
  const CliResult taken = Run(form);
  EXPECT_EQ(taken.exit_code, 1);
  EXPECT_EQ(taken.err, "此会员名已被注册,请重新选择会员名注册!\n");
  std::vector<std::string> mismatch = form;
  mismatch[6] = "other999";
  const std::size_t from = proxy_->Count();
  const CliResult refused = Run(mismatch);
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_EQ(refused.err, "两次输入密码不一致,请重新输入!\n");

  // What is missing is named, and a place the region directory does not
  // hold is refused: neither reaches the service.
  const auto with = [&form](std::string option, std::string value) {
    std::vector<std::string> args = form;
    const auto at = std::find(args.begin(), args.end(), option);
    if (at == args.end()) {
      args.push_back(option);
      args.push_back(value);
    } else {
      *(at + 1) = value;
    }
    return args;
  };
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  for (const Case& c : {
           Case{{"register", "--username", "cliuser8"},
                "missing --password, --confirm, --name, --province, --city, --area-code, --phone"},
           Case{with("--province", "火星"), "no such province: \"火星\""},
           Case{with("--city", ""), "no city \"\" in 山东省"},
           Case{with("--city", "武汉"), "no city \"武汉\" in 山东省"},
           Case{with("--town", "江岸"), "no town \"江岸\" in 济南"},
       }) {
    const CliResult refusal = Run(c.args);
    EXPECT_EQ(refusal.exit_code, 2) << c.err;
    EXPECT_NE(refusal.err.find(c.err), std::string::npos) << refusal.err;
  }
  EXPECT_EQ(proxy_->Count(), from);
}

TEST_F(CliClientTest, AFollowerTellsALostConnectionAndKeepsFollowing) {
  const std::vector<std::vector<std::string>> cases = {
      {"feed", "--guest", "--region", "郑州", "--follow"},
      {"search", "--guest", "--region", "郑州", "--follow", "煤炭"},
  };
  for (const auto& args : cases) {
    LocalService own({"--demo-count", "10"});
    ASSERT_TRUE(own.ok()) << own.error();
    const std::vector<std::string> env = {"TARVOLO_PORTAL_HOST=" + own.host(),
                                          "TARVOLO_FALLBACK_HOST=" + own.host(),
                                          "TARVOLO_SETTINGS=" + (dir_ / "settings.db").string()};
    ASSERT_EQ(RunCli({"settings", "set", "main", "RefreshTimertavrelomin", "1"}, env).exit_code, 0);
    CliProcess follow(args, env);
    std::string line;
    ASSERT_TRUE(follow.ReadLine(line, 15000)) << args[0];
    own.Stop();
    EXPECT_TRUE(follow.AwaitError("网络连接中断，正在重新连接…\n", 10000)) << args[0];
    const CliResult end = follow.Finish(SIGTERM, 10000);
    EXPECT_EQ(end.exit_code, 0) << args[0] << end.err;
  }
}

TEST_F(CliClientTest, WatchPrintsEachNewMatchWithItsSubscriptionsName) {
  ASSERT_EQ(Run({"settings", "set", "main", "RefreshTimertavrelomin", "1"}).exit_code, 0);
  ASSERT_EQ(
      Run({"subscriptions", "add", "--name", "回程", "--from", "郑州", "--to", "北京"}).exit_code,
      0);
  ASSERT_EQ(
      Run({"subscriptions", "add", "--name", "停", "--from", "郑州", "--to", "上海"}).exit_code, 0);
  ASSERT_EQ(Run({"subscriptions", "pause", "停"}).exit_code, 0);
  CliProcess watch({"watch", "--guest", "--json"}, Env());
  ASSERT_TRUE(watch.AwaitError("following 2 subscriptions", 15000));

  // The paused one's match is not asked for; the running one's is printed.
  ASSERT_TRUE(PublishAsDemoMember(service_->host(), "demo_member", G("郑州"),
                                  G("郑州到上海 订阅暂停测试")));
  ASSERT_TRUE(PublishAsDemoMember(service_->host(), "demo_member", G("郑州"),
                                  G("郑州到北京 订阅监视测试")));
  std::string line;
  ASSERT_TRUE(watch.ReadLine(line, 8000));
  EXPECT_EQ(line.rfind("{\"List\":\"回程\",\"InfoID\":", 0), 0u) << line;
  EXPECT_NE(line.find("郑州到北京 订阅监视测试"), std::string::npos) << line;
  const CliResult end = watch.Finish(SIGTERM, 10000);
  EXPECT_EQ(end.exit_code, 0) << end.err;
  EXPECT_EQ(end.out.find("订阅暂停测试"), std::string::npos) << end.out;

  // Nothing running: nothing to watch.
  ASSERT_EQ(Run({"subscriptions", "pause", "回程"}).exit_code, 0);
  const CliResult none = Run({"watch", "--guest"});
  EXPECT_EQ(none.exit_code, 2);
  EXPECT_NE(none.err.find("no running subscription"), std::string::npos) << none.err;
  // The list commands' --follow is no option of watch.
  const CliResult follow = Run({"watch", "--guest", "--follow"});
  EXPECT_EQ(follow.exit_code, 2);
  EXPECT_NE(follow.err.find("--follow is not an option of watch"), std::string::npos) << follow.err;
}

}  // namespace
}  // namespace tv
