// Password guessing is held back: past five failures each further login on
// that name or from that address waits 1, 2, 4 ... 30 units (the service's
// test build shortens the unit), while other members log in from other
// addresses at once; the counts live in the store, so the servers of one
// database share them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "login_throttle.h"
#include "net/base64.h"
#include "raw_connection.h"
#include "service_client.h"
#include "store_choice.h"

namespace tv::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The test build's unit for the delays: 1 s in the program.
constexpr milliseconds kUnit{4};

TEST(serviceLoginThrottle, DelaysDoubleFromTheSixthFailureUpToThirtyUnits) {
  SetLoginDelayUnitForTesting(milliseconds(1000));
  const std::pair<int, int> cases[] = {{0, 0},  {4, 0},   {5, 1},   {6, 2},    {7, 4},
                                       {9, 16}, {10, 30}, {11, 30}, {1000, 30}};
  for (const auto& [failures, seconds] : cases) {
    EXPECT_EQ(LoginDelay(failures), milliseconds(seconds * 1000)) << failures;
  }
}

// A login as a client at `source` (a loopback address of its own) sends it:
// the page's answer, decoded.
std::string LoginFrom(const char* source, int port, const std::string& user,
                      const std::string& password) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, source, &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
    const std::string request =
        "POST /qavel/client/client_login.asp?action=Login_Client&loginSign=0"
        "&username=" +
        user + "&password=" + password + " HTTP/1.0\r\nContent-Length: 0\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buf[4096];
    ssize_t n = 0;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) answer.append(buf, static_cast<std::size_t>(n));
  }
  close(fd);
  const std::size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? "" : DecodeBase64Lenient(answer.substr(body + 4));
}

// The sum of the delays of failures `from` to `to` - 1.
milliseconds DelaysOf(int from, int to) {
  milliseconds sum{0};
  for (int failures = from; failures < to; ++failures) sum += LoginDelay(failures);
  return sum;
}

// Services whose delays are long enough to measure.
class ThrottledServices : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TARVOLO_LOGIN_DELAY_UNIT_MS", std::to_string(kUnit.count()).c_str(), 1);
    SetLoginDelayUnitForTesting(kUnit);  // for DelaysOf
  }
  void TearDown() override {
    setenv("TARVOLO_LOGIN_DELAY_UNIT_MS", "1", 1);  // the tests' own, see tests/CMakeLists.txt
    SetLoginDelayUnitForTesting(milliseconds(1000));
  }
};

using serviceLoginThrottleHeld = ThrottledServices;

TEST_F(serviceLoginThrottleHeld, GuessesWaitWhileOthersLogInAtOnce) {
  LocalService service({"--demo", "--demo-count", "10"});
  ASSERT_TRUE(service.ok()) << service.error();
  constexpr int kGuesses = 50;
  std::atomic<int> guessed{0};
  std::vector<std::string> answers;
  milliseconds guessed_for{0};
  std::thread guesser([&] {
    const auto begin = Clock::now();
    for (int i = 0; i < kGuesses; ++i) {
      answers.push_back(
          LoginFrom("127.0.0.2", service.port(), "demo_member", "wrong" + std::to_string(i)));
      guessed_for = std::chrono::duration_cast<milliseconds>(Clock::now() - begin);
      guessed.fetch_add(1);
      guessed.notify_one();
    }
  });
  // Meanwhile another member logs in from another address, unhindered: once
  // after every few guesses.
  ServiceClient client(service);
  int logins = 0;
  milliseconds slowest{0};
  for (int seen = 0; seen < kGuesses;) {
    guessed.wait(seen);
    seen = guessed.load();
    while (logins < seen / 5) {
      const auto begin = Clock::now();
      LogIn(client, "demo_vip", "vip123");
      slowest = std::max(slowest, std::chrono::duration_cast<milliseconds>(Clock::now() - begin));
      ++logins;
    }
  }
  guesser.join();
  EXPECT_EQ(answers, std::vector<std::string>(kGuesses, "PassError"));
  EXPECT_GE(guessed_for, DelaysOf(0, kGuesses));
  EXPECT_LT(slowest, milliseconds(100)) << logins << " logins";

  // The right password still works, once its delay is over.
  auto begin = Clock::now();
  EXPECT_TRUE(
      ParseLoginAnswer(LoginFrom("127.0.0.2", service.port(), "demo_member", "member123")).ok());
  EXPECT_GE(Clock::now() - begin, LoginDelay(kGuesses));

  // Many tries at once gain nothing: while one is held, the others are
  // refused unchecked, right password or not.
  constexpr int kAtOnce = 8;
  std::vector<std::string> at_once(kAtOnce);
  std::vector<std::thread> tries;
  for (int i = 0; i < kAtOnce; ++i) {
    tries.emplace_back([&, i] {
      at_once[i] = LoginFrom("127.0.0.2", service.port(), "demo_member", "member123");
    });
  }
  for (auto& t : tries) t.join();
  const auto refused = std::count(at_once.begin(), at_once.end(), "UserOrPassError");
  EXPECT_GE(refused, 1);
  EXPECT_EQ(refused + std::count_if(at_once.begin(), at_once.end(),
                                    [](const std::string& a) { return ParseLoginAnswer(a).ok(); }),
            kAtOnce);
}

// Two data servers on one PostgreSQL database share the counts: guesses
// spread over both wait as long as on one.
class serviceLoginThrottleShared : public ThrottledServices {};

TEST_F(serviceLoginThrottleShared, ServersOfOneDatabaseShareTheCounts) {
  ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
  const std::string db = SharedCluster().NewDatabase();
  ASSERT_FALSE(db.empty()) << SharedCluster().error();
  LocalService a({"--role", "data", "--db", db, "--demo", "--demo-count", "10"});
  LocalService b({"--role", "data", "--db", db});
  ASSERT_TRUE(a.ok() && b.ok()) << a.error() << b.error();
  constexpr int kGuesses = 12;
  const auto begin = Clock::now();
  for (int i = 0; i < kGuesses; ++i) {
    const LocalService& to = i % 2 == 0 ? a : b;
    EXPECT_EQ(LoginFrom("127.0.0.3", to.port(), "demo_member", "wrong"), "PassError") << i;
  }
  EXPECT_GE(Clock::now() - begin, DelaysOf(0, kGuesses));
  // The user name's count also holds on both: from a fresh address the
  // right password waits as long.
  const auto right = Clock::now();
  EXPECT_TRUE(ParseLoginAnswer(LoginFrom("127.0.0.4", b.port(), "demo_member", "member123")).ok());
  EXPECT_GE(Clock::now() - right, LoginDelay(kGuesses));
  // A success clears the name's count: at once now from another address.
  const auto after = Clock::now();
  EXPECT_TRUE(ParseLoginAnswer(LoginFrom("127.0.0.5", a.port(), "demo_member", "member123")).ok());
  EXPECT_LT(Clock::now() - after, milliseconds(100));
}

}  // namespace
}  // namespace tv::test
