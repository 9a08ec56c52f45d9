#include "app/server_discovery.h"

#include <algorithm>

#include "core/build_constants.h"
#include "core/gbk.h"
#include "net/server_list.h"
#include "net/transport.h"
#include "settings/values.h"

namespace tv {

ServerDiscovery::ServerDiscovery(std::string portal_host, std::string fallback_host)
    : portal_host_(std::move(portal_host)),
      fallback_host_(std::move(fallback_host)),
      random_(std::random_device{}()) {
  table_.fill(std::string());
  table_[0] = portal_host_;
  table_[1] = portal_host_;
  table_[2] = kEndMarker;
  current_host_ = portal_host_;
}

std::string ServerDiscovery::CurrentHost() const {
  std::lock_guard lock(host_mutex_);
  return current_host_;
}

std::vector<std::string> ServerDiscovery::Table() const {
  std::lock_guard lock(host_mutex_);
  return {table_.begin(), table_.end()};
}

int ServerDiscovery::DiscoveryCounter() const {
  std::lock_guard lock(host_mutex_);
  return discovery_counter_;
}

void ServerDiscovery::Seed(std::uint32_t seed) { random_.seed(seed); }

void ServerDiscovery::SetCurrentHost(std::string host) {
  std::lock_guard lock(host_mutex_);
  current_host_ = std::move(host);
}

bool ServerDiscovery::CheckHost() {
  if (host_check_pending_) {
    host_check_pending_ = false;
    // The first check of a run goes to the host that passed last time.
    std::string stored = StoredHost();
    if (!stored.empty()) SetCurrentHost(stored);
  }
  std::string host = CurrentHost();
  if (FetchPage("GET", host, "/qavel/client/checkhost.htm") != "TestOK") return false;
  RecordStoredHost(host);
  return true;
}

void ServerDiscovery::FillTable(std::string_view list_text) {
  ServerList list = ParseServerList(list_text);
  std::lock_guard lock(host_mutex_);
  // Nine hosts fit before the end marker; further hosts are left out.
  std::size_t used = std::min(list.hosts.size(), kSlots - 1);
  for (std::size_t i = 0; i < used; ++i) table_[i] = list.hosts[i];
  table_[used] = kEndMarker;
  // The count comes from the text, not from the hosts found; it is kept within
  // the table. A count that is not a positive number would leave nothing to
  // draw from for as long as the list stays stored, so the hosts found count.
  int count = list.count > 0 ? list.count : static_cast<int>(used);
  count_ = std::min<std::size_t>(static_cast<std::size_t>(count), kSlots);
}

std::string ServerDiscovery::FetchList() {
  std::string text = FetchPage("GET", portal_host_, "/qavel/client/getus.htm");
  if (!IsAcceptableServerList(text)) {
    text = FetchEncodedPage("GET", fallback_host_, "/qavel/client/getus.htm");
    if (!IsAcceptableServerList(text)) return {};
  }
  RecordStoredServerList(text);
  FillTable(text);
  return text;
}

ServerDiscovery::ListSource ServerDiscovery::RefreshList() {
  list_refresh_pending_ = false;
  // A stored list that is no list (an earlier run may have kept a portal's
  // login page) is fetched again instead of being drawn from for ever.
  const std::string stored = StoredServerList();
  if (IsAcceptableServerList(stored)) {
    FillTable(stored);
    return ListSource::kStore;
  }
  return FetchList().empty() ? ListSource::kNone : ListSource::kNetwork;
}

std::size_t ServerDiscovery::Draw(std::size_t count) {
  return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
}

bool ServerDiscovery::CheckDrawnHosts() {
  std::size_t count;
  {
    std::lock_guard lock(host_mutex_);
    count = count_;
  }
  if (count == 0) return false;
  std::size_t index = Draw(count);
  for (std::size_t attempt = 0; attempt < 2 * count; ++attempt) {
    std::string host;
    {
      std::lock_guard lock(host_mutex_);
      host = table_[index];
    }
    // An end marker inside the counted range uses the attempt up; the same
    // index stays drawn.
    if (host == kEndMarker) continue;
    SetCurrentHost(host);
    if (CheckHost()) {
      std::lock_guard lock(host_mutex_);
      if (discovery_counter_ < 5) discovery_counter_ = 0;
      return true;
    }
    // With a single server there is no other index: try it again next attempt.
    if (count > 1) {
      std::size_t next = index;
      while (next == index) next = Draw(count);
      index = next;
    }
  }
  return false;
}

bool ServerDiscovery::DiscoverServer() {
  std::lock_guard serial(discover_mutex_);
  int counter;
  {
    std::lock_guard lock(host_mutex_);
    counter = ++discovery_counter_;
  }
  ListSource source = ListSource::kNone;
  if (counter > 5 || list_refresh_pending_) {
    source = RefreshList();
    if (source == ListSource::kNone) return false;
  } else {
    std::lock_guard lock(host_mutex_);
    // Between refreshes the draw is over the first two slots. A list of one
    // server has its end marker in the second: drawn, it would spend the
    // whole round on the marker and fail without a single check.
    count_ = table_[1] == kEndMarker ? 1 : 2;
  }
  if (CheckDrawnHosts()) return true;
  // Every server of the stored list failed: the service may have moved. Ask
  // for the list again before giving the round up; the same list again would
  // only repeat the checks that just failed.
  if (source == ListSource::kStore) {
    const std::string stored = StoredServerList();
    const std::string fetched = FetchList();
    if (!fetched.empty() && fetched != stored) return CheckDrawnHosts();
  }
  return false;
}

ServerDiscovery& Servers() {
  static ServerDiscovery servers(PortalHost(), FallbackHost());
  return servers;
}

}  // namespace tv
