#include "feed/feed_services.h"

#include "core/gbk.h"
#include "net/transport.h"

namespace tv {

FeedServices WithDefaults(FeedServices s) {
  if (!s.fetch) {
    s.fetch = [](std::string_view host, std::string_view path) {
      return FetchEncodedPage("GET", host, path);
    };
  }
  if (!s.current_host) s.current_host = [] { return std::string(); };
  if (!s.row_style) s.row_style = [] { return RowStyle{TV_TEXT("宋体"), 20, 0}; };
  if (!s.find_friend) s.find_friend = [](std::string_view) -> const FriendRow* { return nullptr; };
  return s;
}

}  // namespace tv
