#pragma once
// Whether the member's own message, just published, belongs in the main list
// as it is now. Plain C++.
#include <string_view>

#include "core/own_message.h"
#include "feed/feed_store.h"

namespace tv {

// The watched code (the region list joined by ",", or "全国信息") names the
// member city or the departure city; or, arriving, one of its names occurs in
// the content; or the whole country is watched. A view of one type takes only
// messages of that type code, and a friend's list (that member's messages)
// never the member's own. Names match on character boundaries only, and an
// empty name matches nothing.
bool OwnMessageConcernsView(const FeedView& view, std::string_view watched_code,
                            const OwnMessage& message);

}  // namespace tv
