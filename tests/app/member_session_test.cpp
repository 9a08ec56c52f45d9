// The member's session key against a real local service: it travels on the
// member pages only, and a service that forgot it (restarted on a new store)
// costs one silent login, however many jobs meet the refusal at once.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/login_controller.h"
#include "app/member_session.h"
#include "net/answers.h"
#include "net/member_key.h"
#include "support/local_service.h"

namespace tv {
namespace {

constexpr char kFriendsOfVip[] = "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=10001";

class MemberSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service_ =
        std::make_unique<LocalService>(std::vector<std::string>{"--demo", "--demo-count", "20"});
    ASSERT_TRUE(service_->ok()) << service_->error();
    const LoginAnswer login = LoginController::SendLogin(host(), "demo_vip", "vip123");
    ASSERT_TRUE(login.ok());
    key_ = login.profile.SessionKey;
    ASSERT_EQ(key_.size(), 32u);
  }
  const std::string& host() const { return service_->host(); }

  // A session whose logins and requests are counted and recorded.
  std::unique_ptr<MemberSession> Session() {
    return std::make_unique<MemberSession>(
        [this](const std::string& host, const std::string& user, const std::string& password) {
          ++logins_;
          return LoginController::SendLogin(host, user, password);
        },
        [this](std::string_view verb, std::string_view host, std::string_view path) {
          {
            std::lock_guard lock(mutex_);
            paths_.emplace_back(path);
          }
          return FetchMemberPage(verb, host, path);
        });
  }
  std::unique_ptr<LocalService> service_;
  std::string key_;
  std::atomic<int> logins_{0};
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

TEST_F(MemberSessionTest, TheKeyTravelsOnMemberPagesOnly) {
  auto session = Session();
  session->Begin("demo_vip", "vip123", key_);
  const std::string friends = session->Fetch("GET", host(), kFriendsOfVip);
  EXPECT_NE(friends, "@@");
  EXPECT_TRUE(HasItems(session->Fetch("GET", host(), "/qavel/client/GetTNums.asp?action=getnum")));
  ASSERT_EQ(paths_.size(), 2u);
  EXPECT_EQ(paths_[0], std::string(kFriendsOfVip) + "&SessionKey=" + key_);
  EXPECT_EQ(paths_[1], "/qavel/client/GetTNums.asp?action=getnum");
  EXPECT_EQ(logins_, 0);
}

TEST_F(MemberSessionTest, AServiceThatForgotTheKeyCostsOneSilentLogin) {
  auto session = Session();
  session->Begin("demo_vip", "vip123", key_);
  const std::string before = session->Fetch("GET", host(), kFriendsOfVip);
  ASSERT_NE(before, "@@");

  ASSERT_TRUE(service_->RestartOnNewStore()) << service_->error();
  // Three jobs meet the refusal at once; one logs in, all get their answer.
  std::vector<std::string> answers(3);
  std::vector<std::thread> jobs;
  for (std::string& answer : answers) {
    jobs.emplace_back([&] { answer = session->Fetch("GET", host(), kFriendsOfVip); });
  }
  for (auto& job : jobs) job.join();
  // The new store's demo friends: a list, not the refusal's empty one.
  for (const std::string& answer : answers) EXPECT_NE(answer, "@@");
  EXPECT_EQ(logins_, 1);
  EXPECT_EQ(session->Renewals(), 1);
  EXPECT_NE(session->Key(), key_);

  EXPECT_NE(session->Fetch("GET", host(), kFriendsOfVip), "@@");
  EXPECT_EQ(logins_, 1) << "a key that works is kept";
}

TEST_F(MemberSessionTest, ARenewalThatFailsLeavesThePagesOwnRefusal) {
  ASSERT_TRUE(service_->RestartOnNewStore()) << service_->error();
  // The member's password changed meanwhile: one login tried, no loop.
  auto stale = Session();
  stale->Begin("demo_vip", "not-the-password", key_);
  EXPECT_EQ(stale->Fetch("GET", host(), kFriendsOfVip), "@@");
  EXPECT_EQ(logins_, 1);
  EXPECT_EQ(stale->Renewals(), 0);
  // A guest has nobody to log in as.
  auto guest = Session();
  guest->End();
  EXPECT_EQ(guest->Fetch("GET", host(), kFriendsOfVip), "@@");
  EXPECT_EQ(logins_, 1);
}

}  // namespace
}  // namespace tv
