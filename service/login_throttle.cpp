#include "login_throttle.h"

#include <algorithm>
#include <atomic>

#include "core/ascii.h"
#include "store.h"

namespace tv {
namespace {

using std::chrono::milliseconds;

std::atomic<std::int64_t> delay_unit_ms{1000};

// User names longer than any member's are cut: they match nobody anyway.
constexpr std::size_t kMaxKeyName = 64;

std::string UserKey(std::string_view user) {
  // Member names are unique without regard to ASCII letter case: so are
  // their counts.
  std::string key = "user " + std::string(user.substr(0, kMaxKeyName));
  for (char& c : key) c = AsciiLower(c);
  return key;
}

std::string AddressKey(std::string_view address) { return "addr " + std::string(address); }

std::int64_t NowMs() {
  return std::chrono::duration_cast<milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

constexpr std::int64_t kWindowMs = std::chrono::duration_cast<milliseconds>(kFailureWindow).count();

}  // namespace

milliseconds LoginDelay(int failures) {
  if (failures < kFreeFailures) return milliseconds(0);
  const int doublings = std::min(failures - kFreeFailures, 5);  // 2^5 > kMaxDelayUnits
  const int units = std::min(1 << doublings, kMaxDelayUnits);
  return milliseconds(units * delay_unit_ms.load(std::memory_order_relaxed));
}

void SetLoginDelayUnitForTesting(milliseconds unit) {
  delay_unit_ms.store(unit.count(), std::memory_order_relaxed);
}

LoginThrottle::Verdict LoginThrottle::Before(std::string_view user, std::string_view address) {
  const std::int64_t now = NowMs();
  const std::string keys[] = {UserKey(user), AddressKey(address)};
  ServiceStore::LoginFailures found[2];
  for (int i = 0; i < 2; ++i) found[i] = store_.FailuresOf(keys[i], now, kWindowMs);
  const milliseconds hold = LoginDelay(std::max(found[0].failures, found[1].failures));
  if (hold.count() == 0) return {};
  Verdict verdict{hold, true};
  for (int i = 0; i < 2; ++i) {
    if (LoginDelay(found[i].failures).count() == 0) continue;
    if (!store_.HoldLoginAttempt(keys[i], now, now + hold.count())) verdict.check = false;
  }
  return verdict;
}

void LoginThrottle::After(std::string_view user, std::string_view address, bool succeeded) {
  const std::int64_t now = NowMs();
  if (succeeded) {
    store_.ForgetLoginFailures(UserKey(user));
    return;
  }
  store_.CountLoginFailure(UserKey(user), now, kWindowMs);
  store_.CountLoginFailure(AddressKey(address), now, kWindowMs);
}

}  // namespace tv
