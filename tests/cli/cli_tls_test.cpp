// tarvolo-cli over HTTPS end to end, through the real transport: the portal
// and the data server are a tarvolo-service behind an nginx that speaks TLS
// with a certificate of the test's own CA. Logged in, the feed read and a
// message published with the CA named in the settings; without it, the
// login is refused with the notice naming the host, and nothing reaches the
// service.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "core/gbk.h"
#include "local_service.h"
#include "test_ca.h"

extern char** environ;

namespace tv {
namespace {

using test::CliResult;
using test::RunCli;

// A port that was free a moment ago (nginx binds it by number).
int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

bool Accepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

// nginx in the foreground on `port`, terminating TLS in front of
// `upstream`, with the CA's sound certificate for 127.0.0.1.
class TlsFront {
 public:
  TlsFront(const std::string& dir, const TestCa& ca, int port, const std::string& upstream)
      : port_(port) {
    const std::string conf = dir + "/nginx.conf";
    std::ofstream(conf) << "daemon off;\n"
                        << "pid " << dir << "/nginx.pid;\n"
                        << "error_log " << dir << "/nginx-error.log;\n"
                        << "events {}\n"
                        << "http {\n"
                        << "  access_log " << dir << "/nginx-access.log;\n"
                        << "  client_body_temp_path " << dir << ";\n"
                        << "  proxy_temp_path " << dir << ";\n"
                        << "  server {\n"
                        << "    listen 127.0.0.1:" << port_ << " ssl;\n"
                        << "    ssl_certificate " << ca.Cert("good") << ";\n"
                        << "    ssl_certificate_key " << ca.Key("good") << ";\n"
                        << "    ssl_protocols TLSv1.2 TLSv1.3;\n"
                        << "    location / { proxy_pass http://" << upstream << "; }\n"
                        << "  }\n"
                        << "}\n";
    std::vector<std::string> args = {"nginx", "-p", dir, "-c", conf};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, "nginx", nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !Accepts(port_) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));  // polled, with a deadline
    }
  }
  ~TlsFront() {
    if (pid_ > 0) {
      ::kill(pid_, SIGQUIT);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  TlsFront(const TlsFront&) = delete;
  TlsFront& operator=(const TlsFront&) = delete;
  bool ok() const { return pid_ > 0 && Accepts(port_); }

 private:
  int port_;
  pid_t pid_ = -1;
};

TEST(CliTlsTest, LogsInReadsAndPublishesOverHttpsAndRefusesAnUntrustedCertificate) {
  char pattern[] = "/tmp/tv-cli-tls-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  TestCa ca(dir);
  ASSERT_TRUE(ca.ok()) << ca.error();
  // The service hands out the front's address as its one data server, and
  // is its own portal behind the same front.
  const int port = FreePort();
  const std::string https_host = "https://127.0.0.1:" + std::to_string(port);
  LocalService service({"--demo", "--demo-count", "50", "--quota", "0", "--hosts", https_host});
  ASSERT_TRUE(service.ok()) << service.error();
  TlsFront front(dir, ca, port, service.host());
  ASSERT_TRUE(front.ok()) << "nginx did not start; see " << dir << "/nginx-error.log";

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
