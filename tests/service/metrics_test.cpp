// The console's counts: answers by page (the query left out, unknown pages
// together), by status, and the answer-time quantiles read from the buckets.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "metrics.h"

namespace tv {
namespace {

using std::chrono::microseconds;

TEST(serviceMetrics, CountsByPageAndStatusAndReadsQuantilesFromTheBuckets) {
  ServiceMetrics metrics({"/b.asp", "/a.asp"});
  // From several threads at once, as the event loops count.
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&metrics] {
      for (int i = 0; i < 245; ++i) metrics.Observe("/a.asp?x=1", 200, microseconds(300));
      for (int i = 0; i < 5; ++i) metrics.Observe("/b.asp", 400, microseconds(40'000));
    });
  }
  for (auto& t : threads) t.join();
  metrics.Observe("/elsewhere", 404, microseconds(10));

  const ServiceMetrics::Snapshot s = metrics.Take();
  ASSERT_EQ(s.by_page.size(), 3u);
  EXPECT_EQ(s.by_page[0], (std::pair<std::string, std::uint64_t>{"/a.asp", 980}));
  EXPECT_EQ(s.by_page[1], (std::pair<std::string, std::uint64_t>{"/b.asp", 20}));
  EXPECT_EQ(s.by_page[2], (std::pair<std::string, std::uint64_t>{"other", 1}));
  EXPECT_EQ(s.by_status,
            (std::vector<std::pair<int, std::uint64_t>>{{200, 980}, {400, 20}, {404, 1}}));
  EXPECT_EQ(s.count, 1001u);
  // 300 us falls in the bucket (250 us, 500 us], 40 ms in (25 ms, 50 ms].
  EXPECT_GT(s.Quantile(0.5), 0.00025);
  EXPECT_LE(s.Quantile(0.5), 0.0005);
  EXPECT_GT(s.Quantile(0.99), 0.025);
  EXPECT_LE(s.Quantile(0.99), 0.05);
  EXPECT_NEAR(s.seconds_sum, 980 * 0.0003 + 20 * 0.04 + 0.00001, 1e-6);
}

}  // namespace
}  // namespace tv
