#pragma once
// Talks to a LocalService through the project's own transport, the way the
// client does: GBK values through EncodeQueryValue, answers decoded.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "local_service.h"
#include "net/login_answer.h"
#include "net/member_key.h"
#include "net/query_encoding.h"
#include "net/transport.h"
#include "publish/contact_block.h"

namespace tv::test {

// A UTF-8 text as the client puts it into a query: GBK, then percent-encoded.
inline std::string Q(std::string_view utf8) { return EncodeQueryValue(Utf8ToGbk(utf8)); }
inline std::string U(std::string_view gbk) { return GbkToUtf8(gbk); }

class ServiceClient {
 public:
  explicit ServiceClient(const LocalService& service) : host_(service.host()) {}
  // Data pages: base64 answers, decoded.
  std::string Get(const std::string& path) const {
    return FetchEncodedPage("GET", host_, "/qavel/client/" + path);
  }
  std::string Post(const std::string& path) const {
    return FetchEncodedPage("POST", host_, "/qavel/client/" + path);
  }
  // Plain pages (discovery, version, HTML): the body as it came.
  std::string Plain(const std::string& path) const { return FetchPage("GET", host_, path); }
  const std::string& host() const { return host_; }

 private:
  std::string host_;
};

// A member logged in through the login page, with the session key it got.
struct MemberLogin {
  MemberProfile profile;
  std::string flag;  // the member number
  std::string key;
};

inline MemberLogin LogIn(const ServiceClient& client, const std::string& user,
                         const std::string& password) {
  const LoginAnswer answer = ParseLoginAnswer(client.Post(
      "client_login.asp?action=Login_Client&loginSign=0&username=" + EncodeQueryValue(user) +
      "&password=" + EncodeQueryValue(password)));
  EXPECT_TRUE(answer.ok()) << user;
  EXPECT_EQ(answer.profile.SessionKey.size(), 32u) << user;
  return {answer.profile, std::to_string(answer.profile.UserId), answer.profile.SessionKey};
}

// A publication of `content` (UTF-8) as our client sends it for `member`: its
// city, company and net phone, the contact line of a form with every box
// ticked, and its session key.
inline std::string OwnPublishPath(const MemberLogin& member, std::string_view content,
                                  std::string_view sign = "NewInfo", std::string_view type = "0") {
  const MemberProfile& p = member.profile;
  const std::string path =
      "SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=" + std::string(sign) +
      "&Msg_Code=" + EncodeQueryValue(p.City) + "&Msg_Type=" + std::string(type) +
      "&Msg_Content=" + Q(content) +
      "&Msg_Tel=" + EncodeQueryValue(ComposeContactLine(p, ContactChoices::All())) +
      "&Msg_Flag=" + member.flag + "&Msg_StartCity=" + EncodeQueryValue(p.City) +
      "&Msg_NetPhone=" + EncodeQueryValue(p.NetPhone) +
      "&Msg_Company=" + EncodeQueryValue(p.Company) + "&InfoNum=1";
  return WithSessionKey(path, member.key);
}

// Message identifiers in a log page of the service ("@@log||id@@...").
inline std::set<std::int64_t> LoggedIds(const ServiceClient& client, const std::string& page,
                                        const std::string& action) {
  std::set<std::int64_t> ids;
  const std::string text = client.Get(page + "?action=" + action + "&maxid=0");
  for (std::size_t at = text.find("||"); at != std::string::npos; at = text.find("||", at + 2)) {
    ids.insert(std::stoll(text.substr(at + 2)));
  }
  return ids;
}
// The messages in the deletion log and in the closure log.
inline std::set<std::int64_t> Deleted(const ServiceClient& c) {
  return LoggedIds(c, "GetDelInfo.asp", "GetNewDelInfoID");
}
inline std::set<std::int64_t> Closed(const ServiceClient& c) {
  return LoggedIds(c, "GetSuccessInfo.asp", "GetNewSuccessInfoID");
}

// A suite whose tests share one service, started in SetUpTestSuite:
//   static void SetUpTestSuite() { StartShared({"--demo"}); }
//   static void TearDownTestSuite() { StopShared(); }
class SharedServiceTest : public ::testing::Test {
 protected:
  static void StartShared(std::vector<std::string> args) {
    shared_ = std::make_unique<LocalService>(std::move(args));
    ASSERT_TRUE(shared_->ok()) << shared_->error();
  }
  static void StopShared() { shared_.reset(); }
  ServiceClient client() const { return ServiceClient(*shared_); }

 private:
  static inline std::unique_ptr<LocalService> shared_;
};

}  // namespace tv::test
