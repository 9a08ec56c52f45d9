// What the service logs never holds a password, a session key or a request's
// query: logins right and wrong, registrations taken and refused, member
// pages with keys, and requests refused for their size or their bytes all
// carry secrets, and every line of the log is searched for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ascii.h"
#include "net/member_key.h"
#include "raw_connection.h"
#include "service_client.h"

namespace tv::test {
namespace {

constexpr char kPassword[] = "Logpass-7781";
constexpr char kWrongPassword[] = "Wrongpass-4493";
constexpr char kRefusedPassword[] = "Refusedpass-5150";
constexpr char kPagePassword[] = "Pagepass-3131";
constexpr char kBogusKey[] = "0123456789abcdef0123456789abcdef";
// Every query below carries this parameter; no part of a query may show.
constexpr char kQueryMark[] = "qmark=Querymark-2718";

std::string RegisterPath(const std::string& user, const std::string& password) {
  return "Register.asp?action=Reg&username=" + user + "&password=" + password +
         "&name1=" + Q("张三") + "&province=" + Q("安徽省") + "&city=" + Q("合肥") +
         "&town=" + Q("市区") + "&tel=" + Q("0551-6543210") + "&" + kQueryMark;
}

std::string LoginPath(const std::string& user, const std::string& password) {
  return "client_login.asp?action=Login_Client&loginSign=0&username=" + user +
         "&password=" + password + "&" + kQueryMark;
}

// Sends `request` on a connection of its own and reads to the close.
std::string Raw(const LocalService& service, const std::string& request) {
  RawConnection conn(service.port());
  if (!conn.ok() || !conn.Send(request)) return "";
  shutdown(conn.fd(), SHUT_WR);  // all is sent: a refusal need not linger
  return conn.ReadToClose(std::chrono::milliseconds(5000));
}

TEST(serviceLogSecrets, NoPasswordSessionKeyOrQueryIsLogged) {
  LocalService service({"--demo", "--demo-count", "20"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);

  EXPECT_EQ(client.Post(RegisterPath("logtest01", kPassword)).rfind("RegSuccess", 0), 0u);
  EXPECT_EQ(client.Post(RegisterPath("x", kRefusedPassword)), "RegError");
  EXPECT_TRUE(ParseLoginAnswer(client.Post(LoginPath("logtest01", kPassword))).ok());
  EXPECT_EQ(client.Post(LoginPath("logtest01", kWrongPassword)), "PassError");
  EXPECT_EQ(client.Post(LoginPath("nobody99", kWrongPassword)), "UserOrPassError");
  const MemberLogin vip = LogIn(client, "demo_vip", "vip123");
  EXPECT_EQ(client.Post(OwnPublishPath(vip, "日志测试 钢材30吨") + "&" + kQueryMark), "AddOK");
  client.Get(WithSessionKey(
      "GetFrindInfo.asp?action=GetFrindInfo&UserID=" + vip.flag + "&" + kQueryMark, kBogusKey));
  // The member's page: opened with the session key, signed in with a
  // wrong password.
  client.Plain("/qavel/manager/myinfos.asp?userid=" + vip.flag + "&SessionKey=" + vip.key + "&" +
               kQueryMark);
  const std::string form =
      std::string("userid=") + vip.flag + "&do=login&password=" + kPagePassword + "&" + kQueryMark;
  Raw(service,
      "POST /qavel/manager/myinfos.asp HTTP/1.1\r\nHost: x\r\nContent-Type: "
      "application/x-www-form-urlencoded\r\nContent-Length: " +
          std::to_string(form.size()) + "\r\nConnection: close\r\n\r\n" + form);

  // Refused requests: bad bytes in the query (400), a request line and a
  // head over the limits (414, 431), a body over its limit (413).
  const std::string login = "/qavel/client/" + LoginPath("demo_vip", kWrongPassword);
  EXPECT_EQ(Raw(service, "GET " + login + "&bad=%ZZ HTTP/1.1\r\nHost: x\r\n\r\n").substr(0, 12),
            "HTTP/1.1 400");
  EXPECT_EQ(Raw(service,
                "GET " + login + "&pad=" + std::string(9000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 414");
  EXPECT_EQ(Raw(service, "GET " + login + " HTTP/1.1\r\nHost: x\r\nX-Pad: " +
                             std::string(9000, 'b') + "\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 431");
  EXPECT_EQ(Raw(service, "POST " + login + " HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n")
                .substr(0, 12),
            "HTTP/1.1 413");

  // A stopped service has written out all it counted.
  service.Stop();
  std::string log = service.Log();
  EXPECT_NE(log.find("whose head is over"), std::string::npos) << log;  // it does log
  // Passwords match without regard to letter case: so does the search.
  for (char& c : log) c = AsciiLower(c);
  std::vector<std::string> secrets = {kPassword,  kWrongPassword, kRefusedPassword, kPagePassword,
                                      kBogusKey,  vip.key,        "vip123",         "qmark",
                                      "password", "username",     "SessionKey"};
  for (std::string secret : secrets) {
    for (char& c : secret) c = AsciiLower(c);
    EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in:\n" << log;
  }
}

}  // namespace
}  // namespace tv::test
