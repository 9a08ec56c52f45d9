#pragma once
// Live traffic: a thread that publishes one message every period and now and
// then closes or deletes a recent one, so a client's feed keeps moving. A few
// offices re-send one text of theirs every few minutes, as loop re-sends, the
// way busy offices keep their loads on top.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "demo_data.h"
#include "store.h"

namespace tv {

class Simulation {
 public:
  Simulation(ServiceStore& store, double period_seconds, unsigned seed);
  ~Simulation();  // stops and joins
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

 private:
  // Offices that keep one text going; how often each re-sends it.
  static constexpr int kLoopOffices = 4;
  static std::chrono::seconds LoopPeriod(double period_seconds);

  void Run();
  void Step();
  void ResendLoops();

  struct LoopOffice {
    NewMessage text;
    std::chrono::steady_clock::time_point next;
  };

  ServiceStore& store_;
  double period_seconds_;
  DemoTraffic traffic_;
  std::vector<DemoPublisher> publishers_;
  std::vector<LoopOffice> loop_offices_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace tv
