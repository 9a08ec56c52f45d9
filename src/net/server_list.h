#pragma once
// The server list of "getus.htm": count "@@" host "/" host "/" ...
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct ServerList {
  // As the list states it (not the number of hosts found); never negative.
  std::int32_t count = 0;
  // In list order, blanks trimmed; entries that are no host of the service
  // (net/service_host.h: another scheme, user info, a bad name) are dropped.
  std::vector<std::string> hosts;
};

// A list the client can work with: a count of at least 1 (digits only, blanks
// around it allowed) before the first "@@", and at least one plain host name.
// "Error", an empty answer, and the pages a proxy or a captive Wi-Fi portal
// puts in the way ("<html>", "<!DOCTYPE html><html lang=...>") are not.
bool IsAcceptableServerList(std::string_view text);
// A text without "@@" gives count 0 and no hosts.
ServerList ParseServerList(std::string_view text);

}  // namespace tv
