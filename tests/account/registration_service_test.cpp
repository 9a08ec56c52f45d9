// The registration request as the form sends it, against the bundled service.
#include <gtest/gtest.h>

#include "account/registration.h"
#include "core/gbk.h"
#include "local_service.h"
#include "sample_registration.h"

namespace tv {
namespace {

// Blanks, "&" and Chinese in the values travel encoded.
RegistrationValues Member(const std::string& user) {
  RegistrationValues v = test::SampleRegistration(user);
  v.password = v.confirm = "Secret 9";
  v.company = Utf8ToGbk("济南顺达物流 & 仓储");
  v.tel_number = "8888-6666";
  v.email = "li4@example.cn";
  return v;
}

TEST(RegistrationService, AcceptsTheFormsRequestOnceAName) {
  LocalService service;
  ASSERT_TRUE(service.ok()) << service.error();
  const RegistrationValues first = Member("li4reg");
  ASSERT_FALSE(CheckRegistration(first).has_value());
  EXPECT_EQ(
      ReadRegistrationAnswer(SendRegistrationRequest(service.host(), first), "li4reg").outcome,
      RegistrationOutcome::kRegistered);
  // User names do not differ by case.
  EXPECT_EQ(SendRegistrationRequest(service.host(), Member("LI4REG")), "HasReged");
}

TEST(RegistrationService, ApprovalFirstWhenTheServiceSaysSo) {
  LocalService service({"--approve"});
  ASSERT_TRUE(service.ok()) << service.error();
  EXPECT_EQ(SendRegistrationRequest(service.host(), Member("wait01")), "RegNoGo");
}

TEST(RegistrationService, FourFailedSendsWhenTheServiceIsGone) {
  LocalService service;
  ASSERT_TRUE(service.ok()) << service.error();
  const std::string host = service.host();
  service.Stop();
  const std::string result = SendRegistrationRequest(host, Member("gone01"));
  EXPECT_EQ(ReadRegistrationAnswer(result, "gone01").outcome, RegistrationOutcome::kNotSent);
}

}  // namespace
}  // namespace tv
