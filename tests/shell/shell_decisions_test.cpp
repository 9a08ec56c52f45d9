// The main window's decisions: title, masking lock, and the addresses of
// the pages it opens.
#include "shell/shell_decisions.h"

#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "core/gbk.h"

namespace tv {
namespace {

std::string G(const char* utf8) { return Utf8ToGbk(utf8); }

TEST(MainWindowTitle, BuildsOwnTextsStandInForEmptyFields) {
  const std::string own_title = Utf8ToGbk(kProductTitleUtf8);
  const std::string own_line = Utf8ToGbk(kHotlineUtf8);
  struct Case {
    std::string site, line, title;
  };
  for (const Case& c : {
           Case{G("郑州配货网"), G("热线 0371-1"), G("郑州配货网 热线 0371-1")},
           Case{"", G("热线 0371-1"), own_title + " " + G("热线 0371-1")},
           Case{G("郑州配货网"), "", G("郑州配货网") + " " + own_line},
           Case{"", "", own_title + " " + own_line},
       }) {
    MemberProfile profile;
    profile.SiteTitle = c.site;
    profile.ServiceLine = c.line;
    EXPECT_EQ(MainWindowTitle(profile), c.title) << c.site << "|" << c.line;
  }
}

TEST(MaskLocked, TheSettingAlwaysAndRestrictedMembersOnceLoggedIn) {
  struct Case {
    bool always, logged_in;
    LoginFlags flags;
    bool locked;
  };
  const LoginFlags full{};
  const LoginFlags guest{true, false, false};
  const LoginFlags no_rights{false, true, false};
  const LoginFlags ordinary{false, false, true};
  for (const Case& c : {
           Case{false, false, full, false},
           Case{true, false, full, true},
           Case{false, true, full, false},
           Case{true, true, full, true},
           Case{false, true, guest, true},
           Case{false, true, no_rights, true},
           Case{false, true, ordinary, true},
           // Before login the flags of nobody say nothing.
           Case{false, false, guest, false},
       }) {
    EXPECT_EQ(MaskLocked(c.always, c.logged_in, c.flags), c.locked)
        << c.always << c.logged_in << c.flags.GuestMode << c.flags.NoContactRights
        << c.flags.OrdinaryMember;
  }
}

TEST(PageAddresses, ValuesFromTheMemberAreEncoded) {
  EXPECT_EQ(WebPageAddress("www.example.cn:8080", "/huoyuan/"),
            "http://www.example.cn:8080/huoyuan/");
  EXPECT_EQ(AdvertAddress(1, "10.0.0.5:81", G("郑州")),
            "http://10.0.0.5:81/qavel/client/adv/adv01.asp?city=%D6%A3%D6%DD");
  EXPECT_EQ(AdvertAddress(2, "h", "a&b c"), "http://h/qavel/client/adv/adv02.asp?city=a%26b+c");

  EXPECT_EQ(MemberProfileAddress("h:1", "7701"),
            "http://h:1/qavel/manager/showmeminfo.asp?userid=7701");
  EXPECT_EQ(MemberProfileAddress("h", "7&x=1"),
            "http://h/qavel/manager/showmeminfo.asp?userid=7%26x%3D1");
  EXPECT_EQ(MemberProfileAddress("h", "0"), std::nullopt);
  EXPECT_EQ(MemberProfileAddress("h", ""), std::nullopt);
}

TEST(PageAddresses, AnHttpsHostOpensItsPagesOverTls) {
  EXPECT_EQ(WebPageAddress("https://www.example.cn:8443", "/huoyuan/"),
            "https://www.example.cn:8443/huoyuan/");
  EXPECT_EQ(AdvertAddress(1, "https://data1.example", "x"),
            "https://data1.example/qavel/client/adv/adv01.asp?city=x");
  EXPECT_EQ(MemberProfileAddress("https://h", "7"),
            "https://h/qavel/manager/showmeminfo.asp?userid=7");
  // A host that is none of the service's opens nothing.
  EXPECT_EQ(WebPageAddress("ftp://www.example.cn", "/huoyuan/"), "");
}

TEST(DecideOwnMessages, GuestsAndMembersWithoutContactRightsAreRefused) {
  using Kind = OwnMessagesChoice::Kind;
  const std::string refusal = G("对不起，您暂时没有权限查看.");
  const std::string page = "http://h:2/qavel/manager/myinfos.asp?userid=31";
  struct Case {
    bool logged_in;
    LoginFlags flags;
    OwnMessagesChoice choice;
  };
  for (const Case& c : {
           Case{false, {}, {Kind::kNothing, ""}},
           Case{true, {}, {Kind::kOpen, page}},
           Case{true, {true, false, false}, {Kind::kRefuse, refusal}},
           Case{true, {false, true, false}, {Kind::kRefuse, refusal}},
           // Waiting for the telephone is no reason to hide one's own messages.
           Case{true, {false, false, true}, {Kind::kOpen, page}},
       }) {
    EXPECT_EQ(DecideOwnMessages(c.logged_in, c.flags, "h:2", 31), c.choice)
        << c.logged_in << c.flags.GuestMode << c.flags.NoContactRights;
  }
  // The login's session key rides along, for the page to take it.
  EXPECT_EQ(DecideOwnMessages(true, {}, "h:2", 31, "0123abcd").text, page + "&SessionKey=0123abcd");
}

TEST(DecideWebLink, OnlyTheServicesOwnPagesAreFollowed) {
  using enum WebLinkAction;
  const std::vector<std::string> own = {"www.tarvolo.cn",
                                        "127.0.0.1:8080",
                                        "",
                                        "[::1]:81",
                                        "bad:port",
                                        "odd:99999",
                                        "https://tls.example",
                                        "https://tls2.example:8443",
                                        "ftp://files.example"};
  struct Case {
    WebLink link;
    WebLinkAction action;
  };
  for (const Case& c : {
           Case{{"http", "www.tarvolo.cn", -1}, kFollow},
           Case{{"https", "www.tarvolo.cn", -1}, kFollow},
           Case{{"http", "www.tarvolo.cn", 80}, kFollow},
           Case{{"https", "www.tarvolo.cn", 443}, kFollow},
           Case{{"http", "WWW.Tarvolo.CN", -1}, kFollow},
           Case{{"http", "127.0.0.1", 8080}, kFollow},
           Case{{"https", "127.0.0.1", 8080}, kFollow},
           Case{{"http", "::1", 81}, kFollow},
           // Another port of one of our hosts is another server.
           Case{{"http", "www.tarvolo.cn", 8080}, kAskBrowser},
           Case{{"http", "127.0.0.1", -1}, kAskBrowser},
           Case{{"http", "127.0.0.1", 8081}, kAskBrowser},
           Case{{"http", "::1", 80}, kAskBrowser},
           // Look-alike and neighbouring hosts are other sites.
           Case{{"http", "tarvolo.cn", -1}, kAskBrowser},
           Case{{"http", "www.tarvolo.cn.example", -1}, kAskBrowser},
           Case{{"http", "evil.example", -1}, kAskBrowser},
           Case{{"http", "bad", -1}, kAskBrowser},
           Case{{"http", "odd", 99999}, kAskBrowser},
           // A host given with https:// is followed in https only.
           Case{{"https", "tls.example", -1}, kFollow},
           Case{{"https", "tls.example", 443}, kFollow},
           Case{{"https", "tls2.example", 8443}, kFollow},
           Case{{"http", "tls.example", -1}, kAskBrowser},
           Case{{"http", "tls2.example", 8443}, kAskBrowser},
           Case{{"https", "tls2.example", -1}, kAskBrowser},
           Case{{"http", "files.example", -1}, kAskBrowser},
           // Nothing but web pages; nothing without a host.
           Case{{"file", "", -1}, kIgnore},
           Case{{"file", "www.tarvolo.cn", -1}, kIgnore},
           Case{{"javascript", "", -1}, kIgnore},
           Case{{"tencent", "message", -1}, kIgnore},
           Case{{"ftp", "www.tarvolo.cn", -1}, kIgnore},
           Case{{"data", "", -1}, kIgnore},
           Case{{"about", "", -1}, kIgnore},
           Case{{"http", "", -1}, kIgnore},
       }) {
    EXPECT_EQ(DecideWebLink(c.link, own), c.action)
        << c.link.scheme << "://" << c.link.host << ":" << c.link.port;
  }
  EXPECT_EQ(DecideWebLink({"http", "www.tarvolo.cn", -1}, {}), kAskBrowser);
}

}  // namespace
}  // namespace tv
