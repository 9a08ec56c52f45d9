// Server discovery against real local services in their portal, fall-back and
// data roles, and a staged portal that answers with an HTML page.
#include <httplib.h>

#include <thread>

#include "app/server_discovery.h"
#include "app_fixture.h"
#include "local_service.h"
#include "settings/values.h"

namespace tv {
namespace {

class DiscoveryTest : public ::testing::Test {
 protected:
  TempSettings settings_;
};

TEST_F(DiscoveryTest, FirstRunTakesTheListFromThePortalAndRemembersTheHost) {
  LocalService data({"--role", "data"});
  ASSERT_TRUE(data.ok()) << data.error();
  LocalService portal({"--role", "portal", "--hosts", data.host()});
  ASSERT_TRUE(portal.ok()) << portal.error();

  ServerDiscovery discovery(portal.host(), DeadHost());
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), data.host());
  EXPECT_EQ(StoredHost(), data.host());
  EXPECT_EQ(StoredServerList(), "1@@" + data.host());
  EXPECT_EQ(discovery.Table()[0], data.host());
  EXPECT_EQ(discovery.Table()[1], "NULL");
  EXPECT_EQ(discovery.DiscoveryCounter(), 0);
}

TEST_F(DiscoveryTest, LaterRunUsesTheStoredListAndChecksTheStoredHostFirst) {
  LocalService listed({"--role", "data"});
  LocalService remembered({"--role", "data"});
  ASSERT_TRUE(listed.ok() && remembered.ok());
  RecordStoredServerList("2@@" + listed.host() + "/" + listed.host());
  RecordStoredHost(remembered.host());

  // The portal is down: the stored list must be enough.
  ServerDiscovery discovery(DeadHost(), DeadHost());
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), remembered.host());
  // Later discoveries go by the draw (slots 0 and 1 only).
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), listed.host());
}

// A proxy's error page, or the page of a captive Wi-Fi portal: kept as the
// list, such a page would leave nothing to draw from in this run and every
// later one.
TEST_F(DiscoveryTest, HtmlFromThePortalLeadsToTheFallbacksEncodedList) {
  LocalService data({"--role", "data"});
  LocalService fallback({"--role", "fallback", "--hosts", data.host()});
  ASSERT_TRUE(data.ok() && fallback.ok());
  for (const char* page : {"<html><body>proxy error</body></html>",
                           "<!DOCTYPE html><html lang=\"zh\"><body>请先登录</body></html>",
                           "0@@<b>x</b>", "x@@a.example"}) {
    SCOPED_TRACE(page);
    RecordStoredServerList("");
    httplib::Server proxy;
    proxy.Get("/qavel/client/getus.htm", [page](const httplib::Request&, httplib::Response& res) {
      res.set_content(page, "text/html");
    });
    const int port = proxy.bind_to_any_port("127.0.0.1");
    std::thread serve([&] { proxy.listen_after_bind(); });

    ServerDiscovery discovery("127.0.0.1:" + std::to_string(port), fallback.host());
    const bool found = discovery.DiscoverServer();
    proxy.stop();
    serve.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(discovery.CurrentHost(), data.host());
    EXPECT_EQ(StoredServerList(), "1@@" + data.host());
  }
}

TEST_F(DiscoveryTest, AStoredListThatIsNoListIsFetchedAgain) {
  LocalService data({"--role", "data"});
  LocalService portal({"--role", "portal", "--hosts", data.host()});
  ASSERT_TRUE(data.ok() && portal.ok());
  RecordStoredServerList("<!DOCTYPE html><html lang=\"zh\"><head>");
  ServerDiscovery discovery(portal.host(), DeadHost());
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), data.host());
  EXPECT_EQ(StoredServerList(), "1@@" + data.host());
}

// The service moved: every server of the stored list is gone. The round asks
// the portal for the list again instead of failing for as long as it is kept.
TEST_F(DiscoveryTest, WhenEveryStoredServerFailsTheListIsFetchedAgain) {
  LocalService data({"--role", "data"});
  LocalService portal({"--role", "portal", "--hosts", data.host()});
  ASSERT_TRUE(data.ok() && portal.ok());
  const std::string gone = DeadHost();
  RecordStoredServerList("2@@" + gone + "/" + DeadHost());
  RecordStoredHost(gone);
  ServerDiscovery discovery(portal.host(), DeadHost());
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), data.host());
  EXPECT_EQ(StoredServerList(), "1@@" + data.host());
  EXPECT_EQ(StoredHost(), data.host());
}

// Later discoveries draw from the first two slots only; with a list of one
// server the second holds the end marker, which must not fail a round while
// the server answers.
TEST_F(DiscoveryTest, LaterDiscoveriesOfAOneServerListFindItEveryTime) {
  LocalService data({"--role", "data"});
  ASSERT_TRUE(data.ok());
  RecordStoredServerList("1@@" + data.host());
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    ServerDiscovery discovery(DeadHost(), DeadHost());
    discovery.Seed(seed);
    ASSERT_TRUE(discovery.DiscoverServer());
    for (int call = 1; call <= 4; ++call) {
      EXPECT_TRUE(discovery.DiscoverServer()) << "seed " << seed << ", later call " << call;
      EXPECT_EQ(discovery.CurrentHost(), data.host());
    }
  }
}

TEST_F(DiscoveryTest, AHostThatIsDownIsPassedOver) {
  LocalService data({"--role", "data"});
  ASSERT_TRUE(data.ok());
  const std::string dead = DeadHost();
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    RecordStoredServerList("2@@" + dead + "/" + data.host());
    ServerDiscovery discovery(DeadHost(), DeadHost());
    discovery.Seed(seed);
    ASSERT_TRUE(discovery.DiscoverServer()) << "seed " << seed;
    EXPECT_EQ(discovery.CurrentHost(), data.host());
  }
}

TEST_F(DiscoveryTest, NothingAnywhereFailsWithoutTouchingTheTable) {
  ServerDiscovery discovery(DeadHost(), DeadHost());
  EXPECT_FALSE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.DiscoveryCounter(), 1);
  EXPECT_EQ(discovery.Table()[2], "NULL");
  EXPECT_EQ(StoredServerList(), "");
}

TEST_F(DiscoveryTest, ALoneHostThatFailsIsRetriedAndTheCallEnds) {
  const std::string dead = DeadHost();
  RecordStoredServerList("1@@" + dead);
  ServerDiscovery discovery(DeadHost(), DeadHost());
  EXPECT_FALSE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), dead);
  EXPECT_EQ(StoredHost(), "");
}

TEST_F(DiscoveryTest, ListsBeyondNineHostsKeepTheFirstNine) {
  std::string list = "12@@";
  for (int i = 1; i <= 12; ++i) list += (i > 1 ? "/" : "") + DeadHost();
  RecordStoredServerList(list);
  ServerDiscovery discovery(DeadHost(), DeadHost());
  EXPECT_FALSE(discovery.DiscoverServer());
  auto table = discovery.Table();
  ASSERT_EQ(table.size(), 10u);
  for (int i = 0; i < 9; ++i) EXPECT_NE(table[static_cast<std::size_t>(i)], "NULL");
  EXPECT_EQ(table[9], "NULL");
}

TEST_F(DiscoveryTest, FiveFailuresInARowMakeTheNextCallReadTheListAgain) {
  ServerDiscovery discovery(DeadHost(), DeadHost());
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(discovery.DiscoverServer());
  // The list arrives in the store meanwhile; only a refresh can see it.
  LocalService data({"--role", "data"});
  ASSERT_TRUE(data.ok());
  RecordStoredServerList("1@@" + data.host());
  ASSERT_TRUE(discovery.DiscoverServer());
  EXPECT_EQ(discovery.CurrentHost(), data.host());
  // Success at a counter above five leaves it, so the next call refreshes too.
  EXPECT_EQ(discovery.DiscoveryCounter(), 6);
}

}  // namespace
}  // namespace tv
