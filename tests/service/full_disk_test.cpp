// The service's SQLite store on a disk that fills up: a publication that is
// not stored is answered as a failed request (the client's "Error", which
// keeps the form open), never "AddOK"; polls go on from what is stored, and
// publications are stored again once there is room.
#include <gtest/gtest.h>

#include "net/answers.h"
#include "service_client.h"
#include "small_disk.h"

namespace tv::test {
namespace {

TEST(serviceFullDisk, PublicationsNotStoredAreNotAnsweredAddOk) {
  SmallDisk disk(16 << 20);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  LocalService service({"--demo", "--demo-count", "20", "--db", disk.dir() + "/service.db"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const MemberLogin member = LogIn(client, "demo_vip", "vip123");
  const std::string newest =
      ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas")).records.at(0).InfoID;
  const std::string poll = "GetSearchInfo.asp?action=GetNewDatas&maxid=" + newest + "&inType=8";
  ASSERT_EQ(client.Post(OwnPublishPath(member, "满盘之前 钢材")), "AddOK");

  ASSERT_GT(disk.Fill(), 0u);
  for (const char* sign : {"NewInfo", "LoopInfo"}) {
    EXPECT_EQ(client.Post(OwnPublishPath(member, "满盘之时 钢材", sign)), "Error") << sign;
  }
  const auto while_full = ParseRecords(client.Get(poll));
  ASSERT_EQ(while_full.size(), 1u);
  EXPECT_EQ(U(while_full[0].Content), "满盘之前 钢材");

  disk.Free();
  ASSERT_EQ(client.Post(OwnPublishPath(member, "满盘之时 钢材")), "AddOK");
  const auto after = ParseRecords(client.Get(poll));
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(U(after[0].Content), "满盘之前 钢材");
  EXPECT_EQ(U(after[1].Content), "满盘之时 钢材");
}

}  // namespace
}  // namespace tv::test
