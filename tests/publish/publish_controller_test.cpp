// Publishing against the local service: what an accepted message leaves
// behind (the own message for the lists, history, the two follow-up
// requests), every refusal and reply with its notice, and the minimum interval.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "publish/history.h"
#include "publish/publish_controller.h"
#include "publish_service_fixture.h"

namespace tv {
namespace {

using namespace std::chrono_literals;
using test::G;
using test::QueryValue;
using test::U;

class PublishControllerTest : public test::PublishServiceTest {
 protected:
  SubmitForm Form(const std::string& content_utf8) {
    SubmitForm form;
    form.content = G(content_utf8);
    form.departure_city = G("郑州");
    form.info_type = G("即时货源");
    form.contact = ContactChoices::All();
    return form;
  }
  // Submits and waits for the reply; the reply, or nullopt when refused at once.
  std::optional<PublishReply> SubmitAndWait(PublishController& publisher, const SubmitForm& form) {
    QSignalSpy finished(&publisher, &PublishController::publishFinished);
    if (!publisher.Submit(form)) return std::nullopt;
    EXPECT_TRUE(publisher.Busy());
    EXPECT_TRUE(finished.wait(15000));
    EXPECT_FALSE(publisher.Busy());
    return finished.isEmpty() ? std::nullopt
                              : std::optional(finished.first().at(1).value<PublishReply>());
  }
};

TEST_F(PublishControllerTest, AcceptedMessageGoesToTheListsAndIntoTheHistory) {
  Start("demo_vip", "vip123");
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "16"));
  PublishController publisher(Session());
  ASSERT_EQ(SubmitAndWait(publisher, Form("郑州→北京,有钢材20吨货,求2辆9.6米平板车,高价急走")),
            PublishReply::kAccepted);

  EXPECT_TRUE(notices_.notices.empty());
  EXPECT_EQ(
      History(),
      (std::vector<std::string>{"17=货源：郑州→北京,有钢材20吨货,求2辆9.6米平板车,高价急走"}));
  EXPECT_EQ(ReadSetting(kMainKey, kHistoryCount), "17");
  ASSERT_EQ(posted_.size(), 1u);
  const InfoRecord& row = posted_.front().record;
  EXPECT_GT(std::stoll(row.InfoID), 0);
  EXPECT_EQ(U(row.Content), "郑州→北京,有钢材20吨货,求2辆9.6米平板车,高价急走");
  EXPECT_EQ(U(row.City), "郑州");
  EXPECT_EQ(row.Type, "0");
  EXPECT_EQ(row.Flag, std::to_string(profile_.UserId));
  EXPECT_EQ(row.Deal, "0");
  EXPECT_EQ(row.Time, "2012-3-5 9:07:03");
  EXPECT_EQ(U(posted_.front().departure_city), "郑州");
  EXPECT_EQ(U(posted_.front().content), "郑州→北京,有钢材20吨货,求2辆9.6米平板车,高价急走");

  // The request, then the identifier and the display text, in this order;
  // the publication is a POST (the service would take a GET too).
  const std::vector<std::string> paths = Paths();
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(VerbsWith("/qavel/client/"), (std::vector<std::string>{"POST", "GET", "GET"}));
  EXPECT_EQ(QueryValue(paths[0], "AddSign"), "NewInfo");
  EXPECT_EQ(U(QueryValue(paths[0], "Msg_Tel")),
            U(ComposeContactLine(profile_, ContactChoices::All())));
  EXPECT_NE(paths[1].find("action=GetInfoID"), std::string::npos);
  EXPECT_NE(paths[2].find("GetNewString.asp"), std::string::npos);
}

// The publication carries the member's key; when the service has forgotten
// it (restarted on a new store), one silent login gets a new one and the
// publication goes through as if nothing had happened.
TEST_F(PublishControllerTest, AServiceThatForgotTheKeyCostsOneSilentLogin) {
  Start("demo_vip", "vip123");
  PublishController publisher(Session());
  ASSERT_EQ(SubmitAndWait(publisher, Form("有货 A")), PublishReply::kAccepted);
  ASSERT_EQ(PathsWith("SetInfo.asp").size(), 1u);
  EXPECT_EQ(QueryValue(PathsWith("SetInfo.asp")[0], "SessionKey"), profile_.SessionKey);

  RestartService();
  ASSERT_EQ(SubmitAndWait(publisher, Form("有货 B")), PublishReply::kAccepted);
  EXPECT_TRUE(notices_.notices.empty());
  EXPECT_EQ(members_.Renewals(), 1);
  const std::vector<std::string> sends = PathsWith("SetInfo.asp");
  ASSERT_EQ(sends.size(), 3u);  // refused with the old key, taken with the new
  EXPECT_EQ(QueryValue(sends[1], "SessionKey"), profile_.SessionKey);
  EXPECT_EQ(QueryValue(sends[2], "SessionKey"), members_.Key());
  EXPECT_NE(members_.Key(), profile_.SessionKey);
  ASSERT_EQ(posted_.size(), 2u);
  EXPECT_EQ(U(posted_.back().content), "有货 B");
  EXPECT_EQ(History().size(), 2u);
}

TEST_F(PublishControllerTest, RefusedRepliesShowTheirNoticeAndKeepTheForm) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    bool stop_service;
    PublishReply reply;
    const char* notice;
  } cases[] = {
      {"same text again",
       {},
       false,
       PublishReply::kDuplicate,
       "      相同信息不能重复发布    \n\n       请更改发布信息的内容!    "},
      {"daily quota",
       {"--quota", "1"},
       false,
       PublishReply::kQuotaFull,
       "您今天发布的信息条数已经达到规定要求\n\n如果想增加发布的信息条数,请与管理员联系!"},
      {"service gone",
       {},
       true,
       PublishReply::kFailure,
       "信息发送失败,请检查网络是否正常或与网管中心联系!"},
  };
  for (const Case& c : cases) {
    Start("demo_vip", "vip123", c.args);
    UseSettingsStore(SettingsStore::Open(dir_.File(std::string("s") + c.what + ".db")));
    PublishController publisher(Session());
    std::string second = "有货 A";
    if (c.reply == PublishReply::kQuotaFull) second = "有货 B";
    ASSERT_EQ(SubmitAndWait(publisher, Form("有货 A")), PublishReply::kAccepted) << c.what;
    posted_.clear();
    notices_.notices.clear();
    if (c.stop_service) service_->Stop();
    EXPECT_EQ(SubmitAndWait(publisher, Form(second)), c.reply) << c.what;
    ASSERT_EQ(notices_.notices.size(), 1u) << c.what;
    EXPECT_EQ(U(notices_.notices.front()), c.notice) << c.what;
    EXPECT_TRUE(posted_.empty()) << c.what;
    EXPECT_EQ(History().size(), 1u) << c.what;
  }
}

TEST_F(PublishControllerTest, UnknownReplyClosesTheFormWithoutHistory) {
  // The service refuses a member without the right with a word the client
  // does not know; a client that thinks the member may publish takes it as done.
  Start("demo_nopub", "nopub123");
  profile_.PublishRight = 1;
  ASSERT_TRUE(WriteSetting(kMainKey, kHistoryCount, "16"));
  PublishController publisher(Session());
  QSignalSpy finished(&publisher, &PublishController::publishFinished);
  ASSERT_EQ(SubmitAndWait(publisher, Form("有货")), PublishReply::kOther);
  EXPECT_TRUE(finished.first().at(0).toBool());
  EXPECT_TRUE(notices_.notices.empty());
  EXPECT_TRUE(History().empty());
  EXPECT_EQ(ReadSetting(kMainKey, kHistoryCount), "16");
  EXPECT_TRUE(PathsWith("GetInfoID").empty());
}

TEST_F(PublishControllerTest, RefusalsBeforeAnyRequest) {
  Start("demo_nopub", "nopub123");
  ASSERT_EQ(profile_.PublishRight, 0);
  PublishController publisher(Session());
  EXPECT_EQ(SubmitAndWait(publisher, Form("有货")), std::nullopt);
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(U(notices_.notices.front()), "对不起，您暂时没有权限使用该发布功能");

  // A content of exactly the limit is refused, one character fewer goes.
  profile_ = test::LoginAs(host_, "demo_vip", "vip123");
  members_.Begin("demo_vip", "vip123", profile_.SessionKey);
  profile_.ContentLimit = 10;
  notices_.notices.clear();
  EXPECT_EQ(SubmitAndWait(publisher, Form("郑州到北京有货求车急")), std::nullopt);
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(U(notices_.notices.front()), "      发布信息内容太长,请精简后再发      ");
  EXPECT_TRUE(Paths().empty());
  EXPECT_EQ(SubmitAndWait(publisher, Form("郑州到北京有货求车")), PublishReply::kAccepted);
}

TEST_F(PublishControllerTest, IntervalRunsFromEveryAttemptThatPassed) {
  Start("demo_vip", "vip123");
  profile_.PublishWaitSeconds = 2;
  service_->Stop();  // a transport failure still starts the interval
  PublishController publisher(Session());
  EXPECT_EQ(SubmitAndWait(publisher, Form("有货 A")), PublishReply::kFailure);
  notices_.notices.clear();
  paths_.clear();

  now_ += 1s;
  EXPECT_EQ(SubmitAndWait(publisher, Form("有货 A")), std::nullopt);
  ASSERT_EQ(notices_.notices.size(), 1u);
  EXPECT_EQ(U(notices_.notices.front()), "您刚刚发布完信息,请 2 秒后发布!");
  EXPECT_TRUE(Paths().empty());

  now_ += 1s;
  EXPECT_EQ(SubmitAndWait(publisher, Form("有货 A")), PublishReply::kFailure);
}

}  // namespace
}  // namespace tv
