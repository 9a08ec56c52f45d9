// Which host texts name a host of the service, and the server list entries
// that come with a scheme.
#include <gtest/gtest.h>

#include "net/server_list.h"
#include "net/service_host.h"

namespace tv {
namespace {

TEST(ServiceHostTest, PlainOrHttpsHostsOnlyAndNothingThatReachesIntoTheUrl) {
  struct Case {
    const char* text;
    const char* url;  // ServiceUrl(text, "/p"); "" when refused
  };
  const Case cases[] = {
      {"data1.example", "http://data1.example/p"},
      {"data1.example:8081", "http://data1.example:8081/p"},
      {"127.0.0.1:8080", "http://127.0.0.1:8080/p"},
      {"http://data1.example", "http://data1.example/p"},
      {"https://data1.example", "https://data1.example/p"},
      {"HTTPS://data1.example:8443", "https://data1.example:8443/p"},
      {"https://[::1]:8443", "https://[::1]:8443/p"},
      {"file:///etc/passwd", ""},
      {"ftp://data1.example", ""},
      {"gopher://data1.example:70", ""},
      {"https://member:pw@data1.example", ""},
      {"member@data1.example", ""},
      {"https://data1.example/qavel", ""},
      {"https://data1.example/", ""},
      {"data1.example/x", ""},
      {"data1.example?x=1", ""},
      {"data1.example#x", ""},
      {"https://", ""},
      {"", ""},
      {"data1.example:0", ""},
      {"data1.example:65536", ""},
      {"data1.example:", ""},
      {"https:data1.example", ""},
      {"-data1.example", ""},
      {"data 1.example", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ServiceUrl(c.text, "/p"), c.url) << c.text;
  }
}

TEST(ServiceHostTest, ServerListEntriesWithAnotherSchemeOrUserInfoAreRefused) {
  struct Case {
    const char* list;
    std::vector<std::string> hosts;
  };
  const Case cases[] = {
      {"2@@a.example/b.example:8081", {"a.example", "b.example:8081"}},
      {"2@@https://a.example:8443/b.example", {"https://a.example:8443", "b.example"}},
      {"2@@b.example/https://a.example", {"b.example", "https://a.example"}},
      {"2@@https://a.example/https://b.example", {"https://a.example", "https://b.example"}},
      {"2@@ftp://evil.example/a.example", {"a.example"}},
      {"2@@file://evil.example/a.example", {"a.example"}},
      {"2@@https://user:pw@evil.example/a.example", {"a.example"}},
      {"2@@user@evil.example/a.example", {"a.example"}},
      {"1@@ftp://evil.example", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseServerList(c.list).hosts, c.hosts) << c.list;
    EXPECT_EQ(IsAcceptableServerList(c.list), !c.hosts.empty()) << c.list;
  }
}

}  // namespace
}  // namespace tv
