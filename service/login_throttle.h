#pragma once
// Throttling of password guessing. Failed logins are counted per user name
// and per client address in the store (so servers that share a database
// share the counts). Past kFreeFailures failures, each further attempt on
// that name or from that address is answered only after a delay that doubles
// from one unit up to kMaxDelayUnits; the HTTP core holds the answer on its
// event loop. While one attempt of a key is held, further ones are not
// checked at all and get the failure answer after the same delay, so opening
// many connections at once guesses no faster. A count lapses ten minutes
// after its last failure; a successful login clears its user name's count.
#include <chrono>
#include <string>
#include <string_view>

namespace tv {

class ServiceStore;

inline constexpr int kFreeFailures = 5;
inline constexpr int kMaxDelayUnits = 30;
inline constexpr std::chrono::minutes kFailureWindow{10};

// The delay after `failures` failures: none up to kFreeFailures, then 1, 2,
// 4 ... units, at most kMaxDelayUnits.
std::chrono::milliseconds LoginDelay(int failures);

// One second in the program; tests of the throttling shorten it.
void SetLoginDelayUnitForTesting(std::chrono::milliseconds unit);

class LoginThrottle {
 public:
  explicit LoginThrottle(ServiceStore& store) : store_(store) {}

  struct Verdict {
    std::chrono::milliseconds hold{0};  // answer only after this
    bool check = true;                  // false: refused unchecked (another attempt is held)
  };
  // Before the password is checked.
  Verdict Before(std::string_view user, std::string_view address);
  // After it was checked: a failure counts for both keys, a success clears
  // the user name's count.
  void After(std::string_view user, std::string_view address, bool succeeded);

 private:
  ServiceStore& store_;
};

}  // namespace tv
