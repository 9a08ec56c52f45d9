#include "detail/detail_decisions.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "detail/detail_friend_rules.h"
#include "detail_fixtures.h"

namespace tv {
namespace {

using detail_test::G;
using detail_test::Member;
using detail_test::PublisherMessage;
using detail_test::Viewer;

// What each kind of member meets in the detail view of a publisher's message.
TEST(DetailDecisions, EachKindOfMember) {
  const std::string vip = G("VIP会员查看电话号码无需等待，普通会员请稍等...");
  struct Case {
    Member member;
    std::string contact;
    std::optional<std::int64_t> countdown;
    SourceClick source;
    AddFriendGate add_friend;
  };
  const SourceClick no_rights_page{SourceClick::Kind::kNotice,
                                   G("对不起，您暂时没有权限查看会员资料.")};
  const AddFriendGate refused{AddFriendGate::Kind::kRefuse, G("对不起，您暂时没有权限.")};
  const Case cases[] = {
      {Member::kFull,
       "13800001111",
       std::nullopt,
       {SourceClick::Kind::kOpenProfile, "2002"},
       {AddFriendGate::Kind::kAsk, G("确定要将＂鲁达物流(2002)＂添加为好友吗?")}},
      {Member::kOrdinaryWaiting, vip, 10, no_rights_page, refused},
      {Member::kOrdinaryNoWait, vip, std::nullopt, no_rights_page, refused},
      {Member::kNoContactRights, vip, std::nullopt, no_rights_page, refused},
      {Member::kGuest, vip, std::nullopt, no_rights_page, refused},
  };
  const CurrentMessage message = PublisherMessage();
  for (const Case& c : cases) {
    SCOPED_TRACE(detail_test::Name(c.member));
    DetailViewer viewer = Viewer(c.member);
    bool wait_flag = viewer.ordinary_member;  // as the window copies it when it opens
    EXPECT_EQ(ContactText(message, viewer, wait_flag), c.contact);
    EXPECT_EQ(ContactCountdownSeconds(viewer), c.countdown);
    EXPECT_EQ(DecideSourceClick(message, viewer), c.source);
    EXPECT_EQ(AddFriendOpening(message, viewer), c.add_friend);
  }
}

TEST(DetailDecisions, WaitOverShowsTelephoneOnlyToOrdinaryMembers) {
  const CurrentMessage message = PublisherMessage();
  EXPECT_EQ(ContactText(message, Viewer(Member::kOrdinaryWaiting), false), "13800001111");
  // The other two flags keep the number hidden whatever WaitFlag says.
  EXPECT_NE(ContactText(message, Viewer(Member::kGuest), false), "13800001111");
  EXPECT_NE(ContactText(message, Viewer(Member::kNoContactRights), false), "13800001111");
}

TEST(DetailDecisions, CountdownTextCarriesTheSeconds) {
  EXPECT_EQ(CountdownText(15), G("请不要关闭本窗口，15秒后将自动显示联系方式，倒计时"));
}

TEST(DetailDecisions, StatusSourceAndLinkByDealAndFlag) {
  struct Case {
    const char* deal;
    const char* flag;
    const char* status;
    Colour colour;
    const char* source;
    bool link_acts;
  };
  const Case cases[] = {
      {"1", "2002", "已成交！", kDetailBlue, "用户发布", true},
      {"0", "2002", "未成交！", kDetailRed, "用户发布", true},
      {"", "2002", "未成交！", kDetailRed, "用户发布", true},
      {"0", "0", "未知！", kDetailGrey, "人工/坐席", false},
      {"1", "0", "已成交！", kDetailBlue, "人工/坐席", false},
      // Only exactly "0" is a staff entry.
      {"0", "00", "未成交！", kDetailRed, "用户发布", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("deal=") + c.deal + " flag=" + c.flag);
    CurrentMessage m = PublisherMessage();
    m.Deal = c.deal;
    m.Flag = c.flag;
    EXPECT_EQ(DealStatus(m), (StatusLine{G(c.status), c.colour}));
    EXPECT_EQ(SourceText(m), G(c.source));
    EXPECT_EQ(SourceLinkActs(m), c.link_acts);
  }
}

TEST(DetailDecisions, StaffSourceDoesNothingForAnyone) {
  CurrentMessage m = PublisherMessage();
  m.Flag = "0";
  for (Member member : {Member::kFull, Member::kGuest, Member::kOrdinaryWaiting}) {
    EXPECT_EQ(DecideSourceClick(m, Viewer(member)).kind, SourceClick::Kind::kNothing);
  }
}

TEST(DetailDecisions, ContentDropsMarkersButKeepsLookalikeBytes) {
  struct Case {
    std::string content;
    std::string shown;
  };
  const Case cases[] = {
      {G("【济宁】有货Ξ济宁§ Ψ8888§ δ3-7 9:05§"), G("货源:【济宁】有货济宁 8888 3-7 9:05")},
      {G("无标记"), G("货源:无标记")},
      // Two characters, C4 A6 and B7 D6: "\xA6\xB7" spans them and is no
      // marker; a byte search would eat half of each.
      {"\xC4\xA6\xB7\xD6", G("货源:") + "\xC4\xA6\xB7\xD6"},
      // A lone lead byte at the end is kept as it is.
      {std::string("ab\xA6"), G("货源:") + "ab\xA6"},
      {"", G("货源:")},
  };
  for (const Case& c : cases) {
    CurrentMessage m = PublisherMessage();
    m.Content = c.content;
    EXPECT_EQ(DetailContentText(m), c.shown);
  }
}

TEST(DetailDecisions, MessageIsCopiedFromItsGridColumns) {
  std::map<int, std::string> row = {{0, "77"},  {1, "c"},  {2, "t"},  {3, "x"},
                                    {4, "tel"}, {5, "5"},  {6, "tm"}, {8, "text"},
                                    {9, "99"},  {12, "1"}, {13, "co"}};
  CurrentMessage m = CurrentMessageFromRow([&](int column) { return row[column]; });
  EXPECT_EQ(m, (CurrentMessage{"77", "c", "t", "x", "tel", "5", "tm", "1", "co", {}}));
}

TEST(DetailDecisions, MessengerAddressOnlyFromDigits) {
  EXPECT_EQ(QqChatAddress("123456", "www.example.cn"),
            "tencent://message/?uin=123456&Site=www.example.cn&Menu=yes");
  for (const char* qq : {"", "12 34", "123&Site=evil.example", "12345\n", "-1", "1e5"}) {
    EXPECT_EQ(QqChatAddress(qq, "www.example.cn"), std::nullopt) << qq;
  }
  EXPECT_EQ(QqChatAddress(G("一二三"), "s"), std::nullopt);
}

TEST(DetailDecisions, RowDoubleClickByColumnAndViewer) {
  using Kind = RowDoubleClick::Kind;
  const std::string no_qq = G("对不起！该用户没有开通“QQ”，\n\n您无法跟他进行“在线交谈”。");
  const std::string chat = "tencent://message/?uin=4455&Site=site&Menu=yes";
  struct Case {
    const char* name;
    int column;
    std::string row_text;
    std::string qq;
    Member member;
    bool logged_in;
    bool member_only_chat;
    RowDoubleClick expected;
  };
  const Case cases[] = {
      {"text column opens", 8, "row", "4455", Member::kGuest, true, true, {Kind::kShowDetail, {}}},
      {"type icon opens", 7, "row", "", Member::kFull, true, true, {Kind::kShowDetail, {}}},
      {"empty row only copies", 8, "", "", Member::kFull, true, true, {Kind::kCopyOnly, {}}},
      {"detail icon column", 10, "row", "4455", Member::kFull, true, true, {}},
      {"hidden column", 3, "row", "4455", Member::kFull, true, true, {}},
      {"chat", 11, "row", "4455", Member::kFull, true, true, {Kind::kOpenChat, chat}},
      {"no qq", 11, "row", "", Member::kFull, true, true, {Kind::kNotice, no_qq}},
      {"qq not digits", 11, "row", "44&x=1", Member::kFull, true, true, {Kind::kNotice, no_qq}},
      {"guest in main grid", 11, "row", "4455", Member::kGuest, true, true, {}},
      {"not logged in", 11, "row", "4455", Member::kFull, false, true, {}},
      {"guest in search panel",
       11,
       "row",
       "4455",
       Member::kGuest,
       true,
       false,
       {Kind::kOpenChat, chat}},
      {"ordinary member chats",
       11,
       "row",
       "4455",
       Member::kOrdinaryWaiting,
       true,
       true,
       {Kind::kOpenChat, chat}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DetailViewer viewer = Viewer(c.member);
    viewer.logged_in = c.logged_in;
    auto cell = [&](int column) -> std::string {
      if (column == kColRowText) return c.row_text;
      if (column == kColQQ) return c.qq;
      return "x";
    };
    EXPECT_EQ(DecideRowDoubleClick(c.column, cell, viewer, c.member_only_chat, "site"), c.expected);
  }
}

}  // namespace
}  // namespace tv
