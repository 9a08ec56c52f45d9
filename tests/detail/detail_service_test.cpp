// The detail view against a real local service with its demo members: what an
// ordinary member and a full member meet with a message of the live feed.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <mutex>
#include <optional>
#include <vector>

#include "app/member_session.h"
#include "core/notice.h"
#include "detail/detail_add_friend.h"
#include "detail/detail_state.h"
#include "detail/detail_window.h"
#include "detail/friends_loader.h"
#include "detail_fixtures.h"
#include "net/answers.h"
#include "net/login_answer.h"
#include "net/query_encoding.h"
#include "net/transport.h"
#include "support/local_service.h"

namespace tv {
namespace {

using detail_test::G;

LoginAnswer SendLogin(const std::string& host, const std::string& user,
                      const std::string& password) {
  return ParseLoginAnswer(FetchEncodedPage(
      "POST", host,
      "/qavel/client/client_login.asp?action=Login_Client&loginSign=0&username=" + user +
          "&password=" + password));
}

class DetailAgainstService : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { service_ = new LocalService({"--demo"}); }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(service_->ok()) << service_->error(); }

  const std::string& Host() { return service_->host(); }

  LoginAnswer Login(const char* user, const char* password) {
    return SendLogin(Host(), user, password);
  }

  // The first message of the member's city that another member published.
  std::optional<CurrentMessage> MessageFor(const MemberProfile& member) {
    std::string body = FetchEncodedPage("GET", Host(),
                                        "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" +
                                            EncodeQueryValue(member.City) + "&inType=8");
    for (const InfoRecord& r : ParseCountedPage(body).records) {
      if (r.Flag == "0" || r.Flag == std::to_string(member.UserId) || r.Company.empty()) continue;
      const char* word = r.Type == "0" ? "货源" : r.Type == "1" ? "车源" : "信息";
      return CurrentMessage{r.InfoID, r.City, G(word), r.Content, r.Tel,
                            r.Flag,   r.Time, r.Deal,  r.Company, {}};
    }
    return std::nullopt;
  }

  static LocalService* service_;
};
LocalService* DetailAgainstService::service_ = nullptr;

TEST_F(DetailAgainstService, OrdinaryDemoMemberWaitsForTheTelephone) {
  LoginAnswer login = Login("demo_member", "member123");
  ASSERT_TRUE(login.ok());
  DetailViewer viewer = ViewerOf(login.profile, login.flags, true);
  ASSERT_TRUE(viewer.ordinary_member);
  std::optional<CurrentMessage> message = MessageFor(login.profile);
  ASSERT_TRUE(message.has_value());
  ASSERT_FALSE(message->Tel.empty());

  DetailWindow window(*message, viewer, {});
  window.show();
  EXPECT_EQ(window.counterShown(), QString::number(viewer.contact_wait_seconds));
  EXPECT_NE(window.contactShown().toStdString(), GbkToUtf8(message->Tel));
  window.state()->Tick();
  window.state()->Tick();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QDir().mkpath(TARVOLO_ARTIFACT_DIR);
  EXPECT_TRUE(window.grab().save(TARVOLO_ARTIFACT_DIR "/detail_demo_member_countdown.png"));
  for (std::int64_t i = 2; i < viewer.contact_wait_seconds; ++i) window.state()->Tick();
  EXPECT_FALSE(window.countdownShowing());
  EXPECT_EQ(window.contactShown().toStdString(), GbkToUtf8(message->Tel));
  EXPECT_TRUE(window.grab().save(TARVOLO_ARTIFACT_DIR "/detail_demo_member_telephone.png"));

  // The same member may not add friends; nothing reaches the service.
  ScopedNoticeRecorder notices;
  AddFriendRequest request([](std::string_view, std::string_view, std::string_view) -> std::string {
    ADD_FAILURE() << "sent";
    return "Error";
  });
  EXPECT_FALSE(request.Start(*message, viewer, {}, Host()));
  EXPECT_EQ(notices.notices, std::vector<std::string>{G("对不起，您暂时没有权限.")});
}

TEST_F(DetailAgainstService, FullMemberAddsThePublisherAsAFriend) {
  LoginAnswer login = Login("demo_vip", "vip123");
  ASSERT_TRUE(login.ok());
  DetailViewer viewer = ViewerOf(login.profile, login.flags, true);
  ASSERT_FALSE(LacksMemberRights(viewer));
  std::optional<CurrentMessage> message = MessageFor(login.profile);
  ASSERT_TRUE(message.has_value());

  ScopedNoticeRecorder notices;
  MemberSession member(&SendLogin);
  member.Begin("demo_vip", "vip123", login.profile.SessionKey);
  AddFriendRequest request(
      [&member](std::string_view verb, std::string_view host, std::string_view path) {
        return member.Fetch(verb, host, path);
      });
  std::optional<AddedFriend> added;
  QObject::connect(&request, &AddFriendRequest::friendAdded,
                   [&](const AddedFriend& row) { added = row; });
  QSignalSpy finished(&request, &AddFriendRequest::finished);
  ASSERT_TRUE(request.Start(*message, viewer, {}, Host()));
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_TRUE(notices.notices.empty());
  ASSERT_TRUE(added.has_value());
  EXPECT_FALSE(added->entry_id.empty());
  EXPECT_EQ(added->name, message->Company);
  EXPECT_EQ(added->user_id, message->Flag);

  // The service now lists the publisher among the member's friends.
  std::string friends = member.Fetch("GET", Host(),
                                     "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=" +
                                         std::to_string(login.profile.UserId));
  EXPECT_NE(friends.find("@@" + added->entry_id + "||" + message->Company + "||"),
            std::string::npos);

  // A second try for the same publisher is refused once the table holds it.
  FriendListedCheck listed = [&](std::string_view id) { return id == added->user_id; };
  EXPECT_FALSE(request.Start(*message, viewer, listed, Host()));
  EXPECT_EQ(notices.notices.size(), 1u);
}

// The friends list end to end through the member's session: loaded, added
// to and shortened with the member's key, and a service that forgot the key
// in between (restarted on a new store) costs one silent login.
TEST(DetailFriendsAgainstService, ListAddAndRemoveWithTheMembersKey) {
  LocalService service({"--demo", "--demo-count", "100"});
  ASSERT_TRUE(service.ok()) << service.error();
  const std::string host = service.host();
  const LoginAnswer login = SendLogin(host, "demo_vip", "vip123");
  ASSERT_TRUE(login.ok());
  std::vector<std::string> sent;
  std::mutex sent_mutex;
  MemberSession member(&SendLogin,
                       [&](std::string_view verb, std::string_view h, std::string_view path) {
                         {
                           std::lock_guard lock(sent_mutex);
                           sent.emplace_back(path);
                         }
                         return FetchMemberPage(verb, h, path);
                       });
  member.Begin("demo_vip", "vip123", login.profile.SessionKey);
  auto fetch = [&member](std::string_view verb, std::string_view h, std::string_view path) {
    return member.Fetch(verb, h, path);
  };
  ScopedNoticeRecorder notices;

  FriendsTable table;
  FriendsLoader loader(
      table, [&](std::string_view h, std::string_view path) { return fetch("GET", h, path); },
      [&host] { return host; });
  QSignalSpy loaded(&loader, &FriendsLoader::friendsLoaded);
  loader.LoadFriends(login.profile.UserId);
  ASSERT_TRUE(loaded.wait(10000));
  ASSERT_EQ(table.Rows().size(), 4u);  // the demo member's friends

  // The service forgets every session; the next request logs in again once.
  ASSERT_TRUE(service.RestartOnNewStore()) << service.error();
  const CurrentMessage publisher{"1",
                                 G("郑州"),
                                 G("货源"),
                                 G("有货"),
                                 "020-86123456",
                                 "10004",
                                 "2012-3-5 9:07:03",
                                 "0",
                                 G("广州畅达运输有限公司"),
                                 {}};
  AddFriendRequest request(fetch);
  std::optional<AddedFriend> added;
  QObject::connect(&request, &AddFriendRequest::friendAdded,
                   [&](const AddedFriend& row) { added = row; });
  QSignalSpy finished(&request, &AddFriendRequest::finished);
  DetailViewer viewer = ViewerOf(login.profile, login.flags, true);
  ASSERT_TRUE(request.Start(publisher, viewer, {}, host));
  ASSERT_TRUE(finished.wait(10000));
  ASSERT_TRUE(added.has_value()) << "notices: " << notices.notices.size();
  EXPECT_EQ(member.Renewals(), 1);
  table.Append(FriendRow{added->entry_id, added->name, {}, {}, added->user_id});

  QSignalSpy removed(&loader, &FriendsLoader::removeFinished);
  loader.RemoveFriend(G("广州畅达运输有限公司"));
  ASSERT_TRUE(removed.wait(10000));
  EXPECT_TRUE(removed.first().at(0).toBool());
  EXPECT_EQ(member.Renewals(), 1);
  // The two questions (addition, removal), no notice of a failure.
  EXPECT_TRUE(notices.notices.empty());
  ASSERT_EQ(notices.questions.size(), 2u);
  EXPECT_NE(notices.questions.back().find(G("确定要删除好友")), std::string::npos);
  // Every friends request carried a key: the login's, then the renewed one.
  for (const std::string& path : sent) {
    if (path.find("GetFrindInfo.asp") == std::string::npos) continue;
    EXPECT_NE(path.find("&SessionKey="), std::string::npos) << path;
  }
  EXPECT_NE(sent.back().find("&SessionKey=" + member.Key()), std::string::npos);
}

}  // namespace
}  // namespace tv
