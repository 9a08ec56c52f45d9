#include "feed/own_message_view.h"

#include <string>

#include "core/gbk.h"
#include "feed/feed_requests.h"

namespace tv {
namespace {

// `needle` occurs in `haystack` starting on a character boundary (a GBK
// trail byte never starts a match). False for an empty needle.
bool ContainsName(std::string_view haystack, std::string_view needle) {
  if (needle.empty() || needle.size() > haystack.size()) return false;
  std::size_t pos = 0;
  while (pos + needle.size() <= haystack.size()) {
    if (haystack.compare(pos, needle.size(), needle) == 0) return true;
    pos += IsLeadByte(static_cast<unsigned char>(haystack[pos])) ? 2 : 1;
  }
  return false;
}

}  // namespace

bool OwnMessageConcernsView(const FeedView& view, std::string_view watched_code,
                            const OwnMessage& message) {
  if (view.view_type != kViewBoth && message.record.Type != std::to_string(view.view_type))
    return false;
  if (view.direction == kFriend) return false;
  if (view.direction == kWholeCountry) return true;
  if (ContainsName(watched_code, message.record.City) ||
      ContainsName(watched_code, message.departure_city)) {
    return true;
  }
  if (view.direction != kArriving) return false;
  std::string_view rest = watched_code;
  for (;;) {
    const std::size_t comma = rest.find(',');
    if (ContainsName(message.content, rest.substr(0, comma))) return true;
    if (comma == std::string_view::npos) return false;
    rest.remove_prefix(comma + 1);
  }
}

}  // namespace tv
