#pragma once
// Demo data: realistic cargo and truck messages between real cities, the demo
// members (one of each kind the client treats differently) with friends, and
// the message maker the live simulation shares.
#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "store.h"

namespace tv {

// A member whose name the demo data carries (the README lists these).
struct DemoLogin {
  const char* username;
  const char* password;
  const char* kind;  // UTF-8 description
};
const std::vector<DemoLogin>& DemoLogins();

// Who publishes a demo message: a member number and the contact texts.
struct DemoPublisher {
  std::int64_t flag = 0;  // 0: the service's staff
  std::string city, company, tel, qq;
};

class DemoTraffic {
 public:
  explicit DemoTraffic(unsigned seed) : rng_(seed) {}
  // A new message of a publisher (GBK), created at `when`.
  NewMessage Next(const DemoPublisher& publisher, std::time_t when);
  // A made-up publisher (staff when flag is 0) of the city at `city_index`
  // of ServiceCities(), or of a random one (busy hubs more often) when -1.
  DemoPublisher RandomPublisher(std::int64_t flag, int city_index = -1);
  std::mt19937& rng() { return rng_; }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  std::mt19937 rng_;
};

// Fills an empty store: members, friends, `count` messages over the last
// three days, a few closed and deleted ones. False with `error` set on failure.
bool FillDemoData(ServiceStore& store, int count, unsigned seed, std::string* error);

// The demo publishers already in the store (for the simulation); empty when
// the store holds no demo data.
std::vector<DemoPublisher> LoadDemoPublishers(ServiceStore& store);

}  // namespace tv
