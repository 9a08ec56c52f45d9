#include "sign_in_throttle.h"

#include <algorithm>

namespace tv {
namespace {

constexpr std::size_t kMaxRecords = 100000;
// A record this old is forgotten: its wait has long passed.
constexpr auto kForgetAfter = std::chrono::hours(1);

}  // namespace

std::chrono::seconds SignInThrottle::Wait(const std::string& who, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  auto it = records_.find(who);
  if (it == records_.end() || it->second.failures < kFreeFailures) return std::chrono::seconds(0);
  const int over = std::min(it->second.failures - kFreeFailures, 10);
  const auto wait = std::min<std::chrono::seconds>(std::chrono::seconds(1LL << over), kMaxWait);
  const auto passed = std::chrono::duration_cast<std::chrono::seconds>(now - it->second.last);
  return passed >= wait ? std::chrono::seconds(0) : wait - passed;
}

void SignInThrottle::Failed(const std::string& who, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (records_.size() >= kMaxRecords) {
    std::erase_if(records_, [now](const auto& r) { return now - r.second.last > kForgetAfter; });
  }
  Record& r = records_[who];
  if (now - r.last > kForgetAfter) r.failures = 0;
  ++r.failures;
  r.last = now;
}

void SignInThrottle::Succeeded(const std::string& who) {
  std::lock_guard lock(mutex_);
  records_.erase(who);
}

}  // namespace tv
