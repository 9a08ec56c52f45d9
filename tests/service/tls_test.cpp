// The service's own HTTPS, through the project's transport with certificates
// of the test's own CA: members are served over TLS beside plain HTTP on one
// store; a certificate for another name, an expired one and one from an
// unknown CA are refused by the client with its notice, and nothing is then
// sent in the clear; a slow TLS client is under the same head limit as a
// plain one, its handshake included.
#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <chrono>
#include <thread>

#include "net/answers.h"
#include "raw_connection.h"
#include "service_client.h"
#include "tls_fixture.h"

namespace tv::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class serviceTls : public TlsFixture {
 protected:
  // The service's options for TLS with the CA's certificate `which`.
  static std::vector<std::string> Tls(const std::string& which, std::vector<std::string> more) {
    more.insert(more.end(), {"--tls-cert", ca().Cert(which), "--tls-key", ca().Key(which)});
    return more;
  }
};

std::string LoginPath(const std::string& user, const std::string& password) {
  return "client_login.asp?action=Login_Client&loginSign=0&username=" + user +
         "&password=" + password;
}

TEST_F(serviceTls, MembersAreServedOverTlsBesidePlainHttpOnOneStore) {
  LocalService service(
      Tls("good", {"--demo", "--demo-count", "40", "--quota", "0", "--tls-listen", "127.0.0.1:0"}));
  ASSERT_TRUE(service.ok()) << service.error();
  ASSERT_EQ(service.tls_host().rfind("https://127.0.0.1:", 0), 0u) << service.tls_host();
  // A member logs in, reads and publishes over TLS; the plain address shows
  // what was published there.
  const std::string tls_host = service.tls_host();
  const auto get = [](const std::string& host, const std::string& path) {
    return FetchEncodedPage("GET", host, "/qavel/client/" + path);
  };
  const LoginAnswer login = ParseLoginAnswer(
      FetchEncodedPage("POST", tls_host, "/qavel/client/" + LoginPath("demo_vip", "vip123")));
  ASSERT_TRUE(login.ok());
  const MemberLogin member{login.profile, std::to_string(login.profile.UserId),
                           login.profile.SessionKey};
  EXPECT_FALSE(
      ParseCountedPage(get(tls_host, "GetSearchInfo.asp?action=GetTopDatas")).records.empty());
  const std::string added = FetchEncodedPage(
      "POST", tls_host, "/qavel/client/" + OwnPublishPath(member, "郑州到广州 钢材30吨 求车"));
  ASSERT_EQ(added.rfind("AddOK", 0), 0u) << added;
  const auto newest = ParseCountedPage(get(service.host(), "GetSearchInfo.asp?action=GetTopDatas"));
  ASSERT_FALSE(newest.records.empty());
  EXPECT_EQ(U(newest.records.at(0).Content), "郑州到广州 钢材30吨 求车");
  EXPECT_TRUE(Notices().empty());
}

TEST_F(serviceTls, ACertificateTheClientCannotTrustIsRefusedAndNothingGoesOutInTheClear) {
  struct Case {
    const char* certificate;
    const char* reason;
    bool handshake_fails;  // else the client checks the name after the handshake and hangs up
  };
  const Case cases[] = {
      {"wrong-name", "证书不是为这个主机签发的", false},
      {"expired", "证书已过期", true},
      {"stranger", "证书的签发机构不受信任", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.certificate);
    ClearNotices();
    LocalService service(Tls(c.certificate, {"--demo", "--demo-count", "5"}));
    ASSERT_TRUE(service.ok()) << service.error();
    const std::string host = service.host();
    ASSERT_EQ(host.rfind("https://", 0), 0u) << host;
    EXPECT_EQ(FetchEncodedPage("POST", host, "/qavel/client/" + LoginPath("demo_vip", "vip123")),
              "Error");
    EXPECT_EQ(FetchEncodedPage("GET", host, "/qavel/client/GetSearchInfo.asp?action=GetTopDatas"),
              "Error");
    const std::vector<std::string> notice(2, "无法与 " + host + " 建立安全连接: " + c.reason);
    EXPECT_EQ(Notices(), notice);
    // A stopped service has logged all it counted: no plain HTTP request
    // reached it, and the refused handshakes are told to the operator.
    service.Stop();
    const std::string log = service.Log();
    EXPECT_EQ(log.find("plain HTTP"), std::string::npos) << log;
    EXPECT_EQ(log.find("closed 2 connection(s) whose TLS handshake failed") != std::string::npos,
              c.handshake_fails)
        << log;
  }
}

// A TLS client on a raw socket: the handshake, then whatever bytes it is
// told to send.
class TlsClient {
 public:
  TlsClient(int fd, const std::string& ca_file)
      : ctx_(SSL_CTX_new(TLS_client_method())), ssl_(nullptr) {
    SSL_CTX_load_verify_locations(ctx_, ca_file.c_str(), nullptr);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    ssl_ = SSL_new(ctx_);
    SSL_set_fd(ssl_, fd);
  }
  ~TlsClient() {
    SSL_free(ssl_);
    SSL_CTX_free(ctx_);
  }
  bool Handshake() { return SSL_connect(ssl_) == 1; }
  bool Send(const std::string& bytes) {
    return SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size())) > 0;
  }

 private:
  SSL_CTX* ctx_;
  SSL* ssl_;
};

TEST_F(serviceTls, TheHandshakeCountsAgainstTheHeadLimit) {
  constexpr auto kHeadLimit = milliseconds(2000);
  LocalService service(Tls("good", {"--head-timeout", "2"}));
  ASSERT_TRUE(service.ok()) << service.error();
  // A client silent after connecting, one that stops in the middle of its
  // hello, and one that waits before a quick handshake and then sends half a
  // request: each is closed when the head limit from its connection is over
  // (the last one not a head limit after its handshake).
  enum Kind { kSilent, kHalfHello, kLateHandshake };
  for (const Kind kind : {kSilent, kHalfHello, kLateHandshake}) {
    SCOPED_TRACE(kind);
    RawConnection conn(service.port());
    ASSERT_TRUE(conn.ok());
    const auto connected = Clock::now();
    TlsClient tls(conn.fd(), ca().CaFile());
    if (kind == kHalfHello) {
      ASSERT_TRUE(conn.Send(std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11)));
    } else if (kind == kLateHandshake) {
      // The slow client under test: it idles away most of the limit first.
      std::this_thread::sleep_for(kHeadLimit * 6 / 10);
      ASSERT_TRUE(tls.Handshake());
      ASSERT_TRUE(tls.Send("GET /qavel/client/checkhost.htm HTTP/1.1\r\nHost: x\r\n"));
    }
    EXPECT_TRUE(conn.ClosedWithin(kHeadLimit + milliseconds(3000)));
    const auto held = Clock::now() - connected;
    EXPECT_GE(held, kHeadLimit - milliseconds(100));
    EXPECT_LE(held, kHeadLimit + milliseconds(900));
  }
}

}  // namespace
}  // namespace tv::test
