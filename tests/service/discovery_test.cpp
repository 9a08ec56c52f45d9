// Discovery, version and web pages of the service, per role.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>

#include "core/version.h"
#include "net/query_encoding.h"
#include "net/server_list.h"
#include "net/version_answer.h"
#include "service_client.h"

namespace tv::test {
namespace {

TEST(serviceDiscovery, DataServerAnswersHostCheckAndListsItself) {
  LocalService service;
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  EXPECT_EQ(client.Plain("/qavel/client/checkhost.htm"), "TestOK");
  const std::string list = client.Plain("/qavel/client/getus.htm");
  ASSERT_TRUE(IsAcceptableServerList(list)) << list;
  const ServerList parsed = ParseServerList(list);
  EXPECT_EQ(parsed.count, 1);
  EXPECT_EQ(parsed.hosts, std::vector<std::string>{service.host()});
}

// A service restarted on its port must come up while the last run's closed
// connections linger in TIME_WAIT, yet a second service on a live port must
// be refused rather than share it.
TEST(serviceDiscovery, RestartsOnItsOwnPortButRefusesALiveOne) {
  LocalService first;
  ASSERT_TRUE(first.ok()) << first.error();
  ServiceClient client(first);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(client.Plain("/qavel/client/checkhost.htm"), "TestOK");
  const std::string listen = first.host();

  LocalService rival({"--listen", listen});
  EXPECT_FALSE(rival.ok());

  first.Stop();
  LocalService again({"--listen", listen});
  ASSERT_TRUE(again.ok()) << again.error();
  EXPECT_EQ(again.host(), listen);
  EXPECT_EQ(ServiceClient(again).Plain("/qavel/client/checkhost.htm"), "TestOK");
}

TEST(serviceDiscovery, RolesHandOutTheListTheirWay) {
  LocalService fallback({"--role", "fallback", "--hosts", "a.example/b.example:8080/c.example"});
  LocalService portal({"--role", "portal", "--hosts", "a.example/b.example"});
  LocalService data({"--role", "data"});
  ASSERT_TRUE(fallback.ok() && portal.ok() && data.ok());

  // The fall-back host encodes its list; the portal sends it plain.
  const std::string encoded = ServiceClient(fallback).Get("getus.htm");
  ASSERT_TRUE(IsAcceptableServerList(encoded)) << encoded;
  const ServerList list = ParseServerList(encoded);
  EXPECT_EQ(list.count, 3);
  EXPECT_EQ(list.hosts, (std::vector<std::string>{"a.example", "b.example:8080", "c.example"}));
  EXPECT_EQ(ServiceClient(portal).Plain("/qavel/client/getus.htm"), "2@@a.example/b.example");

  // A list server is no data server, and a data server hands out no list.
  EXPECT_EQ(ServiceClient(fallback).Plain("/qavel/client/checkhost.htm"), kError);
  EXPECT_EQ(ServiceClient(portal).Get("GetTNums.asp?action=getnum"), kError);
  EXPECT_EQ(ServiceClient(data).Plain("/qavel/client/getus.htm"), kError);
  EXPECT_EQ(ServiceClient(data).Plain("/qavel/client/checkhost.htm"), "TestOK");
}

TEST(serviceDiscovery, VersionFileOffersTheClientsOwnVersionUnlessTold) {
  LocalService plain;
  LocalService newer({"--offer-version", "8.2.0.0"});
  ASSERT_TRUE(plain.ok() && newer.ok());
  const VersionAnswer same =
      ParseVersionAnswer(ServiceClient(plain).Plain("/qavel/client/UpdateVersion.htm"));
  EXPECT_EQ(same.version, kClientVersion);
  EXPECT_FALSE(VersionLess(kClientVersion, same.version));

  const VersionAnswer offer =
      ParseVersionAnswer(ServiceClient(newer).Plain("/qavel/client/UpdateVersion.htm"));
  EXPECT_EQ(offer.version, "8.2.0.0");
  EXPECT_TRUE(VersionLess(kClientVersion, offer.version));
  // Both offered files download.
  const std::string dir = newer.temp_dir();
  EXPECT_EQ(DownloadToFile(offer.program_url, dir + "/program"), 0) << offer.program_url;
  EXPECT_EQ(
      DownloadToFile("http://" + newer.host() + "/qavel/software/Update.exe", dir + "/updater"), 0);
  EXPECT_EQ(DownloadToFile("http://" + newer.host() + "/qavel/software/nothing", dir + "/none"),
            -1);
}

// The update address is the server's own (or the one it is told to hand
// out), whatever Host a request names: nobody who sends a request chooses
// where clients download a program from. Under /qavel/software/ only files
// are served.
TEST(serviceDiscovery, UpdateAddressIsTheServersOwnAndOnlyFilesDownload) {
  LocalService own({"--offer-version", "8.2.0.0"});
  LocalService told({"--offer-version", "8.2.0.0", "--public-host", "freight.example:8080"});
  ASSERT_TRUE(own.ok() && told.ok());
  auto offered = [](const LocalService& service) {
    httplib::Client raw("127.0.0.1", service.port());
    auto res = raw.Get("/qavel/client/UpdateVersion.htm", {{"Host", "evil.example"}});
    return res ? ParseVersionAnswer(res->body).program_url : std::string("no answer");
  };
  EXPECT_EQ(offered(own), "http://" + own.host() + "/qavel/software/tarvolo");
  EXPECT_EQ(offered(told), "http://freight.example:8080/qavel/software/tarvolo");

  const std::string dir = own.temp_dir() + "/updates";
  std::filesystem::create_directories(dir + "/sub");
  std::ofstream(dir + "/Update.exe") << "updater";
  LocalService serving({"--update-dir", dir});
  ASSERT_TRUE(serving.ok()) << serving.error();
  httplib::Client raw("127.0.0.1", serving.port());
  const std::pair<const char*, int> cases[] = {
      {"/qavel/software/Update.exe", 200}, {"/qavel/software/sub", 404},
      {"/qavel/software/.", 404},          {"/qavel/software/", 404},
      {"/qavel/software/sub/", 404},       {"/qavel/software/missing", 404},
  };
  for (const auto& [path, status] : cases) {
    auto res = raw.Get(path);
    ASSERT_TRUE(res) << path;
    EXPECT_EQ(res->status, status) << path;
  }
}

TEST(serviceDiscovery, EveryAnswerHasStatusLengthAndDeclaredCharset) {
  LocalService service({"--demo", "--demo-count", "50"});
  ASSERT_TRUE(service.ok()) << service.error();
  httplib::Client raw("127.0.0.1", service.port());
  const std::string city = EncodeQueryValue(Utf8ToGbk("郑州"));
  struct Case {
    std::string target;
    bool html;
  };
  std::vector<Case> cases = {
      {"/qavel/client/checkhost.htm", false},
      {"/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" + city + "&inType=8", false},
      {"/qavel/client/adv/adv01.asp?city=" + city, true},
      {"/qavel/client/adv/adv02.asp?city=" + city, true},
      {"/qavel/manager/myinfos.asp?userid=10001", true},
      {"/qavel/manager/showmeminfo.asp?userid=10002", true},
      {"/qavel/manager/showmeminfo.asp?userid=4242", true},
      {"/", true},
      {"/reg_read.asp", true},
      {"/join/default.asp", true},
  };
  for (const char* path :
       {"/hezuo/", "/mingpian/", "/bangzhu/", "/huoyuan/", "/cheyuan/", "/zonghe/cangchu/",
        "/zonghe/hyxx/gnhy/", "/zonghe/tieluky/", "/weizhanchaxun/", "/xiazai/", "/yunjia/",
        "/huangye/", "/GPSdingwei/", "/baoxian/yiwai/", "/jianzhan/", "/kefu/", "/bbs/"}) {
    cases.push_back({path, true});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    auto res = raw.Get(c.target);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    ASSERT_TRUE(res->has_header("Content-Length"));
    EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(res->body.size()));
    if (c.html) {
      EXPECT_NE(res->get_header_value("Content-Type").find("charset=GBK"), std::string::npos);
      EXPECT_NE(res->body.find("charset=\"gbk\""), std::string::npos);
      EXPECT_EQ(GbkToUtf8(res->body).find("\xEF\xBF\xBD"), std::string::npos) << "not GBK";
    }
  }
  // The advert names the member's city; the profile page the member.
  EXPECT_NE(GbkToUtf8(raw.Get("/qavel/client/adv/adv01.asp?city=" + city)->body).find("郑州"),
            std::string::npos);
  EXPECT_NE(GbkToUtf8(raw.Get("/qavel/manager/showmeminfo.asp?userid=10002")->body).find("李秀英"),
            std::string::npos);
  EXPECT_EQ(raw.Get("/no/such/page/")->status, 404);
}

}  // namespace
}  // namespace tv::test
