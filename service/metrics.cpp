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

ServiceMetrics::ServiceMetrics(std::vector<std::string> pages)
    : pages_(std::move(pages)), page_counts_(pages_.size() + 1), buckets_(BucketBounds().size()) {
  std::sort(pages_.begin(), pages_.end());
}

int ServiceMetrics::PageIndex(std::string_view path) const {
  const auto it = std::lower_bound(pages_.begin(), pages_.end(), path,
                                   [](const std::string& a, std::string_view b) { return a < b; });
  if (it != pages_.end() && *it == path) return static_cast<int>(it - pages_.begin());
  return static_cast<int>(pages_.size());
}

void ServiceMetrics::Observe(std::string_view target, int status, std::chrono::nanoseconds took) {
  const std::string_view path = target.substr(0, target.find('?'));
  page_counts_[static_cast<std::size_t>(PageIndex(path))].fetch_add(1, std::memory_order_relaxed);
  const int s = status >= kMinStatus && status <= kMaxStatus ? status - kMinStatus
                                                             : kMaxStatus - kMinStatus + 1;
  status_counts_[static_cast<std::size_t>(s)].fetch_add(1, std::memory_order_relaxed);
  const double seconds = std::chrono::duration<double>(took).count();
  const auto& bounds = BucketBounds();
  std::size_t b = 0;
  while (b + 1 < bounds.size() && seconds > bounds[b]) ++b;
  buckets_[b].fetch_add(1, std::memory_order_relaxed);
  nanos_sum_.fetch_add(static_cast<std::uint64_t>(std::max<std::int64_t>(0, took.count())),
                       std::memory_order_relaxed);
}

ServiceMetrics::Snapshot ServiceMetrics::Take() const {
  Snapshot s;
  for (std::size_t i = 0; i < page_counts_.size(); ++i) {
    s.by_page.emplace_back(i < pages_.size() ? pages_[i] : std::string("other"),
                           page_counts_[i].load(std::memory_order_relaxed));
  }
  for (std::size_t i = 0; i < status_counts_.size(); ++i) {
    const auto n = status_counts_[i].load(std::memory_order_relaxed);
    if (n) s.by_status.emplace_back(static_cast<int>(i) + kMinStatus, n);
  }
  for (const auto& b : buckets_) {
    s.buckets.push_back(b.load(std::memory_order_relaxed));
    s.count += s.buckets.back();
  }
  s.seconds_sum = static_cast<double>(nanos_sum_.load(std::memory_order_relaxed)) / 1e9;
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
