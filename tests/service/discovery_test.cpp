// Discovery, version and web pages of the service, per role.
#include <gtest/gtest.h>

#include "core/version.h"
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

}  // namespace
}  // namespace tv::test
