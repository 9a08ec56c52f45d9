// Bake-off: libevent's evhttp, one event base per thread on a shared listener.
#include <event2/buffer.h>
#include <event2/event.h>
#include <event2/http.h>
#include <event2/thread.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "core_common.h"

namespace {

void OnRequest(evhttp_request* req, void*) {
  evkeyvalq* out = evhttp_request_get_output_headers(req);
  evhttp_add_header(out, "Content-Type", "text/plain");
  evbuffer* body = evbuffer_new();
  evbuffer_add_reference(body, bakeoff::kBody, sizeof bakeoff::kBody - 1, nullptr, nullptr);
  evhttp_send_reply(req, 200, "OK", body);
  evbuffer_free(body);
}

}  // namespace

int main(int argc, char** argv) {
  const int fd = bakeoff::Listen(argc > 1 ? std::atoi(argv[1]) : 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < bakeoff::kThreads; ++i) {
    threads.emplace_back([fd] {
      event_base* base = event_base_new();
      evhttp* http = evhttp_new(base);
      evhttp_set_max_headers_size(http, 8192);
      evhttp_set_timeout(http, 10);
      evhttp_set_gencb(http, OnRequest, nullptr);
      evhttp_accept_socket(http, fd);
      event_base_dispatch(base);
    });
  }
  for (auto& t : threads) t.join();
}
