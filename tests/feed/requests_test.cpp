#include "feed/feed_requests.h"

#include <gtest/gtest.h>

#include "detail/friends_table.h"
#include "feed_test_util.h"

namespace tv {
namespace {

using feed_test::G;

TEST(FeedRequests, FirstPageNewRecordsAndPagePerDirection) {
  const std::string jinan = G("济南");  // "%BC%C3%C4%CF"
  struct Case {
    int direction;
    const char* first;
    const char* poll;  // nullptr: not polled
    const char* page;
  } cases[] = {
      {kDeparting, "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%BC%C3%C4%CF&inType=1",
       "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=900&Code=%BC%C3%C4%CF&inType=1",
       "/qavel/client/GetInfo.asp?action=GetCurDatas&Code=%BC%C3%C4%CF&StartNum=41&TotalNum=250"
       "&inType=1"},
      {kArriving,
       "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&KeyWords=%BC%C3%C4%CF&inType=1",
       "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=900&KeyWords=%BC%C3%C4%CF"
       "&inType=1",
       "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=41&TotalNum=250"
       "&KeyWords=%BC%C3%C4%CF&inType=1"},
      {kFriend, "/qavel/client/GetInfoByID.asp?action=GetTopDatas&Msg_Flag=7701", nullptr,
       "/qavel/client/GetInfoByID.asp?action=GetCurDatas&StartNum=41&TotalNum=250&Msg_Flag=7701"},
      {kWholeCountry, "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&inType=1",
       "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=900&inType=1",
       "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=41&TotalNum=250"},
  };
  for (const auto& c : cases) {
    const ViewQuery q{c.direction, kViewTrucks, jinan, "7701"};
    EXPECT_EQ(FirstPagePath(q), c.first) << c.direction;
    const auto poll = NewRecordsPath(q, "900");
    if (c.poll == nullptr) {
      EXPECT_FALSE(poll.has_value());
    } else {
      EXPECT_EQ(poll.value_or(""), c.poll);
    }
    EXPECT_EQ(PagePath(q, 41, 250), c.page) << c.direction;
  }
}

TEST(FeedRequests, WholeCountryRegionsSwitchTheDirection) {
  for (const char* name : {"全国信息", "全国货源", "全国车源"}) {
    EXPECT_EQ(DeriveDirection(kDeparting, G(name)), kWholeCountry) << name;
    EXPECT_EQ(DeriveDirection(kFriend, G(name)), kWholeCountry) << name;
  }
  EXPECT_EQ(DeriveDirection(kArriving, G("全国")), kArriving);
  EXPECT_EQ(DeriveDirection(kArriving, G("全国信息,济南")), kArriving);
}

TEST(FeedRequests, ValuesAreEncodedAndFixedPathsAreExact) {
  const ViewQuery q{kDeparting, kViewBoth, "a&b=c", ""};
  EXPECT_EQ(FirstPagePath(q),
            "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=a%26b%3Dc&inType=8");
  EXPECT_EQ(StartFeedPath(G("济南"), 8),
            "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%BC%C3%C4%CF&inType=8");
  EXPECT_EQ(IdListPath(IdListKind::kDeleted, "17"),
            "/qavel/client/GetDelInfo.asp?action=GetNewDelInfoID&maxid=17");
  EXPECT_EQ(IdListPath(IdListKind::kClosed, "Error"),
            "/qavel/client/GetSuccessInfo.asp?action=GetNewSuccessInfoID&maxid=Error");
  EXPECT_EQ(MaxIdPath(IdListKind::kClosed), "/qavel/client/GetSuccessInfo.asp?action=GetMaxID");
  EXPECT_EQ(FriendsPath(31), "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=31");
  EXPECT_EQ(DeleteFriendPath("5 6"),
            "/qavel/client/GetFrindInfo.asp?action=DelFrindInfo&UserID=5+6");
}

}  // namespace
}  // namespace tv
