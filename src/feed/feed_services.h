#pragma once
// What the feed's controllers take from the rest of the program: the network
// call, server discovery, the display settings and the area-code table.
// Each has a working default so the controllers run headless.
#include <functional>
#include <string>
#include <string_view>

#include "detail/friends_table.h"
#include "feed/feed_grid.h"
#include "feed/region_list.h"

namespace tv {

struct FeedServices {
  // A GET with the answer base64-decoded ("Error" on failure). Worker thread.
  std::function<std::string(std::string_view host, std::string_view path)> fetch;
  // Server discovery; true when the current host answered its host check.
  // Worker thread. Unset: discovery is not available.
  std::function<bool()> discover;
  // The current host of discovery. Any thread.
  std::function<std::string()> current_host;
  // The row text's font and colour from the display settings. UI thread.
  std::function<RowStyle()> row_style;
  // The area-code table for the caption.
  AreaCodeLookup area_code_of;
  // The member's friend shown in the tree under `name` (GBK), or nullptr.
  // UI thread.
  std::function<const FriendRow*(std::string_view name)> find_friend;
};

// Fills every unset member with its default (the transport's FetchEncodedPage,
// no discovery, a fixed current host of "", the default display style, no
// friends).
FeedServices WithDefaults(FeedServices services);

}  // namespace tv
