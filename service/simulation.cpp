#include "simulation.h"

#include <chrono>

namespace tv {

Simulation::Simulation(ServiceStore& store, double period_seconds, unsigned seed)
    : store_(store),
      period_seconds_(period_seconds),
      traffic_(seed ^ 0x5eed),
      publishers_(LoadDemoPublishers(store)),
      thread_([this] { Run(); }) {}

Simulation::~Simulation() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void Simulation::Run() {
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(period_seconds_));
  auto next = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_);
  while (!stop_) {
    lock.unlock();
    Step();
    lock.lock();
    next += period;
    wake_.wait_until(lock, next, [this] { return stop_; });
  }
}

void Simulation::Step() {
  // Servers that share a store take turns: one runs the traffic for all.
  if (!store_.HoldSimulation()) return;
  auto& rng = traffic_.rng();
  // Staff entries now and then; otherwise one of the demo publishers (or a
  // made-up staff contact when the store holds no demo data).
  DemoPublisher publisher = publishers_.empty() || rng() % 8 == 0
                                ? traffic_.RandomPublisher(0)
                                : publishers_[rng() % publishers_.size()];
  store_.InsertMessages({traffic_.Next(publisher, std::time(nullptr))});
  const unsigned roll = rng() % 12;
  if (roll < 2) {
    const auto recent = store_.RecentMessageIds(200);
    if (recent.size() > 1) {
      // Never the message just published: a client should see it first.
      const std::int64_t id = recent[1 + rng() % (recent.size() - 1)];
      if (roll == 0) {
        store_.DeleteMessage(id);
      } else {
        store_.CloseMessage(id);
      }
    }
  }
}

}  // namespace tv
