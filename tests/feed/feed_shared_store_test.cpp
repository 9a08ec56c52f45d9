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
    UseSettingsStore(SettingsStore::Open(dir_.filePath(QStringLiteral("settings.db")).toStdString()));
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

TEST(FeedSharedStoreTest, ClientsOfAStoppedServerMoveToTheOthersAndMissNothing) {
  test::PgCluster cluster;
  ASSERT_TRUE(cluster.ok()) << cluster.error();
  const std::string uri = cluster.NewDatabase();
  ASSERT_FALSE(uri.empty()) << cluster.error();
  const SqlQuery db = [uri](const std::string& sql) { return test::PgNumbers(uri, sql); };

  // Every server asks for live traffic; one at a time runs it, another takes
  // it over when that one stops.
  std::vector<std::unique_ptr<LocalService>> data;
  std::string hosts;
  for (int i = 0; i < 3; ++i) {
    std::vector<std::string> args{"--role", "data", "--db", uri, "--quota", "0", "--simulate",
                                  "0.05"};
    if (i == 0) args.emplace_back("--demo");
    data.push_back(std::make_unique<LocalService>(args));
    ASSERT_TRUE(data.back()->ok()) << data.back()->error();
    hosts += (i ? "/" : "") + data.back()->host();
  }
  LocalService portal({"--role", "portal", "--hosts", hosts});
  ASSERT_TRUE(portal.ok()) << portal.error();

  TempSettings settings;
  // Repeatable draws that put clients on every server, most on the third.
  constexpr int kClients = 6;
  std::vector<std::unique_ptr<Client>> clients;
  std::map<std::string, int> clients_on;
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<Client>(portal.host(), 10 + i));
    ASSERT_TRUE(clients.back()->found);
    ++clients_on[clients.back()->Host()];
  }
  ASSERT_EQ(clients_on.size(), 3u) << "the clients' polls do not spread over the servers";
  for (auto& c : clients) {
    c->start = FollowWholeCountry(*c->feed);
    ASSERT_GT(c->start, 0);
  }

  // The server with the most clients stops.
  const std::string stopped =
      std::max_element(clients_on.begin(), clients_on.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; })
          ->first;
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
                s->host() == stopped ? " stopped" : "", clients_on[s->host()],
                now_on[s->host()]);
  }

  const std::int64_t newest = NewestIn(db);
  for (std::size_t i = 0; i < clients.size(); ++i) {
    Client& c = *clients[i];
    SCOPED_TRACE("client " + std::to_string(i) + " first on " +
                 (std::find(moving.begin(), moving.end(), &c) != moving.end() ? "the stopped"
                                                                              : "a live") +
                 " server");
    ASSERT_TRUE(WaitForNewest(*c.feed, newest));
    EXPECT_NE(c.Host(), stopped);
    EXPECT_NE(hosts.find(c.Host()), std::string::npos) << c.Host();
    const std::string label = "client " + std::to_string(i);
    ExpectEveryMessageOnce(*c.feed, db, c.start, label.c_str());
  }
}

}  // namespace
}  // namespace tv
