// Finding a top-level window by title on an X11 display, through xcb. Window
// managers put the client windows either directly under the root or into a
// frame window, so both the root's children and their children are looked at;
// both the EWMH UTF-8 name and the legacy WM_NAME count.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tv {
namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
  XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

bool TitleIs(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
             std::string_view title) {
  if (property == XCB_ATOM_NONE) return false;
  // Titles are short; 1 KiB (in 4-byte units) covers any title worth matching.
  XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 256), nullptr));
  if (!reply || reply->type == XCB_ATOM_NONE) return false;
  int length = xcb_get_property_value_length(reply.get());
  const char* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return std::string_view(value, static_cast<std::size_t>(length)) == title;
}

std::vector<xcb_window_t> Children(xcb_connection_t* c, xcb_window_t w) {
  XcbReply<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
  if (!reply) return {};
  xcb_window_t* kids = xcb_query_tree_children(reply.get());
  return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(reply.get()));
}

}  // namespace

bool TopLevelWindowExists(std::string_view utf8_title) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return false;
  xcb_connection_t* c = xcb_connect(display, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  const xcb_atom_t net_wm_name = InternAtom(c, "_NET_WM_NAME");
  const xcb_atom_t utf8_string = InternAtom(c, "UTF8_STRING");
  auto matches = [&](xcb_window_t w) {
    return TitleIs(c, w, net_wm_name, utf8_string, utf8_title) ||
           TitleIs(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, utf8_title);
  };
  bool found = false;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (; screens.rem > 0 && !found; xcb_screen_next(&screens)) {
    for (xcb_window_t top : Children(c, screens.data->root)) {
      if (matches(top)) {
        found = true;
        break;
      }
      for (xcb_window_t inner : Children(c, top)) {
        if (matches(inner)) {
          found = true;
          break;
        }
      }
      if (found) break;
    }
  }
  xcb_disconnect(c);
  return found;
}

}  // namespace tv
