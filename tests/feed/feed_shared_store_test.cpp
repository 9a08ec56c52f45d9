// The feed's outage with three data servers and a portal on one PostgreSQL
// database: each client draws its server from the portal's list with the
// client's own discovery, one server stops, and its clients move to the
// others by themselves with every message on top once. PostgreSQL missing is
// a failure, not a skip.
#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <map>

#include "app/server_discovery.h"
#include "pg_cluster.h"
#include "service_fixture.h"
#include "settings/store.h"
#include "settings/values.h"

namespace tv {
namespace {

using feed_test::ExpectEveryMessageOnce;
using feed_test::FollowWholeCountry;
using feed_test::kWaitMs;
using feed_test::NewestIn;
using feed_test::OutageMessages;
using feed_test::ServiceFeed;
using feed_test::SqlQuery;
using feed_test::WaitForNewest;

// The settings of the client machines in a temporary file.
class TempSettings {
 public:
  TempSettings() {
    UseSettingsStore(
        SettingsStore::Open(dir_.filePath(QStringLiteral("settings.db")).toStdString()));
  }
  ~TempSettings() { UseSettingsStore(nullptr); }
  TempSettings(const TempSettings&) = delete;
  TempSettings& operator=(const TempSettings&) = delete;

 private:
  QTemporaryDir dir_;
};

// One client machine: a first run of its server discovery through the portal,
// then a feed wired to that discovery as the client wires it.
struct Client {
  Client(const std::string& portal, std::uint32_t seed) : servers(portal, portal) {
    servers.Seed(seed);
    // A machine of its own: nothing remembered from another client.
    RecordStoredHost("");
    RecordStoredServerList("");
    found = servers.DiscoverServer();
    feed = std::make_unique<ServiceFeed>([this] { return servers.DiscoverServer(); },
                                         [this] { return servers.CurrentHost(); });
  }
  std::string Host() const { return feed->feed->FeedHost(); }

  ServerDiscovery servers;
  bool found = false;
  std::unique_ptr<ServiceFeed> feed;  // destroyed first: its workers call `servers`
  std::int64_t start = 0;
};

// Three data servers and a portal on one database of a throwaway cluster,
// and six client machines that found their servers through the portal.
class FeedSharedStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cluster.ok()) << cluster.error();
    uri = cluster.NewDatabase();
    ASSERT_FALSE(uri.empty()) << cluster.error();
    db = [this](const std::string& sql) { return test::PgNumbers(uri, sql); };
    // Every server asks for live traffic; one at a time runs it, another
    // takes it over when that one stops.
    for (int i = 0; i < 3; ++i) {
      std::vector<std::string> args{"--role",  "data", "--db",       uri,
                                    "--quota", "0",    "--simulate", "0.05"};
      if (i == 0) args.emplace_back("--demo");
      data.push_back(std::make_unique<LocalService>(args));
      ASSERT_TRUE(data.back()->ok()) << data.back()->error();
      hosts += (i ? "/" : "") + data.back()->host();
    }
    portal = std::make_unique<LocalService>(
        std::vector<std::string>{"--role", "portal", "--hosts", hosts});
    ASSERT_TRUE(portal->ok()) << portal->error();
    settings = std::make_unique<TempSettings>();
    // Repeatable draws that put clients on every server, most on the third.
    for (int i = 0; i < 6; ++i) {
      clients.push_back(std::make_unique<Client>(portal->host(), 10 + i));
      ASSERT_TRUE(clients.back()->found);
      ++clients_on[clients.back()->Host()];
    }
    ASSERT_EQ(clients_on.size(), 3u) << "the clients' polls do not spread over the servers";
  }
  void TearDown() override {
    clients.clear();
    settings.reset();
  }

  test::PgCluster cluster;
  std::string uri;
  SqlQuery db;
  std::vector<std::unique_ptr<LocalService>> data;
  std::string hosts;
  std::unique_ptr<LocalService> portal;
  std::unique_ptr<TempSettings> settings;
  std::vector<std::unique_ptr<Client>> clients;
  std::map<std::string, int> clients_on;
};

TEST_F(FeedSharedStoreTest, ClientsOfAStoppedServerMoveToTheOthersAndMissNothing) {
  for (auto& c : clients) {
    c->start = FollowWholeCountry(*c->feed);
    ASSERT_GT(c->start, 0);
  }

  // The server with the most clients stops.
  const std::string stopped =
      std::max_element(clients_on.begin(), clients_on.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
      })->first;
  std::vector<Client*> moving;
  std::vector<int> tried;
  for (auto& c : clients) {
    if (c->Host() != stopped) continue;
    moving.push_back(c.get());
    tried.push_back(c->feed->discoveries_tried.load());
  }
  const std::int64_t before = NewestIn(db);
  for (auto& s : data) {
    if (s->host() == stopped) s->Stop();
  }
  // Its clients looked for another server while the traffic went on.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (std::size_t i = 0; i < moving.size(); ++i) {
          if (moving[i]->feed->discoveries_tried.load() <= tried[i]) return false;
        }
        return NewestIn(db) >= before + OutageMessages();
      },
      kWaitMs));

  std::map<std::string, int> now_on;
  for (const auto& c : clients) ++now_on[c->Host()];
  for (const auto& s : data) {
    std::printf("[%s%s] clients %d, then %d\n", s->host().c_str(),
                s->host() == stopped ? " stopped" : "", clients_on[s->host()], now_on[s->host()]);
  }

  const std::int64_t newest = NewestIn(db);
  for (std::size_t i = 0; i < clients.size(); ++i) {
    Client& c = *clients[i];
    SCOPED_TRACE(
        "client " + std::to_string(i) + " first on " +
        (std::find(moving.begin(), moving.end(), &c) != moving.end() ? "the stopped" : "a live") +
        " server");
    ASSERT_TRUE(WaitForNewest(*c.feed, newest));
    EXPECT_NE(c.Host(), stopped);
    EXPECT_NE(hosts.find(c.Host()), std::string::npos) << c.Host();
    const std::string label = "client " + std::to_string(i);
    ExpectEveryMessageOnce(*c.feed, db, c.start, label.c_str());
  }
}

// Lines of a service's log that hold `text`.
int LinesWith(const std::string& log, const std::string& text) {
  int n = 0;
  for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
  return n;
}

// The database restarts, then stays away for 20 s, while three data servers
// answer the clients' polls and the live traffic publishes. The servers say
// so once per outage and come back by themselves, the clients too, and every
// message reaches every client once, in order.
TEST_F(FeedSharedStoreTest, ServersAndClientsRideOutTheDatabaseGoingAway) {
  for (auto& c : clients) {
    c->start = FollowWholeCountry(*c->feed);
    ASSERT_GT(c->start, 0);
  }
  // The live traffic goes on after the database came back, and every client
  // catches up by itself.
  const auto recovered = [&](const char* after) {
    SCOPED_TRACE(after);
    std::int64_t resumed = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          const std::int64_t newest = NewestIn(db);
          if (resumed == 0) resumed = newest;
          return newest >= resumed + 10;
        },
        kWaitMs));
    const std::int64_t newest = NewestIn(db);
    for (auto& c : clients) ASSERT_TRUE(WaitForNewest(*c->feed, newest)) << c->Host();
  };

  ASSERT_TRUE(cluster.Restart());
  recovered("pg_ctl restart");
  ASSERT_TRUE(cluster.Stop());
  QTest::qWait(20000);  // the outage itself; the clients poll on meanwhile
  ASSERT_TRUE(cluster.Start());
  recovered("a stop of 20 s");

  for (std::size_t i = 0; i < clients.size(); ++i) {
    const std::string label = "client " + std::to_string(i);
    ExpectEveryMessageOnce(*clients[i]->feed, db, clients[i]->start, label.c_str());
  }
  for (const auto& s : data) {
    const std::string log = s->Log();
    SCOPED_TRACE(s->host() + "\n" + log);
    EXPECT_EQ(LinesWith(log, "the database is out of reach"), 2);
    EXPECT_EQ(LinesWith(log, "the database answers again"), 2);
  }
}

}  // namespace
}  // namespace tv
