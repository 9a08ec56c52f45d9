// tarvolo-cli over HTTPS end to end, through the real transport: the portal
// and the data server are a tarvolo-service that speaks TLS only, with a
// certificate of the test's own CA. Logged in, the feed read and a
// message published with the CA named in the settings; without it, the
// login is refused with the notice naming the host, and nothing reaches the
// service.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"
#include "core/gbk.h"
#include "local_service.h"
#include "test_ca.h"

namespace tv {
namespace {

using test::CliResult;
using test::RunCli;

TEST(CliTlsTest, LogsInReadsAndPublishesOverHttpsAndRefusesAnUntrustedCertificate) {
  char pattern[] = "/tmp/tv-cli-tls-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  TestCa ca(dir);
  ASSERT_TRUE(ca.ok()) << ca.error();
  // The service is its own portal and hands out its own https:// address
  // as the one data server.
  LocalService service({"--demo", "--demo-count", "50", "--quota", "0", "--tls-cert",
                        ca.Cert("good"), "--tls-key", ca.Key("good")});
  ASSERT_TRUE(service.ok()) << service.error();
  const std::string https_host = service.host();
  ASSERT_EQ(https_host.rfind("https://", 0), 0u) << https_host;

  const std::vector<std::string> env = {"TARVOLO_PORTAL_HOST=" + https_host,
                                        "TARVOLO_FALLBACK_HOST=" + https_host,
                                        "TARVOLO_SETTINGS=" + dir + "/settings.db"};
  // Our CA is unknown to the system's store: refused, said, nothing sent.
  const CliResult refused = RunCli({"login", "demo_vip", "vip123"}, env);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.err.find("无法与 " + https_host + " 建立安全连接: 证书的签发机构不受信任"),
            std::string::npos)
      << refused.err;

  ASSERT_EQ(RunCli({"settings", "set", "main", "TlsCaFiletavrelomin", ca.CaFile()}, env).exit_code,
            0);
  const CliResult login = RunCli({"login", "demo_vip", "vip123"}, env);
  EXPECT_EQ(login.exit_code, 0) << login.err;
  EXPECT_NE(login.out.find("Kind\tfull"), std::string::npos) << login.out;
  EXPECT_EQ(RunCli({"settings", "get", "main", "initloginurltavrelomin2"}, env).out,
            https_host + "\n");

  const CliResult feed = RunCli({"feed", "--user", "demo_vip", "--password", "vip123"}, env);
  EXPECT_EQ(feed.exit_code, 0) << feed.err;
  EXPECT_FALSE(feed.out.empty());

  const CliResult published = RunCli(
      {"publish", "--user", "demo_vip", "--password", "vip123", "郑州到广州 钢材30吨 求车"}, env);
  EXPECT_EQ(published.exit_code, 0) << published.err;
  EXPECT_EQ(published.out.rfind("AddOK\t", 0), 0u) << published.out;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tv
