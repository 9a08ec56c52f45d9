// The transport against a real socket on 127.0.0.1, with the faults staged by
// a scripted server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>
#include <vector>

#include "core/gbk.h"
#include "net/base64.h"
#include "net/transport.h"
#include "net/transport_testing.h"
#include "scripted_server.h"

namespace tv {
namespace {

using test::HttpReply;
using test::OkReply;
using test::ScriptedReply;
using test::ScriptedServer;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kPath[] = "/qavel/client/GetTNums.asp?action=getnum";

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A proxy in the developer's environment must not swallow loopback tests.
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    SetStallTimeoutForTesting(std::chrono::seconds(1));
  }
  void TearDown() override { SetStallTimeoutForTesting(std::chrono::seconds(60)); }

  static std::string TempPath(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/tv_net_" + std::to_string(::getpid()) +
           "_" + name;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

struct FetchCase {
  const char* name;
  std::string reply;
  bool stall;
  std::string expected;
};

TEST_F(TransportTest, FetchPageResultForEachKindOfAnswer) {
  const std::string err(kError);
  const FetchCase cases[] = {
      {"plain 200", OkReply("@@25@@"), false, "@@25@@"},
      {"empty body is a result", OkReply(""), false, ""},
      {"cut at first zero byte", OkReply(std::string("ab\0cd", 5)), false, "ab"},
      {"no Content-Length", HttpReply("200 OK", "", "TestOK"), false, err},
      {"404 with a body", HttpReply("404 Not Found", "Content-Length: 4\r\n", "gone"), false, err},
      {"500 with a body", HttpReply("500 Oops", "Content-Length: 4\r\n", "oops"), false, err},
      {"short body gives what came", HttpReply("200 OK", "Content-Length: 10\r\n", "abcd"), false,
       "abcd"},
      {"length above 16 MiB", HttpReply("200 OK", "Content-Length: 16777217\r\n", "abcd"), false,
       err},
      {"length far above any int",
       HttpReply("200 OK", "Content-Length: 99999999999999999999\r\n", "abcd"), false, err},
      {"negative length", HttpReply("200 OK", "Content-Length: -5\r\n", "abcd"), false, err},
      {"length not a number", HttpReply("200 OK", "Content-Length: abc\r\n", "abcd"), false, err},
      {"stall inside the body", HttpReply("200 OK", "Content-Length: 10\r\n", "ab"), true, err},
      {"stall before any header", "", true, err},
  };
  for (const auto& c : cases) {
    ScriptedServer server({c.reply, c.stall});
    EXPECT_EQ(FetchPage("GET", server.Host(), kPath), c.expected) << c.name;
  }
}

TEST_F(TransportTest, FetchEncodedPageDecodesLeniently) {
  const std::string err(kError);
  const FetchCase cases[] = {
      {"seven characters are padded", OkReply("SGVsbG8"), false, "Hello"},
      {"trailing line break decodes to zero bits", OkReply("SGVsbG8=\r\n"), false, "Hello"},
      {"failure is not decoded", HttpReply("500 Oops", "Content-Length: 7\r\n", "SGVsbG8"), false,
       err},
      {"GBK survives", OkReply(EncodeBase64(Utf8ToGbk("@@北京||货源@@"))), false,
       Utf8ToGbk("@@北京||货源@@")},
  };
  for (const auto& c : cases) {
    ScriptedServer server({c.reply, c.stall});
    EXPECT_EQ(FetchEncodedPage("GET", server.Host(), kPath), c.expected) << c.name;
  }
}

TEST_F(TransportTest, RequestLineAndHeaders) {
  ScriptedServer server({OkReply("x"), false});
  ASSERT_EQ(FetchPage("GET", server.Host(), kPath), "x");
  ASSERT_EQ(FetchEncodedPage("POST", server.Host(), "/qavel/client/SetInfo.asp?a=%B1%B1+1"), "");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);

  EXPECT_THAT(requests[0], StartsWith(std::string("GET ") + kPath + " HTTP/1.0\r\n"));
  EXPECT_THAT(requests[0], Not(HasSubstr("Content-Length")));
  EXPECT_THAT(requests[0], Not(HasSubstr("Accept:")));
  // The query travels byte for byte; the POST announces an empty body.
  EXPECT_THAT(requests[1], StartsWith("POST /qavel/client/SetInfo.asp?a=%B1%B1+1 HTTP/1.0\r\n"));
  EXPECT_THAT(requests[1], HasSubstr("\r\nContent-Length: 0\r\n"));
  EXPECT_THAT(requests[1], Not(HasSubstr("Content-Type")));
}

TEST_F(TransportTest, AgentIsTheSignedMillisecondClockSinceBoot) {
  ScriptedServer server({OkReply("x"), false});
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const long long before_ms = now.tv_sec * 1000LL + now.tv_nsec / 1000000;
  ASSERT_EQ(FetchPage("GET", server.Host(), kPath), "x");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  std::smatch match;
  ASSERT_TRUE(
      std::regex_search(requests[0], match, std::regex("\r\nUser-Agent: Agent(-?[0-9]+)\r\n")))
      << requests[0];
  // The same clock read moments later (difference taken modulo 2^32, as the
  // counter wraps).
  const auto agent = static_cast<std::uint32_t>(std::stoll(match[1]));
  const auto elapsed = static_cast<std::int32_t>(agent - static_cast<std::uint32_t>(before_ms));
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, 10000);
}

TEST_F(TransportTest, CallsFromManyThreadsShareNothing) {
  ScriptedServer server({OkReply("SGVsbG8"), false});
  std::vector<std::thread> workers;
  std::atomic<int> good{0};
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&] {
      for (int i = 0; i < 5; ++i) good += FetchEncodedPage("GET", server.Host(), kPath) == "Hello";
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(good, 20);
}

TEST_F(TransportTest, RefusedConnectionAndBadHostTextFail) {
  const std::string err(kError);
  EXPECT_EQ(FetchPage("GET", "127.0.0.1:" + std::to_string(test::UnusedPort()), kPath), err);
  ScriptedServer server({OkReply("x"), false});
  // A host from a server list cannot reach into the URL.
  for (const std::string& host :
       {server.Host() + "/x?", "a@" + server.Host(), std::string(), server.Host() + "#"}) {
    EXPECT_EQ(FetchPage("GET", host, kPath), err) << host;
  }
  EXPECT_EQ(FetchPage("GET", server.Host(), "no-slash"), err);
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(TransportTest, ProxyFromTheEnvironmentIsUsed) {
  ScriptedServer proxy({OkReply("via proxy"), false});
  setenv("http_proxy", ("http://" + proxy.Host()).c_str(), 1);
  unsetenv("no_proxy");
  const std::string result = FetchPage("GET", "service.invalid", kPath);
  unsetenv("http_proxy");
  setenv("no_proxy", "127.0.0.1,localhost", 1);
  EXPECT_EQ(result, "via proxy");
  const auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_THAT(requests[0],
              StartsWith(std::string("GET http://service.invalid") + kPath + " HTTP/1.0\r\n"));
}

TEST_F(TransportTest, DownloadWritesTheWholeBody) {
  std::string body(40000, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + 3);
  const std::string path = TempPath("download");
  for (const std::string& reply : {OkReply(body), HttpReply("200 OK", "", body)}) {
    ScriptedServer server({reply, false});
    ASSERT_EQ(DownloadToFile("http://" + server.Host() + "/qavel/software/Update.exe", path), 0);
    EXPECT_EQ(ReadFile(path), body);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_THAT(requests[0], HasSubstr("\r\nAccept: */*\r\n"));
    EXPECT_THAT(requests[0], HasSubstr("\r\nPragma: no-cache\r\n"));
  }
  {
    ScriptedServer server({OkReply(""), false});
    ASSERT_EQ(DownloadToFile("http://" + server.Host() + "/empty", path), 0);
    EXPECT_EQ(ReadFile(path), "");
  }
  ::unlink(path.c_str());
}

TEST_F(TransportTest, DownloadFailures) {
  const std::string path = TempPath("download_fail");
  {
    // A body that ends before its announced length is not a program file; what
    // came stays on disk.
    ScriptedServer server({HttpReply("200 OK", "Content-Length: 100\r\n", "fifty"), false});
    EXPECT_EQ(DownloadToFile("http://" + server.Host() + "/x", path), -1);
    EXPECT_EQ(ReadFile(path), "fifty");
    ::unlink(path.c_str());
  }
  {
    // An error page is never written as the file.
    ScriptedServer server({HttpReply("404 Not Found", "Content-Length: 4\r\n", "gone"), false});
    EXPECT_EQ(DownloadToFile("http://" + server.Host() + "/x", path), -1);
    struct stat st {};
    EXPECT_NE(::stat(path.c_str(), &st), 0);
  }
  {
    ScriptedServer server({HttpReply("200 OK", "Content-Length: 10\r\n", "ab"), true});
    EXPECT_EQ(DownloadToFile("http://" + server.Host() + "/x", path), -1);
    ::unlink(path.c_str());
  }
  {
    ScriptedServer server({OkReply("data"), false});
    EXPECT_EQ(DownloadToFile("http://" + server.Host() + "/x", "/nonexistent-dir/tv/file"), -1);
  }
  EXPECT_EQ(DownloadToFile("http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/x", path),
            -1);
}

}  // namespace
}  // namespace tv
