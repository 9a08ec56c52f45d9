#pragma once
// Publishing against a real tarvolo-service: a member logged in through the
// service's own login page, a session whose hooks record what publishing hands
// back (rows on top, offers to the search) and every request it makes (verb
// and path), a clock the test moves, and a private settings store.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/member_session.h"
#include "core/notice.h"
#include "local_service.h"
#include "net/login_answer.h"
#include "net/transport.h"
#include "publish/publish_session.h"
#include "publish_test_util.h"
#include "settings/store.h"
#include "tests/settings/temp_store.h"

namespace tv::test {

inline LoginAnswer SendLogin(const std::string& host, const std::string& user,
                             const std::string& password) {
  return ParseLoginAnswer(FetchEncodedPage(
      "POST", host,
      "/qavel/client/client_login.asp?action=Login_Client&loginSign=0&username=" + user +
          "&password=" + password));
}

inline MemberProfile LoginAs(const std::string& host, const std::string& user,
                             const std::string& password) {
  const LoginAnswer answer = SendLogin(host, user, password);
  EXPECT_TRUE(answer.ok()) << user;
  return answer.profile;
}

class PublishServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSettingsStore(SettingsStore::Open(dir_.File("settings.db"))); }
  void TearDown() override { UseSettingsStore(nullptr); }

  // Starts the service (demo members) and logs `user` in.
  void Start(const std::string& user, const std::string& password,
             std::vector<std::string> extra_args = {}) {
    std::vector<std::string> args = {"--demo", "--demo-count", "40", "--no-cache"};
    args.insert(args.end(), extra_args.begin(), extra_args.end());
    service_ = std::make_unique<LocalService>(args);
    ASSERT_TRUE(service_->ok()) << service_->error();
    host_ = service_->host();
    profile_ = LoginAs(host_, user, password);
    members_.Begin(user, password, profile_.SessionKey);
  }
  // The service starts again on its port with a new store: it has forgotten
  // the member's key.
  void RestartService() {
    ASSERT_TRUE(service_->RestartOnNewStore()) << service_->error();
    ASSERT_EQ(service_->host(), host_);
  }

  PublishSession Session() {
    PublishSession s;
    s.profile = [this] { return profile_; };
    s.feed_host = [this] { return host_; };
    s.post_own_message = [this](const OwnMessage& message) { posted_.push_back(message); };
    // As the program's: through the member's session.
    s.fetch = [this](std::string_view verb, std::string_view host, std::string_view path) {
      return members_.Fetch(verb, host, path);
    };
    s.now = [this] { return now_; };
    s.time_text = [] { return std::string("2012-3-5 9:07:03"); };
    return s;
  }

  std::vector<std::string> Paths() {
    std::lock_guard lock(mutex_);
    return paths_;
  }
  // The requests whose path contains `part`.
  std::vector<std::string> PathsWith(const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& p : Paths())
      if (p.find(part) != std::string::npos) out.push_back(p);
    return out;
  }
  // The verbs ("GET", "POST") of those requests, in the same order.
  std::vector<std::string> VerbsWith(const std::string& part) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < paths_.size(); ++i)
      if (paths_[i].find(part) != std::string::npos) out.push_back(verbs_[i]);
    return out;
  }
  // "name=text" of every history value, in store order.
  static std::vector<std::string> History() {
    std::vector<std::string> out;
    for (const SettingValue& v : EnumerateSettings(kHistoryKey))
      out.push_back(v.name + "=" + U(v.text));
    return out;
  }

  TempDir dir_;
  std::unique_ptr<LocalService> service_;
  std::string host_;
  MemberProfile profile_;
  // Every request as it went out (member pages with their key).
  MemberSession members_{
      &SendLogin, [this](std::string_view verb, std::string_view host, std::string_view path) {
        {
          std::lock_guard lock(mutex_);
          paths_.emplace_back(path);
          verbs_.emplace_back(verb);
        }
        return FetchMemberPage(verb, host, path);
      }};
  std::vector<OwnMessage> posted_;
  std::mutex mutex_;
  std::vector<std::string> paths_;
  std::vector<std::string> verbs_;  // of paths_, index by index
  std::chrono::steady_clock::time_point now_ =
      std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
  ScopedNoticeRecorder notices_;
};

}  // namespace tv::test
