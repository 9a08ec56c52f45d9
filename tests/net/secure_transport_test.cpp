// The transport over TLS against servers of the test's own with
// certificates of its own making: a sound one is accepted, a certificate for
// another name, an expired one and one from an unknown CA are refused with a
// notice naming the host and the reason, and a TLS host is never asked in
// plain HTTP.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <memory>
#include <thread>

#include "net/transport.h"
#include "tls_fixture.h"

namespace tv {
namespace {

// One server on 127.0.0.1 (ephemeral port), TLS or plain, counting the
// requests that reached it.
class PageServer {
 public:
  explicit PageServer(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {
    server_->Get("/qavel/client/checkhost.htm",
                 [this](const httplib::Request&, httplib::Response& res) {
                   ++requests_;
                   res.set_content("TestOK", "text/plain");
                 });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
  }
  ~PageServer() {
    server_->stop();
    thread_.join();
  }
  std::string Authority() const { return "127.0.0.1:" + std::to_string(port_); }
  int Requests() const { return requests_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

class SecureTransportTest : public test::TlsFixture {
 protected:
  static std::unique_ptr<httplib::Server> TlsServer(const std::string& which) {
    return std::make_unique<httplib::SSLServer>(ca().Cert(which).c_str(), ca().Key(which).c_str());
  }
};

TEST_F(SecureTransportTest, OnlyASoundCertificateForTheHostIsAccepted) {
  struct Case {
    const char* certificate;
    const char* reason;  // nullptr: accepted
  };
  const Case cases[] = {
      {"good", nullptr},
      {"wrong-name", "证书不是为这个主机签发的"},
      {"expired", "证书已过期"},
      {"stranger", "证书的签发机构不受信任"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.certificate);
    ClearNotices();
    PageServer server(TlsServer(c.certificate));
    const std::string host = "https://" + server.Authority();
    const std::string answer = FetchPage("GET", host, "/qavel/client/checkhost.htm");
    if (c.reason == nullptr) {
      EXPECT_EQ(answer, "TestOK");
      EXPECT_EQ(server.Requests(), 1);
      EXPECT_TRUE(Notices().empty());
      continue;
    }
    EXPECT_EQ(answer, "Error");
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_EQ(Notices(), std::vector<std::string>{"无法与 " + host + " 建立安全连接: " + c.reason});
  }
}

TEST_F(SecureTransportTest, OurCaIsTrustedOnlyWhenTheSettingNamesIt) {
  PageServer server(TlsServer("good"));
  const std::string host = "https://" + server.Authority();
  SetExtraCaFile("");
  EXPECT_EQ(FetchPage("GET", host, "/qavel/client/checkhost.htm"), "Error");
  EXPECT_EQ(Notices(),
            std::vector<std::string>{"无法与 " + host + " 建立安全连接: 证书的签发机构不受信任"});

  SetExtraCaFile(dir() + "/no-such-ca.crt");
  EXPECT_EQ(FetchPage("GET", host, "/qavel/client/checkhost.htm"), "Error");
  EXPECT_EQ(Notices().size(), 2u);
  EXPECT_NE(Notices().back().find("no-such-ca.crt 无法读取"), std::string::npos)
      << Notices().back();
  EXPECT_EQ(server.Requests(), 0);

  // The system's store still counts beside our file: a plain request to a
  // host without a scheme is untouched by any of it.
  SetExtraCaFile(ca().CaFile());
  EXPECT_EQ(FetchPage("GET", host, "/qavel/client/checkhost.htm"), "TestOK");
}

TEST_F(SecureTransportTest, ATlsHostIsNeverAskedInPlainHttp) {
  PageServer plain(std::make_unique<httplib::Server>());
  EXPECT_EQ(FetchPage("GET", plain.Authority(), "/qavel/client/checkhost.htm"), "TestOK");
  EXPECT_EQ(plain.Requests(), 1);
  // The same server named with https:// answers no TLS handshake: the
  // request fails, is told, and does not go out in the clear instead.
  const std::string host = "https://" + plain.Authority();
  EXPECT_EQ(FetchPage("GET", host, "/qavel/client/checkhost.htm"), "Error");
  EXPECT_EQ(FetchEncodedPage("POST", host, "/qavel/client/checkhost.htm"), "Error");
  EXPECT_EQ(plain.Requests(), 1);
  ASSERT_FALSE(Notices().empty());
  EXPECT_EQ(Notices()[0].rfind("无法与 " + host + " 建立安全连接: 安全连接失败", 0), 0u)
      << Notices()[0];
  // A download from an https:// address is not followed into plain HTTP.
  EXPECT_EQ(DownloadToFile(host + "/qavel/client/checkhost.htm", dir() + "/download"), -1);
  EXPECT_EQ(plain.Requests(), 1);
}

}  // namespace
}  // namespace tv
