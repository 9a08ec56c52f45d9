// Publishing: the answers, the stored text, and how a new message reaches the
// new-records polls of the views it belongs to.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "net/answers.h"
#include "net/login_answer.h"
#include "service_client.h"
#include "store_choice.h"

namespace tv::test {
namespace {

struct Publication {
  std::string sign = "NewInfo";
  std::string city = "郑州";
  std::string start_city = "郑州";
  std::string type = "0";
  std::string content;
  std::string tel = "0371-65881234 13903712345 郑州宏达物流有限公司 王建国";
  std::string flag = "10001";
  std::string net_phone = "80012345";
  std::string company = "郑州宏达物流有限公司";
  std::string key;  // the member's session key
};

// A publication with the member's own data and key (UTF-8 texts).
Publication OwnOf(const MemberLogin& m) {
  Publication p;
  p.tel = U(ComposeContactLine(m.profile, ContactChoices::All()));
  p.flag = m.flag;
  p.net_phone = U(m.profile.NetPhone);
  p.company = U(m.profile.Company);
  p.key = m.key;
  return p;
}

std::string PublishPath(const Publication& p) {
  return "SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=" + p.sign +
         "&Msg_Code=" + Q(p.city) + "&Msg_Type=" + p.type + "&Msg_Content=" + Q(p.content) +
         "&Msg_Tel=" + Q(p.tel) + "&Msg_Flag=" + p.flag + "&Msg_StartCity=" + Q(p.start_city) +
         "&Msg_NetPhone=" + Q(p.net_phone) + "&Msg_Company=" + Q(p.company) + "&InfoNum=1" +
         (p.key.empty() ? "" : "&SessionKey=" + p.key);
}

std::string Register(const ServiceClient& client, const std::string& user) {
  return client.Post("Register.asp?action=Reg&username=" + user + "&password=pw" + user +
                     "&name1=" + Q("张三") + "&sex=" + Q("男") + "&company=" + Q("测试物流") +
                     "&province=" + Q("河南省") + "&city=" + Q("郑州") +
                     "&url=&sj=13900000000&tel=" + Q("0371-1234567") +
                     "&tel1=&sj1=&email=&address=&post=&town=");
}

TEST(servicePublish, NewMessageReachesItsViewsWithTheStoredText) {
  LocalService service({"--demo", "--demo-count", "50"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const std::string newest =
      ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas")).records.at(0).InfoID;

  Publication p;
  p.key = LogIn(client, "demo_vip", "vip123").key;
  p.city = "郑州";
  p.start_city = "洛阳";
  p.type = "1";
  p.content = "9.6米高栏车 洛阳@@到||广州 求货|运费面议";
  EXPECT_EQ(client.Post(PublishPath(p)), "AddOK");

  // The member's newest identifier and the stored text of the content.
  const std::string id = client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=10001");
  EXPECT_GT(std::stoll(id), std::stoll(newest));
  const std::string stored = client.Get("GetNewString.asp?action=GetNew&oldString=" + Q(p.content));
  EXPECT_EQ(U(stored), "9.6米高栏车 洛阳＠＠到｜｜广州 求货｜运费面议");

  // Publishing city, departure city, arriving and national views all see it.
  for (const std::string& path :
       {"GetInfo.asp?action=GetNewDatas&maxid=" + newest + "&Code=" + Q("郑州") + "&inType=8",
        "GetInfo.asp?action=GetNewDatas&maxid=" + newest + "&Code=" + Q("洛阳") + "&inType=1",
        "GetSearchInfo.asp?action=GetNewDatas&maxid=" + newest + "&KeyWords=" + Q("广州") +
            "&inType=8",
        "GetSearchInfo.asp?action=GetNewDatas&maxid=" + newest + "&inType=8",
        "GetSearchInfo.asp?action=GetNewDatas&maxid=" + newest + "&Code=" + Q("郑州") +
            "&KeyWords=" + Q("高栏")}) {
    SCOPED_TRACE(path);
    const auto records = ParseRecords(client.Get(path));
    ASSERT_EQ(records.size(), 1u);
    const InfoRecord& r = records[0];
    EXPECT_EQ(r.InfoID, id);
    EXPECT_EQ(U(r.City), "郑州");
    EXPECT_EQ(r.Type, "1");
    EXPECT_EQ(r.Content, stored);
    EXPECT_EQ(U(r.Tel), p.tel);
    EXPECT_EQ(r.QQ, "80012345");
    EXPECT_EQ(U(r.Company), p.company);
    EXPECT_EQ(r.Flag, "10001");
    EXPECT_EQ(r.Deal, "0");
  }
  // Views it does not belong to, and a poll from the new identifier, find nothing.
  for (const std::string& path :
       {"GetInfo.asp?action=GetNewDatas&maxid=" + newest + "&Code=" + Q("郑州") + "&inType=0",
        "GetInfo.asp?action=GetNewDatas&maxid=" + newest + "&Code=" + Q("拉萨") + "&inType=8",
        "GetSearchInfo.asp?action=GetNewDatas&maxid=" + id + "&inType=8"}) {
    EXPECT_EQ(client.Get(path), "@@") << path;
  }
  // Two more come back oldest first.
  p.content = "second";
  ASSERT_EQ(client.Post(PublishPath(p)), "AddOK");
  p.content = "third";
  ASSERT_EQ(client.Post(PublishPath(p)), "AddOK");
  const auto two = ParseRecords(client.Get("GetSearchInfo.asp?action=GetNewDatas&maxid=" + id));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].Content, "second");
  EXPECT_EQ(two[1].Content, "third");
}

TEST(servicePublish, DuplicatesQuotaAndRights) {
  LocalService service({"--demo", "--demo-count", "10", "--quota", "3"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  ASSERT_TRUE(Register(client, "quota01").starts_with("RegSuccess"));
  const MemberLogin login = LogIn(client, "quota01", "pwquota01");
  const std::string flag = login.flag;
  ASSERT_EQ(client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=" + flag), "0");

  Publication p = OwnOf(login);
  struct Step {
    const char* sign;
    const char* content;
    const char* answer;
  };
  const Step steps[] = {
      {"NewInfo", "A", "AddOK"},     {"NewInfo", "A", "AddError"},  // same text within a day
      {"LoopInfo", "A", "AddError"},                                // a loop re-send right away
      {"LoopInfo", "B", "AddOK"},    {"NewInfo", "C", "AddOK"},
      {"NewInfo", "D", "AddFull"},  // the fourth of the day
      {"LoopInfo", "E", "AddFull"},
  };
  for (const Step& s : steps) {
    p.sign = s.sign;
    p.content = s.content;
    EXPECT_EQ(client.Post(PublishPath(p)), s.answer) << s.sign << " " << s.content;
  }

  // A member without the right cannot publish; for no member at all there is
  // no key to sign with.
  Publication nopub = OwnOf(LogIn(client, "demo_nopub", "nopub123"));
  nopub.content = "X";
  EXPECT_EQ(client.Post(PublishPath(nopub)), "AddNoRight");
  p.sign = "NewInfo";
  p.content = "X";
  for (const char* who : {"999999", "0"}) {
    p.flag = who;
    EXPECT_EQ(client.Post(PublishPath(p)), "AddError") << who;
  }
}

// Runs one statement on the service's store, a SQLite file or a PostgreSQL
// database (the test moves time).
void Sql(const std::string& db_path, const std::string& statement) {
  if (db_path.starts_with("postgresql://")) {
    EXPECT_TRUE(PgExec(db_path, statement)) << statement;
    return;
  }
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_path.c_str(), &db), SQLITE_OK);
  sqlite3_busy_timeout(db, 5000);
  EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

TEST(servicePublish, ALoopResendBumpsTheMembersLiveCopyThroughTheDeletionLog) {
  LocalService service({"--demo", "--demo-count", "10", "--no-cache"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const std::string del_max = client.Get("GetDelInfo.asp?action=GetMaxID");
  Publication p = OwnOf(LogIn(client, "demo_vip", "vip123"));
  p.content = "郑州到广州 钢材30吨 求9.6米高栏";
  ASSERT_EQ(client.Post(PublishPath(p)), "AddOK");
  // Another member with the very same text.
  Publication other = OwnOf(LogIn(client, "demo_member", "member123"));
  other.content = p.content;
  ASSERT_EQ(client.Post(PublishPath(other)), "AddOK");
  const std::string first = client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=10001");
  // Both copies were published three minutes ago.
  Sql(service.db_path(), "UPDATE messages SET created = created - 180");

  p.sign = "LoopInfo";
  ASSERT_EQ(client.Post(PublishPath(p)), "AddOK");  // the answer is the same as ever
  const std::string second = client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=10001");
  EXPECT_NE(second, first);
  // The list holds the text once for this member, the new copy on top.
  const CountedPage page = ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas"));
  int copies = 0;
  for (const InfoRecord& r : page.records) {
    if (r.Flag == "10001" && U(r.Content) == p.content) {
      ++copies;
      EXPECT_EQ(r.InfoID, second);
    }
  }
  EXPECT_EQ(copies, 1);
  EXPECT_EQ(page.records.at(0).InfoID, second);
  // The old one is in the deletion log every client polls; the other
  // member's copy is not touched.
  const auto deleted =
      ParseIdList(client.Get("GetDelInfo.asp?action=GetNewDelInfoID&maxid=" + del_max));
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0].InfoId, first);
  EXPECT_EQ(ParseRecords(client.Get("GetInfoByID.asp?action=GetTopDatas&Msg_Flag=10002")).size(),
            1u);
  // A fresh publication of a text the member has live is still refused, and
  // a loop re-send within the minute too; neither withdraws anything.
  p.sign = "NewInfo";
  EXPECT_EQ(client.Post(PublishPath(p)), "AddError");
  p.sign = "LoopInfo";
  EXPECT_EQ(client.Post(PublishPath(p)), "AddError");
  EXPECT_EQ(client.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=10001"), second);
  EXPECT_EQ(
      ParseIdList(client.Get("GetDelInfo.asp?action=GetNewDelInfoID&maxid=" + del_max)).size(), 1u);
}

}  // namespace
}  // namespace tv::test
