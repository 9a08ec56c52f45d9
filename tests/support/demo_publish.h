#pragma once
// Someone else's message on the lists: a demo member publishes through the
// service's own pages the way our client does, logged in, with its session
// key and its own company and telephone. Header only: the tests that use it
// link the transport anyway.
#include <string>
#include <string_view>

#include "net/login_answer.h"
#include "net/member_key.h"
#include "net/query_encoding.h"
#include "net/transport.h"

namespace tv {

// The demo members' passwords (service/DEMO.md).
inline std::string DemoPassword(std::string_view user) {
  if (user == "demo_vip") return "vip123";
  if (user == "demo_member") return "member123";
  if (user == "demo_nopub") return "nopub123";
  return "nocontact123";
}

// True when the service answered "AddOK". `type`: "0" cargo, "1" trucks.
inline bool PublishAsDemoMember(const std::string& host, const std::string& user,
                                const std::string& city_gbk, const std::string& content_gbk,
                                const std::string& type = "0") {
  const LoginAnswer login = ParseLoginAnswer(FetchEncodedPage(
      "POST", host,
      "/qavel/client/client_login.asp?action=Login_Client&loginSign=0&username=" + user +
          "&password=" + DemoPassword(user)));
  if (!login.ok()) return false;
  const MemberProfile& p = login.profile;
  // Every contact box unticked: the telephone and a blank.
  const std::string path =
      "/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=NewInfo&Msg_Code=" +
      EncodeQueryValue(city_gbk) + "&Msg_Type=" + type +
      "&Msg_Content=" + EncodeQueryValue(content_gbk) +
      "&Msg_Tel=" + EncodeQueryValue(p.Phone + " ") + "&Msg_Flag=" + std::to_string(p.UserId) +
      "&Msg_StartCity=" + EncodeQueryValue(city_gbk) +
      "&Msg_NetPhone=" + EncodeQueryValue(p.NetPhone) +
      "&Msg_Company=" + EncodeQueryValue(p.Company) + "&InfoNum=" + std::to_string(p.InfoNum);
  return FetchEncodedPage("POST", host, WithSessionKey(path, p.SessionKey)) == "AddOK";
}

}  // namespace tv
