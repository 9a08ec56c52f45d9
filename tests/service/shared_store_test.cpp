// Several data servers on one PostgreSQL database: what is written through
// one is in the next answers of the others, identifiers handed out at the same
// time by different servers reach every poller in order with none lost, and
// the live traffic runs on one server only. These need PostgreSQL always;
// missing, they fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "net/answers.h"
#include "service_client.h"
#include "store_choice.h"

namespace tv::test {
namespace {

std::string PollPath(const std::string& after) {
  return "GetInfo.asp?action=GetNewDatas&maxid=" + after + "&Code=" + Q("郑州") + "&inType=8";
}

std::string NewestId(const ServiceClient& c) {
  return ParseCountedPage(c.Get("GetSearchInfo.asp?action=GetTopDatas")).records.at(0).InfoID;
}

class serviceSharedStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
    db_ = SharedCluster().NewDatabase();
    ASSERT_FALSE(db_.empty()) << SharedCluster().error();
  }
  // Three data servers, the first filling the database with `demo_count`
  // demo messages.
  std::vector<std::unique_ptr<LocalService>> ThreeServers(const char* demo_count) {
    std::vector<std::unique_ptr<LocalService>> data;
    data.push_back(Server({"--role", "data", "--demo", "--demo-count", demo_count}));
    data.push_back(Server({"--role", "data"}));
    data.push_back(Server({"--role", "data"}));
    return data;
  }
  std::unique_ptr<LocalService> Server(std::vector<std::string> args) {
    args.insert(args.end(), {"--db", db_, "--quota", "0"});
    auto s = std::make_unique<LocalService>(std::move(args));
    EXPECT_TRUE(s->ok()) << s->error();
    return s;
  }
  std::string db_;
};

TEST_F(serviceSharedStore, WritesThroughOneServerAreInTheNextAnswersOfAnother) {
  auto a = Server({"--role", "data", "--demo", "--demo-count", "100"});
  auto b = Server({"--role", "data"});
  ASSERT_TRUE(a->ok() && b->ok());
  ServiceClient on_a(*a), on_b(*b);
  const std::string newest = NewestId(on_b);
  const std::string totals = on_b.Get("GetTNums.asp?action=getnum");
  // B has these answers cached now.
  EXPECT_EQ(on_b.Get(PollPath(newest)), "@@");
  EXPECT_EQ(on_b.Get(PollPath(newest)), "@@");

  const MemberLogin vip = LogIn(on_a, "demo_vip", "vip123");
  ASSERT_EQ(on_a.Post(OwnPublishPath(vip, "shared-one")), "AddOK");
  const auto fresh = ParseRecords(on_b.Get(PollPath(newest)));
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh[0].Content, "shared-one");
  EXPECT_NE(on_b.Get("GetTNums.asp?action=getnum"), totals);
  // The same content again through B is a duplicate: B sees A's row.
  EXPECT_EQ(on_b.Post(OwnPublishPath(vip, "shared-one")), "AddError");

  // Members and friends are shared too; names stay unique across servers.
  const std::string reg = "Register.asp?action=Reg&name1=" + Q("张三") +
                          "&province=" + Q("河南省") + "&city=" + Q("郑州") +
                          "&tel=1234567&password=secret1&username=";
  ASSERT_TRUE(on_a.Post(reg + "shared01").starts_with("RegSuccess"));
  EXPECT_EQ(on_b.Post(reg + "SHARED01"), "HasReged");
  EXPECT_NE(on_b.Post("client_login.asp?action=Login_Client&username=shared01&password=secret1")
                .find("@@@@@"),
            std::string::npos);
}

// A member logs in on one data server and goes on through another: the key
// is in the shared store. A key one server gave out is refused by the other
// for any other member, and every server forgets a key that ran out alike.
TEST_F(serviceSharedStore, AKeyFromOneServerOpensTheMemberPagesOfAnother) {
  auto a = Server({"--role", "data", "--demo", "--demo-count", "20"});
  auto b = Server({"--role", "data"});
  ASSERT_TRUE(a->ok() && b->ok());
  const ServiceClient on_a(*a), on_b(*b);
  const MemberLogin vip = LogIn(on_a, "demo_vip", "vip123");
  const MemberLogin other = LogIn(on_b, "demo_member", "member123");
  const MemberPageAnswer published =
      FetchMemberPage("POST", b->host(), "/qavel/client/" + OwnPublishPath(vip, "via B"));
  EXPECT_EQ(published.text, "AddOK");
  EXPECT_FALSE(published.key_refused);
  const std::string list = "GetFrindInfo.asp?action=GetFrindInfo&UserID=" + vip.flag;
  EXPECT_NE(on_b.Get(WithSessionKey(list, vip.key)), "@@");
  const MemberPageAnswer foreign =
      FetchMemberPage("GET", a->host(), "/qavel/client/" + WithSessionKey(list, other.key));
  EXPECT_EQ(foreign.text, "@@");
  EXPECT_TRUE(foreign.key_refused);
}

// Three data servers and a portal on one database. Writers publish through
// each server at once while a poller follows the list through another; every
// message reaches the poller once, in order, although the servers took their
// identifiers at the same time, and no two got the same. Then one server
// stops and the others go on.
TEST_F(serviceSharedStore, ThreeServersAndAPortalLoseNothingAndRepeatNothing) {
  const auto data = ThreeServers("100");
  for (const auto& s : data) ASSERT_TRUE(s->ok());
  const std::string hosts = data[0]->host() + "/" + data[1]->host() + "/" + data[2]->host();
  auto portal = Server({"--role", "portal", "--hosts", hosts});
  ASSERT_TRUE(portal->ok());
  EXPECT_EQ(ServiceClient(*portal).Plain("/qavel/client/getus.htm"), "3@@" + hosts);

  const std::string start = NewestId(ServiceClient(*data[0]));
  // One login, on the first server: its key opens the member pages of all.
  const MemberLogin vip = LogIn(ServiceClient(*data[0]), "demo_vip", "vip123");
  constexpr int kEach = 12;
  std::atomic<int> writers_left{3}, refused{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < 3; ++w) {
    writers.emplace_back([&, w] {
      const ServiceClient client(*data[w]);
      for (int i = 0; i < kEach; ++i) {
        if (client.Post(OwnPublishPath(vip, "w" + std::to_string(w) + "n" + std::to_string(i))) !=
            "AddOK") {
          ++refused;
        }
      }
      --writers_left;
    });
  }
  // The poller moves between the servers as the client does when one fails.
  std::vector<std::string> seen;
  std::vector<long long> ids;
  std::string mark = start;
  auto poll_once = [&](const ServiceClient& c) {
    for (const auto& r : ParseRecords(c.Get(PollPath(mark)))) {
      seen.push_back(r.Content);
      ids.push_back(std::stoll(r.InfoID));
      mark = r.InfoID;
    }
  };
  for (int round = 0; writers_left > 0 && round < 100000; ++round) {
    poll_once(ServiceClient(*data[round % 3]));
  }
  for (auto& t : writers) t.join();
  poll_once(ServiceClient(*data[1]));
  EXPECT_EQ(refused.load(), 0);
  ASSERT_EQ(seen.size(), 3u * kEach);
  std::map<std::string, int> count;
  for (const auto& content : seen) ++count[content];
  EXPECT_EQ(count.size(), 3u * kEach) << "a message came twice";
  // No identifier handed out twice, none out of order.
  EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<>()) == ids.end());
  for (int w = 0; w < 3; ++w) {  // each writer's own messages in its order
    int next = 0;
    for (const auto& content : seen) {
      if (content.starts_with("w" + std::to_string(w))) {
        EXPECT_EQ(content, "w" + std::to_string(w) + "n" + std::to_string(next++));
      }
    }
  }

  // One server stops; the others answer everything, from either of them.
  data[1]->Stop();
  ASSERT_EQ(ServiceClient(*data[0]).Post(OwnPublishPath(vip, "after-stop")), "AddOK");
  const auto rest = ParseRecords(ServiceClient(*data[2]).Get(PollPath(mark)));
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].Content, "after-stop");
}

// Writers publish through three servers when one is killed (SIGKILL): a
// publication answered "AddOK" is in the store once, one that got no answer
// at most once, one refused not at all; the writers move to the others.
TEST_F(serviceSharedStore, AKilledServerLosesNoAnsweredPublication) {
  const auto data = ThreeServers("20");
  for (const auto& s : data) ASSERT_TRUE(s->ok());
  std::vector<std::string> hosts;
  for (const auto& s : data) hosts.push_back(s->host());
  const MemberLogin vip = LogIn(ServiceClient(*data[0]), "demo_vip", "vip123");

  constexpr int kEach = 40;
  std::atomic<int> answered{0};
  std::vector<std::vector<std::string>> answers(3, std::vector<std::string>(kEach));
  std::vector<std::thread> writers;
  for (int w = 0; w < 3; ++w) {
    writers.emplace_back([&, w] {
      std::size_t on = static_cast<std::size_t>(w);
      for (int i = 0; i < kEach; ++i) {
        const std::string content = "k" + std::to_string(w) + "-" + std::to_string(i);
        const std::string path = "/qavel/client/" + OwnPublishPath(vip, content);
        answers[w][i] = FetchEncodedPage("POST", hosts[on], path);
        ++answered;
        // No answer: the next publication goes to the next server.
        if (answers[w][i] == kError) on = (on + 1) % hosts.size();
      }
    });
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (answered < kEach && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  data[1]->Kill();
  for (auto& t : writers) t.join();

  int ok = 0, unanswered = 0, refused = 0, lost = 0, doubled = 0;
  for (int w = 0; w < 3; ++w) {
    for (int i = 0; i < kEach; ++i) {
      const std::string content = "k" + std::to_string(w) + "-" + std::to_string(i);
      const auto stored =
          PgNumbers(db_, "SELECT COUNT(*) FROM messages WHERE content = '" + content + "'");
      ASSERT_EQ(stored.size(), 1u);
      const std::string& answer = answers[w][i];
      SCOPED_TRACE(content + " answered " + answer);
      if (answer == "AddOK") {
        ++ok;
        lost += stored[0] == 0;
        doubled += stored[0] > 1;
        EXPECT_EQ(stored[0], 1);
      } else if (answer == kError) {
        ++unanswered;
        doubled += stored[0] > 1;
        EXPECT_LE(stored[0], 1);
      } else {
        ++refused;
        EXPECT_EQ(stored[0], 0);
      }
    }
  }
  std::printf(
      "[killed server] publications %d: AddOK %d, no answer %d, refused %d; lost %d, doubled %d\n",
      3 * kEach, ok, unanswered, refused, lost, doubled);
  EXPECT_GT(unanswered, 0) << "the kill met no publication";
  EXPECT_GE(ok, 3 * kEach - 3) << "the writers did not move to the other servers";
}

// A message deleted elsewhere (the operator's shell, on the shared store)
// while another server holds answers that show it: once that server's
// deletion log lists it, none of its answers shows it as live.
TEST_F(serviceSharedStore, ACachedAnswerNeverShowsAMessageDeletedElsewhere) {
  auto a = Server({"--role", "data", "--demo", "--demo-count", "30"});
  auto b = Server({"--role", "data"});
  ASSERT_TRUE(a->ok() && b->ok());
  const ServiceClient on_a(*a), on_b(*b);
  const MemberLogin vip = LogIn(on_a, "demo_vip", "vip123");
  const std::string del_max = on_b.Get("GetDelInfo.asp?action=GetMaxID");
  ASSERT_EQ(on_a.Post(OwnPublishPath(vip, "cached-then-deleted")), "AddOK");
  const std::string id = NewestId(on_b);
  const std::vector<std::string> pages = {
      "GetSearchInfo.asp?action=GetTopDatas",
      "GetSearchInfo.asp?action=GetNewDatas&maxid=" + std::to_string(std::stoll(id) - 1),
      "GetInfoByID.asp?action=GetTopDatas&Msg_Flag=" + vip.flag,
  };
  const auto shows = [&](const std::string& page) {
    const auto records = ParseRecords(on_b.Get(page));
    return std::any_of(records.begin(), records.end(),
                       [&](const InfoRecord& r) { return r.InfoID == id; });
  };
  for (const auto& page : pages) {  // twice: the second from the cache
    EXPECT_TRUE(shows(page)) << page;
    EXPECT_TRUE(shows(page)) << page;
  }
  const std::string command = "'" + LocalService::BinaryPath() + "' admin --db '" + db_ +
                              "' delete-message " + id + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const auto logged =
      ParseIdList(on_b.Get("GetDelInfo.asp?action=GetNewDelInfoID&maxid=" + del_max));
  ASSERT_TRUE(std::any_of(logged.begin(), logged.end(),
                          [&](const auto& entry) { return entry.InfoId == id; }));
  for (const auto& page : pages) EXPECT_FALSE(shows(page)) << page;
}

// Two servers asked for live traffic: one runs it, at the rate of one; when
// it stops, the other takes over.
TEST_F(serviceSharedStore, LiveTrafficRunsOnOneServerOnly) {
  constexpr double kPeriod = 0.1;
  constexpr int kCount = 20;
  auto a = Server({"--role", "data", "--demo", "--demo-count", "50", "--simulate", "0.1"});
  ASSERT_TRUE(a->ok());
  auto b = Server({"--role", "data", "--simulate", "0.1"});
  ASSERT_TRUE(b->ok());
  const ServiceClient on_b(*b);
  // The simulation never deletes the message it just published: the newest
  // identifier counts its publications.
  auto newest = [&] { return std::stoll(NewestId(on_b)); };
  // Seconds until `count` more messages came, or a large number.
  auto time_for = [&](int count) {
    const auto begin = std::chrono::steady_clock::now();
    const long long target = newest() + count;
    const auto limit = begin + std::chrono::seconds(20);
    while (newest() < target && std::chrono::steady_clock::now() < limit) {
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  };
  const double together = time_for(kCount);
  EXPECT_GT(together, 0.75 * kCount * kPeriod) << "both servers publish";
  EXPECT_LT(together, 20);

  a->Stop();
  EXPECT_LT(time_for(3), 20) << "the other server did not take the traffic over";
}

// The database made the ordinary way (UTF-8, the system's locale) and one of
// the first recipe (SQL_ASCII, GBK bytes): texts come back as they went in,
// keywords match whole characters and names match without regard to ASCII
// letter case on both.
class serviceStoreRecipes : public ::testing::TestWithParam<PgCluster::Recipe> {};

TEST_P(serviceStoreRecipes, TextsAndMatchesAreTheSameOnEitherRecipe) {
  ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
  const std::string db = SharedCluster().NewDatabase(GetParam());
  ASSERT_FALSE(db.empty()) << SharedCluster().error();
  LocalService service(
      {"--role", "data", "--db", db, "--quota", "0", "--demo", "--demo-count", "20"});
  ASSERT_TRUE(service.ok()) << service.error();
  const ServiceClient c(service);
  const MemberLogin vip = LogIn(c, "demo_vip", "vip123");
  // In GBK, "州广" (D6 DD B9 E3) holds the bytes of "莨" (DD B9).
  const std::string text = "郑州广州 钢材30吨 ＠全角";
  ASSERT_EQ(c.Post(OwnPublishPath(vip, text)), "AddOK");
  const auto newest = ParseCountedPage(c.Get("GetSearchInfo.asp?action=GetTopDatas")).records;
  ASSERT_FALSE(newest.empty());
  EXPECT_EQ(U(newest[0].Content), text);

  struct Case {
    const char* words;
    bool found;
  };
  for (const Case k : {Case{"钢材", true}, Case{"州广", true}, Case{"莨", false},
                       Case{"北京,广州", true}, Case{"北京", false}, Case{"＠全角", true}}) {
    const auto hits = ParseCountedPage(
        c.Get("GetSearchInfo.asp?action=GetTopDatas&Code=&KeyWords=" + Q(k.words)));
    const bool found = std::any_of(hits.records.begin(), hits.records.end(),
                                   [&](const InfoRecord& r) { return U(r.Content) == text; });
    EXPECT_EQ(found, k.found) << k.words;
  }

  const std::string reg = "Register.asp?action=Reg&name1=" + Q("张三") +
                          "&province=" + Q("河南省") + "&city=" + Q("郑州") +
                          "&tel=1234567&password=secret1&username=";
  ASSERT_TRUE(c.Post(reg + "Recipe01").starts_with("RegSuccess"));
  EXPECT_EQ(c.Post(reg + "rECIPE01"), "HasReged");

  if (GetParam() == PgCluster::Recipe::kOrdinary) {  // other tools read the texts
    EXPECT_EQ(PgTexts(db, "SELECT content FROM messages ORDER BY id DESC LIMIT 1"),
              std::vector<std::string>{text});
    EXPECT_EQ(PgTexts(db, "SELECT real_name FROM members WHERE username = 'Recipe01'"),
              std::vector<std::string>{"张三"});
  }
}

INSTANTIATE_TEST_SUITE_P(, serviceStoreRecipes,
                         ::testing::Values(PgCluster::Recipe::kOrdinary,
                                           PgCluster::Recipe::kSqlAscii),
                         [](const auto& param_info) {
                           return param_info.param == PgCluster::Recipe::kOrdinary ? "Utf8"
                                                                                   : "SqlAscii";
                         });

int Migrate(const std::string& db_file, std::string* output) {
  const std::string out_file = db_file + ".out";
  const std::string command = "'" + LocalService::BinaryPath() + "' migrate --db-file '" + db_file +
                              "' >'" + out_file + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(out_file);
  output->assign(std::istreambuf_iterator<char>(in), {});
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A database of the first recipe becomes UTF-8 under its name: other tools
// read its texts, the service gives the same answers as before and numbers
// new messages after the old ones. It refuses while a server is connected.
TEST(serviceMigrate, AnOldRecipeDatabaseBecomesUtf8WithTheSameAnswers) {
  ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
  const std::string db = SharedCluster().NewDatabase(PgCluster::Recipe::kSqlAscii);
  ASSERT_FALSE(db.empty()) << SharedCluster().error();
  const std::vector<std::string> args = {"--role", "data", "--db", db, "--quota", "0"};
  const std::string text = "郑州广州 钢材30吨";
  const std::vector<std::string> pages = {
      "GetSearchInfo.asp?action=GetTopDatas",
      "GetInfo.asp?action=GetTopDatas&Code=" + Q("郑州") + "&inType=8",
      "GetSearchInfo.asp?action=GetTopDatas&Code=&KeyWords=" + Q("钢材,物流"),
      "GetDelInfo.asp?action=GetNewDelInfoID&maxid=0",
  };
  std::vector<std::string> before;
  std::string newest;
  const std::string db_file =
      (std::filesystem::temp_directory_path() / ("tv-migrate-" + std::to_string(getpid())))
          .string();
  std::ofstream(db_file) << db << "\n";
  std::string output;
  {
    auto with_demo = args;
    with_demo.insert(with_demo.end(), {"--demo", "--demo-count", "60"});
    LocalService service(with_demo);
    ASSERT_TRUE(service.ok()) << service.error();
    const ServiceClient c(service);
    const MemberLogin vip = LogIn(c, "demo_vip", "vip123");
    ASSERT_EQ(c.Post(OwnPublishPath(vip, text)), "AddOK");
    for (const auto& page : pages) before.push_back(c.Get(page));
    newest = NewestId(c);
    EXPECT_EQ(Migrate(db_file, &output), 1) << output;
    EXPECT_NE(output.find("stop its data servers"), std::string::npos) << output;
  }
  ASSERT_EQ(Migrate(db_file, &output), 0) << output;
  EXPECT_EQ(PgTexts(db,
                    "SELECT pg_encoding_to_char(encoding) FROM pg_database WHERE datname = "
                    "current_database()"),
            std::vector<std::string>{"UTF8"});
  EXPECT_EQ(PgTexts(db, "SELECT content FROM messages WHERE id = " + newest),
            std::vector<std::string>{text});
  {
    LocalService service(args);
    ASSERT_TRUE(service.ok()) << service.error();
    const ServiceClient c(service);
    for (std::size_t i = 0; i < pages.size(); ++i)
      EXPECT_EQ(c.Get(pages[i]), before[i]) << pages[i];
    const MemberLogin vip = LogIn(c, "demo_vip", "vip123");
    ASSERT_EQ(c.Post(OwnPublishPath(vip, "迁移之后")), "AddOK");
    EXPECT_GT(std::stoll(NewestId(c)), std::stoll(newest));
  }
  EXPECT_EQ(Migrate(db_file, &output), 0) << output;  // once is enough
  EXPECT_NE(output.find("nothing to do"), std::string::npos) << output;
  std::filesystem::remove(db_file);
  std::filesystem::remove(db_file + ".out");
}

}  // namespace
}  // namespace tv::test
