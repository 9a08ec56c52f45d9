// The publish request: its path, the reply table, the interval between two
// publications, and the row the member's own message becomes.
#include <gtest/gtest.h>

#include "publish/publish_request.h"
#include "publish_test_util.h"

namespace tv {
namespace {

using test::G;
using test::U;
using namespace std::chrono_literals;

PublishRecord Record(const char* member_city, const char* departure, const char* content,
                     const char* type_code) {
  PublishFields f;
  f.member_city = G(member_city);
  f.departure_city = G(departure);
  f.content = G(content);
  f.member_number = "1001";
  f.contact_line = G("0537 张三");
  f.type_code = type_code;
  f.history_text = G("货源：") + f.content;
  return *PublishRecord::Make(f);
}

TEST(PublishRequest, PathCarriesTheRecordAndTheProfile) {
  MemberProfile p;
  p.NetPhone = "880 1";
  p.Company = "A&B";
  p.InfoNum = 7;
  const PublishRecord r = Record("济宁", "北京", "有货 20吨", "0");
  EXPECT_EQ(PublishPath(r, p, AddSign::kNewInfo),
            "/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=NewInfo"
            "&Msg_Code=%BC%C3%C4%FE&Msg_Type=0&Msg_Content=%D3%D0%BB%F5+20%B6%D6"
            "&Msg_Tel=0537+%D5%C5%C8%FD&Msg_Flag=1001&Msg_StartCity=%B1%B1%BE%A9"
            "&Msg_NetPhone=880+1&Msg_Company=A%26B&InfoNum=7");
  EXPECT_NE(PublishPath(r, p, AddSign::kLoopInfo).find("&AddSign=LoopInfo&"), std::string::npos);
  EXPECT_EQ(InfoIdPath("1001"), "/qavel/client/GetInfo.asp?action=GetInfoID&Msg_Flag=1001");
  EXPECT_EQ(NewStringPath(G("有货 20吨")),
            "/qavel/client/GetNewString.asp?action=GetNew&oldString=%D3%D0%BB%F5+20%B6%D6");
}

TEST(PublishRequest, RepliesAndTheirNotices) {
  struct Case {
    std::string reply;
    PublishReply kind;
    bool taken;
    const char* notice;
  } cases[] = {
      {"Error", PublishReply::kFailure, false, "信息发送失败,请检查网络是否正常或与网管中心联系!"},
      {"", PublishReply::kFailure, false, "信息发送失败,请检查网络是否正常或与网管中心联系!"},
      {"AddError", PublishReply::kDuplicate, false,
       "      相同信息不能重复发布    \n\n       请更改发布信息的内容!    "},
      {"AddFull", PublishReply::kQuotaFull, false,
       "您今天发布的信息条数已经达到规定要求\n\n如果想增加发布的信息条数,请与管理员联系!"},
      {"AddOK", PublishReply::kAccepted, true, ""},
      {"AddOK ", PublishReply::kOther, true, ""},  // the whole text is compared
      {"Welcome", PublishReply::kOther, true, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyPublishReply(c.reply), c.kind) << c.reply;
    EXPECT_EQ(PublishTaken(c.kind), c.taken) << c.reply;
    EXPECT_EQ(U(PublishReplyNotice(c.kind)), c.notice) << c.reply;
  }
}

TEST(PublishGate, ClosesForTheWholeIntervalAfterEachAttempt) {
  PublishGate gate;
  const auto t0 = PublishGate::Clock::time_point{} + 1000s;
  EXPECT_TRUE(gate.TryPass(t0, 60));
  EXPECT_FALSE(gate.TryPass(t0 + 59s, 60));
  EXPECT_TRUE(gate.TryPass(t0 + 60s, 60));
  // The interval runs from the attempt that passed, not from a refused one.
  EXPECT_FALSE(gate.TryPass(t0 + 119s, 60));
  EXPECT_TRUE(gate.TryPass(t0 + 120s, 60));
  EXPECT_EQ(U(GateNotice(60)), "您刚刚发布完信息,请 60 秒后发布!");

  // Without an interval the gate is neither consulted nor closed.
  PublishGate open;
  EXPECT_TRUE(open.TryPass(t0, 0));
  EXPECT_TRUE(open.TryPass(t0, -5));
  EXPECT_TRUE(open.Ready(t0));
}

TEST(OwnMessage, RowTakesTheServiceTextsAndTheRecord) {
  MemberProfile p;
  p.NetPhone = "88001";
  p.Company = G("顺达");
  const InfoRecord row = OwnMessageRecord(Record("济宁", "北京", "有货", "1"), "5123", G("有货!"),
                                          p, "2012-3-5 9:07:03");
  const InfoRecord expected{"5123",  G("济宁"), "1",    G("有货!"), G("0537 张三"),
                            "88001", G("顺达"), "1001", "0",        "2012-3-5 9:07:03"};
  EXPECT_EQ(row, expected);
}

}  // namespace
}  // namespace tv
