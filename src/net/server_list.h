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
  std::vector<std::string> hosts;  // in list order, blanks trimmed, empty names dropped
};

// Not "Error", not empty, and no "<html>" / "<HTML>" (a proxy's error page).
bool IsAcceptableServerList(std::string_view text);
// A text without "@@" gives count 0 and no hosts.
ServerList ParseServerList(std::string_view text);

}  // namespace tv
