#pragma once
// Figures of the running server for the operator: answers by page and by
// status, and how long they took, counted as the HTTP core writes them. The
// counting is a few relaxed atomic additions per answer; the health page and
// /metrics read them.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class ServiceMetrics {
 public:
  // `pages`: the paths counted apart; any other path counts as "other".
  explicit ServiceMetrics(std::vector<std::string> pages);

  void Observe(std::string_view target, int status, std::chrono::nanoseconds took);

  // Upper bounds of the answer-time buckets, in seconds (the last is +Inf).
  static const std::vector<double>& BucketBounds();

  struct Snapshot {
    std::vector<std::pair<std::string, std::uint64_t>> by_page;
    std::vector<std::pair<int, std::uint64_t>> by_status;  // statuses seen
    std::vector<std::uint64_t> buckets;                    // not cumulative
    std::uint64_t count = 0;
    double seconds_sum = 0;
    // From the buckets: the answer time under which half / 99 % of answers came.
    double Quantile(double q) const;
  };
  Snapshot Take() const;

 private:
  static constexpr int kMinStatus = 100, kMaxStatus = 599;
  static constexpr std::size_t kStatuses = kMaxStatus - kMinStatus + 2;  // the last: others
  static constexpr std::size_t kShards = 8;
  int PageIndex(std::string_view path) const;

  // The counters, one set per few threads: the event-loop threads count on
  // lines of their own instead of all on the same ones. Take() sums them.
  struct alignas(64) Shard {
    std::vector<std::atomic<std::uint64_t>> pages, buckets;
    std::array<std::atomic<std::uint64_t>, kStatuses> statuses{};
    std::atomic<std::uint64_t> nanos_sum{0};
  };
  Shard& MyShard();

  std::vector<std::string> pages_;  // sorted; the last counter is "other"
  std::array<Shard, kShards> shards_;
  std::atomic<std::size_t> next_shard_{0};
};

}  // namespace tv
