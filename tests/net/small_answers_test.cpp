// Totals, server list and version file.
#include <gtest/gtest.h>

#include "net/server_list.h"
#include "net/totals_answer.h"
#include "net/version_answer.h"

namespace tv {
namespace {

TEST(ParseTotalsAnswerTest, Cases) {
  const struct {
    std::string body;
    std::optional<std::int32_t> national;
  } cases[] = {
      {"@@@@@123456@@@@@45@@@@@6@@@@@", 123456},
      {"Error", std::nullopt},
      {"", std::nullopt},
      {"@@@@@@@@@@7@@@@@8@@@@@", 0},  // empty first number
      {"<html>busy</html>", 0},
      {"@@@@@99", 0},  // never closed
      {"@@@@@12x@@@@@", 12},
  };
  for (const auto& c : cases) {
    const auto totals = ParseTotalsAnswer(c.body);
    ASSERT_EQ(totals.has_value(), c.national.has_value()) << c.body;
    if (totals) {
      EXPECT_EQ(totals->national, *c.national) << c.body;
    }
  }
  const auto all = ParseTotalsAnswer("@@@@@1@@@@@2@@@@@3@@@@@");
  ASSERT_TRUE(all);
  EXPECT_EQ(all->second, 2);
  EXPECT_EQ(all->third, 3);
}

TEST(ServerListTest, CountAndHosts) {
  const struct {
    std::string text;
    std::int32_t count;
    std::vector<std::string> hosts;
  } cases[] = {
      {"3@@a/b/c", 3, {"a", "b", "c"}},
      {"3@@a/b", 3, {"a", "b"}},  // the count is the list's word, not the hosts found
      {"2@@d1.example.net:8080/d2.example.net/\r\n", 2, {"d1.example.net:8080", "d2.example.net"}},
      {"no separator", 0, {}},
      {"-4@@a", 0, {"a"}},
      {"1@@", 1, {}},
      // Names a URL could be made of beyond host and port never reach the table.
      {"3@@<b>x</b>/ok.example/u@evil.example", 3, {"ok.example"}},
      {"2@@a.example:0/b.example:99999/c.example:81", 2, {"c.example:81"}},
  };
  for (const auto& c : cases) {
    const ServerList list = ParseServerList(c.text);
    EXPECT_EQ(list.count, c.count) << c.text;
    EXPECT_EQ(list.hosts, c.hosts) << c.text;
  }
  for (const char* accepted : {"3@@a/b/c", " 1 @@127.0.0.1:8080\r\n", "2@@<i>/b.example"}) {
    EXPECT_TRUE(IsAcceptableServerList(accepted)) << accepted;
  }
  for (const char* rejected :
       {"", "Error", "<html>proxy</html>", "x<HTML>", "1@@a/<html>",
        "<!DOCTYPE html><html lang=\"zh\"><body>登录</body></html>", "a.example", "@@a.example",
        "0@@a.example", "-1@@a.example", "x1@@a.example", "2@@", "2@@ / /", "1@@<b>x</b>"}) {
    EXPECT_FALSE(IsAcceptableServerList(rejected)) << rejected;
  }
}

TEST(VersionAnswerTest, Fields) {
  const struct {
    std::string body, version, url;
  } cases[] = {
      {"v#8.2.0.0#http://h/qavel/software/a.exe#\r\n", "8.2.0.0", "http://h/qavel/software/a.exe"},
      {"#8.2.0.0#", "8.2.0.0", ""},
      {"#8.2", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const VersionAnswer answer = ParseVersionAnswer(c.body);
    EXPECT_EQ(answer.version, c.version) << c.body;
    EXPECT_EQ(answer.program_url, c.url) << c.body;
  }
}

TEST(VersionLessTest, OnlyMajorAndMinorCount) {
  const struct {
    const char *a, *b;
    bool less;
  } cases[] = {
      {"8.1.0.1", "8.2.0.0", true},  {"8.1.0.1", "8.1.9.9", false},
      {"8.1.0.1", "9.0", true},      {"8.1.0.1", "8.1.0.2", false},
      {"8.1.0.1", "", false},        {"8.1", "8.10", true},
      {"8.1.0.1", "7.9.9.9", false}, {"", "0.1", true},
  };
  for (const auto& c : cases) EXPECT_EQ(VersionLess(c.a, c.b), c.less) << c.a << " " << c.b;
}

}  // namespace
}  // namespace tv
