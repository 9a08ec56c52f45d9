#include "detail/detail_add_friend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSignalSpy>
#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "core/background_job.h"
#include "core/notice.h"
#include "detail_fixtures.h"

namespace tv {
namespace {

using detail_test::G;
using detail_test::Member;
using detail_test::PublisherMessage;
using detail_test::Viewer;

// A stand-in for the service: records what was sent and answers a fixed text.
struct FakeService {
  std::string answer = "AddOK\r\n77";
  std::mutex mutex;
  std::vector<std::string> requests;
  std::thread::id caller;

  AddFriendRequest::Fetch Fetch() {
    return [this](std::string_view verb, std::string_view host, std::string_view path) {
      std::lock_guard lock(mutex);
      requests.push_back(std::string(verb) + " " + std::string(host) + std::string(path));
      caller = std::this_thread::get_id();
      return answer;
    };
  }
};

class AddFriendRequestTest : public ::testing::Test {
 protected:
  bool Start(const CurrentMessage& message, Member member) {
    return request.Start(message, Viewer(member), listed, "127.0.0.1:8080");
  }
  // Waits for the answer to be applied on this thread.
  bool WaitFinished() {
    QSignalSpy spy(&request, &AddFriendRequest::finished);
    return spy.count() > 0 || spy.wait(5000);
  }

  ScopedNoticeRecorder notices;
  FakeService service;
  AddFriendRequest request{service.Fetch()};
  std::set<std::string> friends = {"3003"};
  FriendListedCheck listed = [this](std::string_view id) {
    return friends.count(std::string(id)) > 0;
  };
};

TEST_F(AddFriendRequestTest, AddsThePublisherFromAWorker) {
  std::optional<AddedFriend> added;
  QObject::connect(&request, &AddFriendRequest::friendAdded,
                   [&](const AddedFriend& row) { added = row; });
  ASSERT_TRUE(Start(PublisherMessage(), Member::kFull));
  ASSERT_TRUE(WaitFinished());

  EXPECT_EQ(notices.questions,
            std::vector<std::string>{G("确定要将＂鲁达物流(2002)＂添加为好友吗?")});
  EXPECT_TRUE(notices.notices.empty());
  ASSERT_EQ(service.requests.size(), 1u);
  EXPECT_EQ(
      service.requests[0],
      "POST 127.0.0.1:8080/qavel/client/GetFrindInfo.asp?action=AddFrindInfo"
      "&Msg_Company=%C2%B3%B4%EF%CE%EF%C1%F7&Msg_QQ=&Msg_NetPhone=&Msg_Flag=2002&UserID=1001");
  EXPECT_NE(service.caller, std::this_thread::get_id());
  ASSERT_TRUE(added.has_value());
  EXPECT_EQ(*added, (AddedFriend{"77", G("鲁达物流"), "", "", "2002"}));
  EXPECT_FALSE(request.busy());
}

TEST_F(AddFriendRequestTest, RefusalsSendNothing) {
  struct Case {
    const char* name;
    Member member;
    bool answer_yes;
    std::string flag;
    std::string company;
    std::vector<std::string> notices;
  };
  const Case cases[] = {
      {"guest", Member::kGuest, true, "2002", G("鲁达物流"), {G("对不起，您暂时没有权限.")}},
      {"no contact rights",
       Member::kNoContactRights,
       true,
       "2002",
       G("鲁达物流"),
       {G("对不起，您暂时没有权限.")}},
      {"ordinary",
       Member::kOrdinaryNoWait,
       true,
       "2002",
       G("鲁达物流"),
       {G("对不起，您暂时没有权限.")}},
      {"said no", Member::kFull, false, "2002", G("鲁达物流"), {}},
      {"already a friend",
       Member::kFull,
       true,
       "3003",
       G("鲁达物流"),
       {G("＂鲁达物流(3003)＂已经添加到好友列表,请不要重复添加!")}},
      {"no company",
       Member::kFull,
       true,
       "2002",
       "",
       {G("您要添加好友的公司名称为空,无法添加为好友!")}},
      {"oneself", Member::kFull, true, "1001", G("鲁达物流"), {G("您不能添加自己为好友!")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notices.notices.clear();
    notices.answer = c.answer_yes;
    CurrentMessage m = PublisherMessage();
    m.Flag = c.flag;
    m.Company = c.company;
    EXPECT_FALSE(Start(m, c.member));
    EXPECT_EQ(notices.notices, c.notices);
    EXPECT_FALSE(request.busy());
  }
  WaitForBackgroundJobs(5000);
  EXPECT_TRUE(service.requests.empty());
}

TEST_F(AddFriendRequestTest, AnswersThatFail) {
  struct Case {
    std::string answer;
    std::vector<std::string> notices;
  };
  const Case cases[] = {{"Error", {G("添加失败,请检查网络是否正常连接后重试!")}},
                        {"AddOK", {G("添加失败,请稍后重试!")}},
                        {"Whatever", {}}};
  int added = 0;
  QObject::connect(&request, &AddFriendRequest::friendAdded, [&] { ++added; });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    notices.notices.clear();
    service.answer = c.answer;
    ASSERT_TRUE(Start(PublisherMessage(), Member::kFull));
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(notices.notices, c.notices);
  }
  EXPECT_EQ(added, 0);
}

TEST(AddFriendRequestLifetime, OneAtATimeAndAnAnswerForAGoneOwnerIsDropped) {
  ScopedNoticeRecorder notices;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> sent = 0;
  auto* request = new AddFriendRequest([&](std::string_view, std::string_view, std::string_view) {
    ++sent;
    released.wait();
    return std::string("Error");
  });
  QPointer<AddFriendRequest> guard(request);
  ASSERT_TRUE(request->Start(PublisherMessage(), Viewer(Member::kFull), {}, "h"));
  EXPECT_TRUE(request->busy());
  EXPECT_FALSE(request->Start(PublisherMessage(), Viewer(Member::kFull), {}, "h"));

  delete request;
  release.set_value();
  ASSERT_TRUE(WaitForBackgroundJobs(5000));
  QCoreApplication::processEvents();
  EXPECT_TRUE(guard.isNull());
  EXPECT_EQ(sent.load(), 1);
  EXPECT_TRUE(notices.notices.empty());  // the "Error" answer found no one to tell
}

}  // namespace
}  // namespace tv
