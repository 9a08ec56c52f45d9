// Bake-off: libh2o on its own event loop, one loop per thread on a shared listener.
#include <h2o.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "core_common.h"

namespace {

h2o_globalconf_t config;

int OnRequest(h2o_handler_t*, h2o_req_t* req) {
  req->res.status = 200;
  req->res.reason = "OK";
  h2o_add_header(&req->pool, &req->res.headers, H2O_TOKEN_CONTENT_TYPE, nullptr,
                 H2O_STRLIT("text/plain"));
  h2o_send_inline(req, bakeoff::kBody, sizeof bakeoff::kBody - 1);
  return 0;
}

struct Loop {
  h2o_context_t ctx;
  h2o_accept_ctx_t accept{};
};

void OnAccept(h2o_socket_t* listener, const char* err) {
  if (err) return;
  auto* loop = static_cast<Loop*>(listener->data);
  if (h2o_socket_t* sock = h2o_evloop_socket_accept(listener)) h2o_accept(&loop->accept, sock);
}

}  // namespace

int main(int argc, char** argv) {
  const int fd = bakeoff::Listen(argc > 1 ? std::atoi(argv[1]) : 0);
  h2o_config_init(&config);
  h2o_hostconf_t* host = h2o_config_register_host(&config, h2o_iovec_init(H2O_STRLIT("default")), 65535);
  h2o_pathconf_t* path = h2o_config_register_path(host, "/", 0);
  h2o_create_handler(path, sizeof(h2o_handler_t))->on_req = OnRequest;
  std::vector<std::thread> threads;
  for (int i = 0; i < bakeoff::kThreads; ++i) {
    threads.emplace_back([fd] {
      auto* loop = new Loop;
      h2o_evloop_t* ev = h2o_evloop_create();
      h2o_context_init(&loop->ctx, ev, &config);
      loop->accept.ctx = &loop->ctx;
      loop->accept.hosts = config.hosts;
      h2o_socket_t* listener = h2o_evloop_socket_create(ev, fd, H2O_SOCKET_FLAG_DONT_READ);
      listener->data = loop;
      h2o_socket_read_start(listener, OnAccept);
      while (h2o_evloop_run(ev, INT32_MAX) == 0) {
      }
    });
  }
  for (auto& t : threads) t.join();
}
