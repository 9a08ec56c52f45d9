// Bake-off: libmicrohttpd, epoll with its own thread pool.
#include <microhttpd.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

#include "core_common.h"

namespace {

MHD_Result OnRequest(void*, MHD_Connection* c, const char*, const char*, const char*, const char*,
                     size_t*, void** state) {
  static int first;
  if (*state == nullptr) {  // headers done; body (none) comes next
    *state = &first;
    return MHD_YES;
  }
  MHD_Response* res = MHD_create_response_from_buffer(sizeof bakeoff::kBody - 1,
                                                      const_cast<char*>(bakeoff::kBody),
                                                      MHD_RESPMEM_PERSISTENT);
  MHD_add_response_header(res, "Content-Type", "text/plain");
  const MHD_Result r = MHD_queue_response(c, 200, res);
  MHD_destroy_response(res);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int fd = bakeoff::Listen(argc > 1 ? std::atoi(argv[1]) : 0);
  MHD_Daemon* d = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO, 0, nullptr, nullptr, &OnRequest, nullptr,
      MHD_OPTION_LISTEN_SOCKET, fd, MHD_OPTION_THREAD_POOL_SIZE, bakeoff::kThreads,
      MHD_OPTION_CONNECTION_TIMEOUT, 10u, MHD_OPTION_CONNECTION_LIMIT, 16000u,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, size_t{16384}, MHD_OPTION_END);
  if (!d) return 1;
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  int sig = 0;
  sigwait(&set, &sig);
  MHD_stop_daemon(d);
}
