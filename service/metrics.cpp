#include "metrics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tv {

const std::vector<double>& ServiceMetrics::BucketBounds() {
  static const std::vector<double> bounds = {0.0001,
                                             0.00025,
                                             0.0005,
                                             0.001,
                                             0.0025,
                                             0.005,
                                             0.01,
                                             0.025,
                                             0.05,
                                             0.1,
                                             0.25,
                                             0.5,
                                             1,
                                             2.5,
                                             5,
                                             10,
                                             std::numeric_limits<double>::infinity()};
  return bounds;
}

ServiceMetrics::ServiceMetrics(std::vector<std::string> pages) : pages_(std::move(pages)) {
  std::sort(pages_.begin(), pages_.end());
  for (Shard& shard : shards_) {
    shard.pages = std::vector<std::atomic<std::uint64_t>>(pages_.size() + 1);
    shard.buckets = std::vector<std::atomic<std::uint64_t>>(BucketBounds().size());
  }
}

ServiceMetrics::Shard& ServiceMetrics::MyShard() {
  // Each thread keeps the shard it got first (threads outnumber shards
  // rarely: the loops and the workers).
  thread_local const std::size_t mine = next_shard_.fetch_add(1, std::memory_order_relaxed);
  return shards_[mine % kShards];
}

int ServiceMetrics::PageIndex(std::string_view path) const {
  const auto it = std::lower_bound(pages_.begin(), pages_.end(), path,
                                   [](const std::string& a, std::string_view b) { return a < b; });
  if (it != pages_.end() && *it == path) return static_cast<int>(it - pages_.begin());
  return static_cast<int>(pages_.size());
}

void ServiceMetrics::Observe(std::string_view target, int status, std::chrono::nanoseconds took) {
  Shard& shard = MyShard();
  const std::string_view path = target.substr(0, target.find('?'));
  shard.pages[static_cast<std::size_t>(PageIndex(path))].fetch_add(1, std::memory_order_relaxed);
  const std::size_t s = status >= kMinStatus && status <= kMaxStatus
                            ? static_cast<std::size_t>(status - kMinStatus)
                            : kStatuses - 1;
  shard.statuses[s].fetch_add(1, std::memory_order_relaxed);
  const double seconds = std::chrono::duration<double>(took).count();
  const auto& bounds = BucketBounds();
  std::size_t b = 0;
  while (b + 1 < bounds.size() && seconds > bounds[b]) ++b;
  shard.buckets[b].fetch_add(1, std::memory_order_relaxed);
  shard.nanos_sum.fetch_add(static_cast<std::uint64_t>(std::max<std::int64_t>(0, took.count())),
                            std::memory_order_relaxed);
}

ServiceMetrics::Snapshot ServiceMetrics::Take() const {
  Snapshot s;
  const auto sum = [this](auto counter) {
    std::uint64_t n = 0;
    for (const Shard& shard : shards_) n += counter(shard).load(std::memory_order_relaxed);
    return n;
  };
  for (std::size_t i = 0; i <= pages_.size(); ++i) {
    s.by_page.emplace_back(i < pages_.size() ? pages_[i] : std::string("other"),
                           sum([i](const Shard& sh) -> const auto& { return sh.pages[i]; }));
  }
  for (std::size_t i = 0; i < kStatuses; ++i) {
    const auto n = sum([i](const Shard& sh) -> const auto& { return sh.statuses[i]; });
    if (n) s.by_status.emplace_back(static_cast<int>(i) + kMinStatus, n);
  }
  for (std::size_t i = 0; i < BucketBounds().size(); ++i) {
    s.buckets.push_back(sum([i](const Shard& sh) -> const auto& { return sh.buckets[i]; }));
    s.count += s.buckets.back();
  }
  s.seconds_sum =
      static_cast<double>(sum([](const Shard& sh) -> const auto& { return sh.nanos_sum; })) / 1e9;
  return s;
}

double ServiceMetrics::Snapshot::Quantile(double q) const {
  if (count == 0) return 0;
  const auto& bounds = BucketBounds();
  const double want = q * static_cast<double>(count);
  double seen = 0;
  for (std::size_t i = 0; i < buckets.size(); ++i) {
    const double before = seen;
    seen += static_cast<double>(buckets[i]);
    if (seen >= want && buckets[i] > 0) {
      // Linear within the bucket, as Prometheus' histogram_quantile does.
      const double low = i == 0 ? 0 : bounds[i - 1];
      const double high = std::isinf(bounds[i]) ? low : bounds[i];
      return low + (high - low) * (want - before) / static_cast<double>(buckets[i]);
    }
  }
  return bounds[bounds.size() - 2];
}

}  // namespace tv
