#pragma once
// Live traffic: a thread that publishes one message every period and now and
// then closes or deletes a recent one, so a client's feed keeps moving.
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
  void Run();
  void Step();

  ServiceStore& store_;
  double period_seconds_;
  DemoTraffic traffic_;
  std::vector<DemoPublisher> publishers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace tv
