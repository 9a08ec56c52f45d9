// window_watch: prints one line for every top-level window that is mapped,
// unmapped or destroyed on the X display, with the time of the event on the
// monotonic clock, so that a script can time a program from its start to its
// first window without a window manager in between:
//
//   <monotonic µs> map <window id> <pid or 0> <title>
//   <monotonic µs> unmap <window id>
//   <monotonic µs> destroy <window id>
//
// "ready" is printed once the watch is in place. Ends when its standard input
// closes or the X connection goes.
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

long long NowMicros() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

std::string Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type) {
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 256), nullptr);
  std::string value;
  if (reply && reply->type != XCB_ATOM_NONE) {
    value.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                 static_cast<std::size_t>(xcb_get_property_value_length(reply)));
  }
  std::free(reply);
  return value;
}

}  // namespace

int main() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "window_watch: no X display\n");
    return 1;
  }
  const xcb_setup_t* setup = xcb_get_setup(c);
  const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
  const xcb_atom_t net_wm_name = Atom(c, "_NET_WM_NAME");
  const xcb_atom_t net_wm_pid = Atom(c, "_NET_WM_PID");
  const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  std::printf("ready\n");
  std::fflush(stdout);

  pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {0, POLLIN, 0}};
  for (;;) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
      const long long now = NowMicros();
      switch (event->response_type & 0x7F) {
        case XCB_MAP_NOTIFY: {
          auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
          if (map->event != root) break;
          std::string title = Property(c, map->window, net_wm_name, utf8);
          if (title.empty()) title = Property(c, map->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
          const std::string pid = Property(c, map->window, net_wm_pid, XCB_ATOM_CARDINAL);
          uint32_t pid_value = 0;
          if (pid.size() >= 4) std::memcpy(&pid_value, pid.data(), 4);
          std::printf("%lld map %u %u %s\n", now, map->window, pid_value, title.c_str());
          break;
        }
        case XCB_UNMAP_NOTIFY: {
          auto* unmap = reinterpret_cast<xcb_unmap_notify_event_t*>(event);
          if (unmap->event == root) std::printf("%lld unmap %u\n", now, unmap->window);
          break;
        }
        case XCB_DESTROY_NOTIFY: {
          auto* destroy = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
          if (destroy->event == root) std::printf("%lld destroy %u\n", now, destroy->window);
          break;
        }
        default:
          break;
      }
      std::free(event);
      std::fflush(stdout);
    }
    if (xcb_connection_has_error(c)) return 0;
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents & (POLLIN | POLLHUP)) {
      char buffer[256];
      if (::read(0, buffer, sizeof buffer) <= 0) break;
    }
  }
  xcb_disconnect(c);
  return 0;
}
