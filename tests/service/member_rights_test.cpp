// Only the member acts as the member: publishing and the friends list want the
// session key of the member's own login, and a publication carries the
// member's own company and contact data only. A refused key says so in a
// header; a refused publication of the member itself does not.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "net/answers.h"
#include "service_client.h"
#include "session_key.h"
#include "store.h"

namespace tv::test {
namespace {

// A publication whose parts a case may change: UTF-8 texts, sent as the
// client sends them.
struct Publication {
  std::string company, net_phone, tel;  // GBK
  std::string key;
  std::string sign = "NewInfo";
};

Publication OwnPublication(const MemberLogin& m) {
  return {m.profile.Company, m.profile.NetPhone,
          ComposeContactLine(m.profile, ContactChoices::All()), m.key};
}

std::string PathOf(const MemberLogin& m, const Publication& p, std::string_view content) {
  const std::string path =
      "/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=" + p.sign +
      "&Msg_Code=" + EncodeQueryValue(m.profile.City) + "&Msg_Type=0&Msg_Content=" + Q(content) +
      "&Msg_Tel=" + EncodeQueryValue(p.tel) + "&Msg_Flag=" + m.flag +
      "&Msg_StartCity=" + EncodeQueryValue(m.profile.City) +
      "&Msg_NetPhone=" + EncodeQueryValue(p.net_phone) +
      "&Msg_Company=" + EncodeQueryValue(p.company) + "&InfoNum=1";
  return WithSessionKey(path, p.key);
}

std::string FriendsPath(std::string_view action, const std::string& user_id, const std::string& key,
                        std::string_view more = {}) {
  return WithSessionKey("/qavel/client/GetFrindInfo.asp?action=" + std::string(action) +
                            std::string(more) + "&UserID=" + user_id,
                        key);
}

// A key the store holds for `member`, run out a second ago.
std::string ExpiredKey(const LocalService& service, std::int64_t member) {
  std::string error;
  auto store = ServiceStore::Open(service.db_path(), &error);
  EXPECT_TRUE(store) << error;
  const std::string key = "00112233445566778899aabbccddeeff";
  if (store) {
    EXPECT_TRUE(store->AddSession(member, SessionKeyHash(key), std::time(nullptr) - 1));
  }
  return key;
}

class serviceMemberRights : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--demo", "--demo-count", "10", "--quota", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    service_ = std::make_unique<LocalService>(args);
    ASSERT_TRUE(service_->ok()) << service_->error();
    client_ = std::make_unique<ServiceClient>(*service_);
    vip_ = LogIn(*client_, "demo_vip", "vip123");
    other_ = LogIn(*client_, "demo_member", "member123");
  }
  MemberPageAnswer Send(std::string_view verb, const std::string& path) const {
    return FetchMemberPage(verb, service_->host(), path);
  }
  // What a caller sees of the member's messages: its newest and the total.
  std::string Published(const MemberLogin& m) const {
    return client_->Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + m.flag) + "/" +
           client_->Get("GetTNums.asp?action=getnum");
  }

  std::unique_ptr<LocalService> service_;
  std::unique_ptr<ServiceClient> client_;
  MemberLogin vip_, other_;
};

TEST_F(serviceMemberRights, PublishingWantsTheMembersKeyAndOwnContactData) {
  Start();
  const std::string expired = ExpiredKey(*service_, vip_.profile.UserId);
  const std::string before = Published(vip_);
  const std::string phone = vip_.profile.Phone;
  struct Case {
    const char* what;
    void (*change)(Publication&, const std::string& arg);
    std::string arg;
    bool key_refused;
  };
  const Case refused[] = {
      {"no key", [](Publication& p, const std::string&) { p.key.clear(); }, "", true},
      {"another member's key", [](Publication& p, const std::string& k) { p.key = k; }, other_.key,
       true},
      {"a key run out", [](Publication& p, const std::string& k) { p.key = k; }, expired, true},
      {"a key never given", [](Publication& p, const std::string& k) { p.key = k; },
       "ffeeddccbbaa99887766554433221100", true},
      {"another company", [](Publication& p, const std::string& c) { p.company = c; },
       "ACME Forged Co", false},
      {"no company", [](Publication& p, const std::string&) { p.company.clear(); }, "", false},
      {"a telephone of someone else", [](Publication& p, const std::string& t) { p.tel = t; },
       "13800000000", false},
      {"someone else's name after the own phone",
       [](Publication& p, const std::string& t) { p.tel = t; }, phone + " " + Utf8ToGbk("张三"),
       false},
      {"more than the own line", [](Publication& p, const std::string& t) { p.tel += t; },
       " 13800000000", false},
      {"another net phone", [](Publication& p, const std::string& n) { p.net_phone = n; }, "55555",
       false},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.what);
    Publication p = OwnPublication(vip_);
    c.change(p, c.arg);
    const MemberPageAnswer answer = Send("POST", PathOf(vip_, p, std::string("forged ") + c.what));
    EXPECT_EQ(answer.text, "AddError");
    EXPECT_EQ(answer.key_refused, c.key_refused);
  }
  EXPECT_EQ(Published(vip_), before) << "a refused publication was stored";

  // The member's own lines, as the forms and the loop compose them, are taken.
  ContactChoices loop_choices = ContactChoices::All();
  loop_choices.Set(ContactItem::kName, false);
  loop_choices.Set(ContactItem::kCompany, false);
  Publication loop = OwnPublication(vip_);
  loop.sign = "LoopInfo";
  loop.tel = ComposeContactLine(vip_.profile, loop_choices);
  Publication bare_line = OwnPublication(vip_);
  bare_line.tel = phone + " ";  // every box unticked
  bare_line.net_phone.clear();
  for (const Publication& p : {OwnPublication(vip_), loop, bare_line}) {
    SCOPED_TRACE(GbkToUtf8(p.tel));
    const MemberPageAnswer answer = Send("POST", PathOf(vip_, p, "own " + GbkToUtf8(p.tel)));
    EXPECT_EQ(answer.text, "AddOK");
    EXPECT_FALSE(answer.key_refused);
  }
  const auto listed =
      ParseCountedPage(client_->Get("GetInfoByID.asp?action=GetTopDatas&Msg_Flag=" + vip_.flag));
  ASSERT_GE(listed.records.size(), 3u);
  // Stored without the line's trailing blank.
  auto trimmed = [](std::string line) {
    while (line.ends_with(' ')) line.pop_back();
    return line;
  };
  EXPECT_EQ(listed.records[0].Tel, trimmed(bare_line.tel));
  EXPECT_EQ(listed.records[1].Tel, trimmed(loop.tel));
  EXPECT_EQ(listed.records[2].Company, vip_.profile.Company);
}

TEST_F(serviceMemberRights, OnlyTheOwnerReadsAndChangesAFriendsList) {
  Start();
  const std::string expired = ExpiredKey(*service_, vip_.profile.UserId);
  const std::string add_more =
      "&Msg_Company=" + Q("广州畅达运输有限公司") + "&Msg_QQ=&Msg_NetPhone=" + "&Msg_Flag=10004";
  const MemberPageAnswer added =
      Send("POST", FriendsPath("AddFrindInfo", vip_.flag, vip_.key, add_more));
  ASSERT_TRUE(added.text.starts_with("AddOK||")) << added.text;
  const std::string entry = added.text.substr(7);
  const std::string own_list = Send("GET", FriendsPath("GetFrindInfo", vip_.flag, vip_.key)).text;
  EXPECT_NE(
      own_list.find("@@" + entry + "||" + Utf8ToGbk("广州畅达运输有限公司") + "||||||10004@@"),
      std::string::npos)
      << own_list;

  for (const std::string& key : {std::string(), other_.key, expired}) {
    SCOPED_TRACE("key " + key);
    const MemberPageAnswer list = Send("GET", FriendsPath("GetFrindInfo", vip_.flag, key));
    EXPECT_EQ(list.text, "@@");
    EXPECT_TRUE(list.key_refused);
    const MemberPageAnswer plant =
        Send("POST", FriendsPath("AddFrindInfo", vip_.flag, key,
                                 "&Msg_Company=" + Q("官方客服") +
                                     "&Msg_QQ=66666&Msg_NetPhone=&Msg_Flag=10003"));
    EXPECT_EQ(plant.text, "AddError");
    EXPECT_TRUE(plant.key_refused);
    const MemberPageAnswer removal = Send("GET", FriendsPath("DelFrindInfo", entry, key));
    EXPECT_EQ(removal.text, "DelError");
    EXPECT_TRUE(removal.key_refused);
  }
  EXPECT_EQ(Send("GET", FriendsPath("GetFrindInfo", vip_.flag, vip_.key)).text, own_list);
  EXPECT_EQ(Send("GET", FriendsPath("DelFrindInfo", entry, vip_.key)).text, "DelOK");
  EXPECT_EQ(Send("GET", FriendsPath("GetFrindInfo", vip_.flag, vip_.key)).text.find("@@" + entry),
            std::string::npos);
}

TEST_F(serviceMemberRights, UnsignedMembersWhereTheOperatorAllowsThem) {
  Start({"--allow-unsigned-members"});
  Publication unsigned_own = OwnPublication(vip_);
  unsigned_own.key.clear();
  EXPECT_EQ(Send("POST", PathOf(vip_, unsigned_own, "without a key")).text, "AddOK");
  Publication forged = unsigned_own;
  forged.company = "ACME Forged Co";
  EXPECT_EQ(Send("POST", PathOf(vip_, forged, "forged")).text, "AddError");
  // A key that is given must still be the member's.
  Publication wrong_key = OwnPublication(vip_);
  wrong_key.key = other_.key;
  const MemberPageAnswer refused = Send("POST", PathOf(vip_, wrong_key, "wrong key"));
  EXPECT_EQ(refused.text, "AddError");
  EXPECT_TRUE(refused.key_refused);

  const MemberPageAnswer added =
      Send("POST", FriendsPath("AddFrindInfo", vip_.flag, "",
                               "&Msg_Company=" + Q("广州畅达运输有限公司") +
                                   "&Msg_QQ=&Msg_NetPhone=&Msg_Flag=10004"));
  EXPECT_TRUE(added.text.starts_with("AddOK||")) << added.text;
  EXPECT_NE(Send("GET", FriendsPath("GetFrindInfo", vip_.flag, ""))
                .text.find("@@" + added.text.substr(7)),
            std::string::npos);
}

}  // namespace
}  // namespace tv::test
