#pragma once
// Server discovery: learns the list of data servers (stored list, portal, or
// the fall-back host), draws one at random and confirms it with the host
// check. Blocking; runs on a worker. The current host may be read from any
// thread while a discovery replaces it.
#include <array>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class ServerDiscovery {
 public:
  // Nine hosts and the end marker.
  static constexpr std::size_t kSlots = 10;
  static constexpr std::string_view kEndMarker = "NULL";

  ServerDiscovery(std::string portal_host, std::string fallback_host);

  // The host check of the current host; on "TestOK" the host is remembered
  // for the next run. The first call of a run starts from the remembered host.
  bool CheckHost();
  // Chooses and confirms a data server; on true the current host answered the
  // host check. One discovery at a time; a second caller waits for the first.
  bool DiscoverServer();

  std::string CurrentHost() const;
  std::vector<std::string> Table() const;
  int DiscoveryCounter() const;
  // Makes the random draw repeatable (tests).
  void Seed(std::uint32_t seed);

 private:
  // Where the list of a refresh came from.
  enum class ListSource { kNone, kStore, kNetwork };
  ListSource RefreshList();
  // The list from the portal, else the fall-back host; stored and put in the
  // table when one is acceptable. Returns the accepted text ("" if none).
  std::string FetchList();
  // Up to 2 x count host checks over the table; true on the first success.
  bool CheckDrawnHosts();
  void FillTable(std::string_view list_text);
  void SetCurrentHost(std::string host);
  std::size_t Draw(std::size_t count);

  const std::string portal_host_;
  const std::string fallback_host_;

  std::mutex discover_mutex_;      // serialises DiscoverServer/CheckHost
  mutable std::mutex host_mutex_;  // guards current_host_ and table_ for readers
  std::array<std::string, kSlots> table_;
  std::string current_host_;
  std::size_t count_ = 2;
  bool host_check_pending_ = true;
  bool list_refresh_pending_ = true;
  int discovery_counter_ = 0;
  std::mt19937 random_;
};

// The process-wide discovery of the client, on PortalHost()/FallbackHost().
ServerDiscovery& Servers();

}  // namespace tv
