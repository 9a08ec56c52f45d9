#include "simulation.h"

#include <algorithm>
#include <chrono>

namespace tv {

Simulation::Simulation(ServiceStore& store, double period_seconds, unsigned seed)
    : store_(store),
      period_seconds_(period_seconds),
      traffic_(seed ^ 0x5eed),
      publishers_(LoadDemoPublishers(store)),
      thread_([this] { Run(); }) {}

std::chrono::seconds Simulation::LoopPeriod(double period_seconds) {
  // Thirty-six turns of the traffic (three minutes at one message every five
  // seconds), but never within the minute in which the service takes a
  // re-send for a double.
  const auto seconds = static_cast<long>(period_seconds * 36);
  return std::chrono::seconds(std::clamp(seconds, 61L, 600L));
}

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
  ResendLoops();
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

void Simulation::ResendLoops() {
  if (publishers_.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  const auto period = LoopPeriod(period_seconds_);
  if (loop_offices_.empty()) {
    // Their first texts now, spread over the period from then on.
    for (int i = 0; i < kLoopOffices && i < static_cast<int>(publishers_.size()); ++i) {
      const DemoPublisher& office = publishers_[static_cast<std::size_t>(i)];
      loop_offices_.push_back(
          {traffic_.Next(office, std::time(nullptr)), now + period * i / kLoopOffices});
    }
  }
  PublishPolicy policy;
  policy.loop = true;
  policy.daily_quota = 0;
  for (LoopOffice& office : loop_offices_) {
    if (office.next > now) continue;
    NewMessage text = office.text;
    text.created = 0;
    std::int64_t id = 0;
    store_.Publish(text, policy, &id);
    office.next = now + period;
  }
}

}  // namespace tv
