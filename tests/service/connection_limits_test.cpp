// The HTTP core's limits and its handling of the wire: head size and time
// limits, idle connections, the connection cap, keep-alive, and the exact
// bytes of an answer as the client reads them.
#include <gtest/gtest.h>

#include <vector>

#include "raw_connection.h"
#include "service_client.h"

namespace tv::test {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kAnswerWait{5000};

std::string StatusOf(const std::string& answer) { return answer.substr(0, answer.find("\r\n")); }

TEST(serviceWire, AnswersAndRefusalsAsSent) {
  LocalService service({"--demo", "--demo-count", "50"});
  ASSERT_TRUE(service.ok()) << service.error();
  const std::string checkhost = "GET /qavel/client/checkhost.htm";
  const std::string long_query = "/qavel/client/checkhost.htm?pad=" + std::string(8000, 'x');
  struct Case {
    const char* what;
    std::string request;
    std::string expected;  // the whole answer, or its status line for a refusal
    bool whole = false;
  };
  const std::vector<Case> cases = {
      {"the client's request, byte for byte", checkhost + " HTTP/1.0\r\n\r\n",
       "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 6\r\n"
       "Content-Type: text/plain; charset=GBK\r\n\r\nTestOK",
       true},
      {"a POST with an empty body",
       "POST /qavel/client/checkhost.htm HTTP/1.0\r\nContent-Length: 0\r\n\r\n",
       "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 6\r\n"
       "Content-Type: text/plain; charset=GBK\r\n\r\nTestOK",
       true},
      {"HEAD: the length, no body", "HEAD /qavel/client/checkhost.htm HTTP/1.0\r\n\r\n",
       "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 6\r\n"
       "Content-Type: text/plain; charset=GBK\r\n\r\n",
       true},
      {"a head just under 8 KiB", "GET " + long_query + " HTTP/1.0\r\n\r\n", "HTTP/1.1 200 OK"},
      {"a request line over 8 KiB",
       "GET " + long_query + std::string(400, 'y') + " HTTP/1.0\r\n\r\n",
       "HTTP/1.1 414 URI Too Long"},
      {"header fields over 8 KiB",
       checkhost + " HTTP/1.0\r\nX-Pad: " + std::string(9000, 'p') + "\r\n\r\n",
       "HTTP/1.1 431 Request Header Fields Too Large"},
      {"a body over 64 KiB",
       "POST /qavel/client/checkhost.htm HTTP/1.0\r\nContent-Length: 70000\r\n\r\n" +
           std::string(70000, 'b'),
       "HTTP/1.1 413 Payload Too Large"},
      {"not HTTP", "hello there\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"a query that is not GBK",
       "GET /qavel/client/GetInfo.asp?action=GetTopDatas&Code=%FF%FF&inType=8 HTTP/1.0\r\n\r\n",
       "HTTP/1.1 400 Bad Request"},
      {"a verb the service has no use for", "DELETE /qavel/client/checkhost.htm HTTP/1.0\r\n\r\n",
       "HTTP/1.1 405 Method Not Allowed"},
      // A body whose last coding is not chunked has no known end: what follows
      // must not be taken for the next request.
      {"a transfer coding other than chunked",
       "POST /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: gzip\r\n\r\n" +
           checkhost + " HTTP/1.1\r\nHost: a\r\n\r\n",
       "HTTP/1.1 400 Bad Request"},
      {"chunked, then another coding",
       "POST /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\n"
       "Transfer-Encoding: chunked, identity\r\n\r\n0\r\n\r\n",
       "HTTP/1.1 400 Bad Request"},
      {"another coding, with a length",
       "POST /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: gzip\r\n"
       "Content-Length: 3\r\n\r\nabc",
       "HTTP/1.1 400 Bad Request"},
      {"codings that end in chunked",
       "POST /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\nConnection: close\r\n"
       "Transfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
       "HTTP/1.1 200 OK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawConnection conn(service.port());
    ASSERT_TRUE(conn.ok());
    conn.Send(c.request);  // a refusal may come before the whole request is taken
    const std::string answer = conn.ReadToClose(kAnswerWait);
    if (c.whole) {
      EXPECT_EQ(answer, c.expected);
    } else {
      EXPECT_EQ(StatusOf(answer), c.expected);
      EXPECT_NE(answer.find("\r\nConnection: close\r\n"), std::string::npos) << answer;
    }
  }
}

TEST(serviceWire, KeepAliveAnswersPipelinedRequestsInOrder) {
  LocalService service({"--demo", "--demo-count", "50"});
  ASSERT_TRUE(service.ok()) << service.error();
  RawConnection conn(service.port());
  ASSERT_TRUE(conn.ok());
  conn.Send(
      "GET /qavel/client/GetTNums.asp?action=getnum HTTP/1.1\r\nHost: a\r\n\r\n"
      "GET /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\n\r\n"
      "GET /qavel/client/nothing-here.htm HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
  const std::string answers = conn.ReadToClose(kAnswerWait);
  const std::size_t totals = answers.find("HTTP/1.1 200 OK\r\nContent-Length: ");
  const std::size_t check = answers.find("TestOK");
  const std::size_t missing = answers.find("HTTP/1.1 404 Not Found\r\nConnection: close\r\n");
  ASSERT_NE(totals, std::string::npos) << answers;
  ASSERT_NE(check, std::string::npos) << answers;
  ASSERT_NE(missing, std::string::npos) << answers;
  EXPECT_LT(totals, check);
  EXPECT_LT(check, missing);
  EXPECT_NE(answers.find("Keep-Alive: timeout="), std::string::npos);
}

// With short limits: an idle connection goes after the idle limit, a head
// that trickles in goes after the head limit although it never pauses long,
// and a client that finished its exchange keeps its connection until idle.
TEST(serviceLimits, IdleAndSlowHeadsAreClosedOnTime) {
  LocalService service(
      {"--demo", "--demo-count", "50", "--head-timeout", "1.5", "--idle-timeout", "1"});
  ASSERT_TRUE(service.ok()) << service.error();
  const auto start = Clock::now();
  RawConnection idle(service.port()), trickle(service.port()), served(service.port());
  ASSERT_TRUE(idle.ok() && trickle.ok() && served.ok());
  served.Send("GET /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\n\r\n");
  EXPECT_NE(served.ReadUntil("TestOK", kAnswerWait).find("TestOK"), std::string::npos);

  trickle.Send("GET /qavel/client/checkhost.htm HTTP/1.1\r\n");
  bool trickle_open = true;
  while (trickle_open && Clock::now() - start < milliseconds(4000)) {
    trickle_open = trickle.Send("X: 1\r\n") && !trickle.ClosedWithin(milliseconds(200));
  }
  const auto trickle_closed = Clock::now() - start;
  EXPECT_FALSE(trickle_open);
  EXPECT_GE(trickle_closed, milliseconds(1400));
  EXPECT_LE(trickle_closed, milliseconds(3000));
  // The idle ones had their limit long before.
  EXPECT_TRUE(idle.ClosedWithin(milliseconds(100)));
  EXPECT_TRUE(served.ClosedWithin(milliseconds(100)));
}

TEST(serviceLimits, ConnectionsBeyondTheCapAreRefusedUntilSomeClose) {
  constexpr int kCap = 20;
  LocalService service({"--demo", "--demo-count", "50", "--max-connections", std::to_string(kCap)});
  ASSERT_TRUE(service.ok()) << service.error();
  std::vector<RawConnection> held;
  for (int i = 0; i < kCap; ++i) {
    held.emplace_back(service.port());
    ASSERT_TRUE(held.back().ok());
  }
  // Held ones are counted once accepted: let the server see them all.
  held.back().Send("GET /qavel/client/checkhost.htm HTTP/1.1\r\nHost: a\r\n\r\n");
  ASSERT_NE(held.back().ReadUntil("TestOK", kAnswerWait).find("TestOK"), std::string::npos);

  RawConnection over(service.port());
  ASSERT_TRUE(over.ok());
  EXPECT_EQ(StatusOf(over.ReadToClose(kAnswerWait)), "HTTP/1.1 503 Service Unavailable");

  for (int i = 0; i < 5; ++i) held.pop_back();
  ServiceClient client(service);
  std::string answer;
  // The closes reach the server a moment later: the first tries may be refused.
  for (int i = 0; i < 500 && answer != "TestOK"; ++i) {
    answer = client.Plain("/qavel/client/checkhost.htm");
  }
  EXPECT_EQ(answer, "TestOK");
}

}  // namespace
}  // namespace tv::test
