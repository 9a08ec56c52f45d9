// Many clients at once: polls, pages and publications side by side.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "net/answers.h"
#include "service_client.h"

namespace tv::test {
namespace {

TEST(serviceConcurrency, ParallelPollsAndPublicationsStayConsistent) {
  LocalService service({"--demo", "--demo-count", "300", "--threads", "16"});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const CountedPage start = ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas"));
  const std::string mark = start.records.at(0).InfoID;
  const MemberLogin vip = LogIn(client, "demo_vip", "vip123");

  constexpr int kReaders = 6, kReads = 40, kWriters = 2, kWrites = 15;
  std::atomic<int> bad_answers{0}, accepted{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kReaders; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kReads; ++i) {
        const std::string path = i % 2 ? "GetInfo.asp?action=GetNewDatas&maxid=" + mark +
                                             "&Code=" + Q("郑州") + "&inType=8"
                                       : "GetSearchInfo.asp?action=GetCurDatas&StartNum=" +
                                             std::to_string(1 + t * 30 + i) + "&TotalNum=300";
        if (!HasItems(client.Get(path))) ++bad_answers;
      }
    });
  }
  for (int t = 0; t < kWriters; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kWrites; ++i) {
        const std::string content = "load-" + std::to_string(t) + "-" + std::to_string(i);
        const std::string answer = client.Post(OwnPublishPath(vip, content));
        if (answer == "AddOK") ++accepted;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(bad_answers.load(), 0);
  EXPECT_EQ(accepted.load(), kWriters * kWrites);

  // Every publication is there once, in order, and the total grew by as many.
  const auto fresh = ParseRecords(client.Get("GetSearchInfo.asp?action=GetNewDatas&maxid=" + mark));
  ASSERT_EQ(fresh.size(), static_cast<std::size_t>(kWriters * kWrites));
  for (std::size_t i = 1; i < fresh.size(); ++i) {
    EXPECT_LT(std::stoll(fresh[i - 1].InfoID), std::stoll(fresh[i].InfoID));
  }
  EXPECT_EQ(ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas")).total,
            start.total + kWriters * kWrites);
}

}  // namespace
}  // namespace tv::test
