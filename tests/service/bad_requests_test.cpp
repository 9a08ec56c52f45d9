// Requests the client never sends: each gets a 4xx answer or an empty page,
// the service keeps running, and the store does not change.
#include <gtest/gtest.h>
#include <httplib.h>

#include "net/answers.h"
#include "net/base64.h"
#include "service_client.h"

namespace tv::test {
namespace {

// What a caller can see of the store: totals, newest message, log marks,
// member and friends counts.
std::string StoreFingerprint(const ServiceClient& c) {
  return c.Get("GetTNums.asp?action=getnum") + "|" +
         c.Get("GetSearchInfo.asp?action=GetTopDatas").substr(0, 40) + "|" +
         c.Get("GetDelInfo.asp?action=GetMaxID") + "|" +
         c.Get("GetSuccessInfo.asp?action=GetMaxID") + "|" +
         c.Get("GetFrindInfo.asp?action=GetFrindInfo&UserID=10001") + "|" +
         c.Get("GetInfo.asp?action=GetInfoID&Msg_Flag=10001") + "|" +
         c.Post("client_login.asp?action=Login_Client&username=bad01&password=secret1");
}

TEST(serviceBadRequests, AnsweredWith4xxOrEmptyPageAndStoreUnchanged) {
  LocalService service({"--demo", "--demo-count", "200"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const std::string before = StoreFingerprint(client);

  const std::string set_info =
      "/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&Msg_Code=" + Q("郑州") +
      "&Msg_Tel=123456&Msg_StartCity=&Msg_NetPhone=&Msg_Company=&InfoNum=1";
  const std::string reg = "/qavel/client/Register.asp?action=Reg&name1=" + Q("张三") +
                          "&province=" + Q("河南省") + "&tel=1234567";
  const std::string targets[] = {
      "/qavel/client/Nope.asp?action=GetTopDatas",
      "/qavel/client/GetInfo.asp?action=Bogus&Code=" + Q("郑州"),
      "/qavel/client/GetInfo.asp?Code=" + Q("郑州"),
      "/qavel/client/GetInfo.asp?action=GetTopDatas&inType=8",  // no Code
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%ZZ&inType=8",
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%D6&inType=8",  // cut short
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%&inType=8",
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%FF%FF&inType=8",  // not GBK
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=%D6%20&inType=8",  // bad trail byte
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=a%00b&inType=8",
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" + Q("郑州") + "&inType=x",
      "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=abc&Code=" + Q("郑州") + "&inType=8",
      "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=12abc&Code=" + Q("郑州"),
      "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=1e5&Code=" + Q("郑州"),
      "/qavel/client/GetInfo.asp?action=GetNewDatas&Code=" + Q("郑州"),  // no maxid
      "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=99999999999999999999999",
      "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=2000000000&TotalNum=5",
      "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=-5",
      "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=0",
      "/qavel/client/GetSearchInfo.asp?action=GetCurDatas",
      "/qavel/client/GetInfoByID.asp?action=GetTopDatas&Msg_Flag=abc",
      "/qavel/client/GetInfoByID.asp?action=GetNewDatas&maxid=1&Msg_Flag=10001",
      "/qavel/client/GetDelInfo.asp?action=GetNewDelInfoID&maxid=Error",
      "/qavel/client/GetSuccessInfo.asp?action=GetNewSuccessInfoID",
      "/qavel/client/GetTNums.asp?action=other",
      "/qavel/client/GetNewString.asp?action=GetNew",
      set_info + "&AddSign=NewInfo&Msg_Type=0&Msg_Content=abc",  // no Msg_Flag
      set_info + "&AddSign=NewInfo&Msg_Type=x&Msg_Content=abc&Msg_Flag=10001",
      set_info + "&AddSign=NewInfo&Msg_Type=0&Msg_Content=%FF&Msg_Flag=10001",
      set_info + "&AddSign=NewInfo&Msg_Type=0&Msg_Content=+++&Msg_Flag=10001",  // blank
      set_info + "&AddSign=Other&Msg_Type=0&Msg_Content=abc&Msg_Flag=10001",
      reg + "&username=bad01",  // no password
      reg + "&username=bad%FF1&password=secret1",
      "/qavel/client/client_login.asp?action=Login_Client&username=demo_vip",
      "/qavel/client/GetFrindInfo.asp?action=GetFrindInfo&UserID=abc",
      "/qavel/client/GetFrindInfo.asp?action=DelFrindInfo&UserID=",
      "/qavel/client/GetFrindInfo.asp?action=AddFrindInfo&Msg_Flag=x&UserID=10001",
      "/qavel/client/GetFrindInfo.asp?action=Other&UserID=10001",
      "/qavel/manager/myinfos.asp?userid=abc",
      "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" + std::string(20000, 'A'),
  };
  httplib::Client raw("127.0.0.1", service.port());
  raw.set_url_encode(false);  // the targets go out byte for byte
  for (const std::string& target : targets) {
    SCOPED_TRACE(target.substr(0, 120));
    for (const char* verb : {"GET", "POST"}) {
      auto res = std::string(verb) == "GET" ? raw.Get(target) : raw.Post(target);
      ASSERT_TRUE(res) << "no answer";
      if (res->status == 200) {
        const std::string text = DecodeBase64Lenient(res->body);
        EXPECT_TRUE(text == "@@" || text == "@@0@@") << "not an empty page: " << text;
      } else {
        EXPECT_GE(res->status, 400);
        EXPECT_LT(res->status, 500);
      }
    }
  }
  EXPECT_EQ(client.Plain("/qavel/client/checkhost.htm"), "TestOK");
  EXPECT_EQ(StoreFingerprint(client), before);
}

}  // namespace
}  // namespace tv::test
