#pragma once
// Slows down password guessing at a sign-in form: after a few failures for
// the same name (or from the same address) each further try must wait, the
// wait doubling with every failure up to a cap. Kept in memory: a restart
// forgets, which only gives a guesser a few more tries.
#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tv {

class SignInThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFreeFailures = 3;
  static constexpr std::chrono::seconds kMaxWait{900};

  // How long `who` must still wait before its next try (zero: it may try).
  std::chrono::seconds Wait(const std::string& who, Clock::time_point now);
  void Failed(const std::string& who, Clock::time_point now);
  void Succeeded(const std::string& who);

 private:
  struct Record {
    int failures = 0;
    Clock::time_point last;
  };
  std::mutex mutex_;
  std::unordered_map<std::string, Record> records_;
};

}  // namespace tv
