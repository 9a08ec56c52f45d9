// tarvolo-service: a substitute for the service's HTTP servers, on a real
// store. Prints "listening on HOST:PORT" once it accepts connections.
#include <httplib.h>
#include <netdb.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "demo_data.h"
#include "options.h"
#include "service_pages.h"
#include "simulation.h"
#include "store.h"

namespace {

constexpr int kListenBacklog = 1024;

// Block the stop signals in every thread; one thread waits for them and
// stops the server from outside any signal handler.
sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGHUP);
  return set;
}

// The library binds with SO_REUSEPORT, so a second service on a taken port
// would silently share it. A port is free when nothing accepts a connection on
// it and a bind succeeds; the bind takes SO_REUSEPORT as the library does, so
// the TIME_WAIT connections of a service that just stopped do not hold it.
bool PortIsFree(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool free = false;
  for (addrinfo* ai = found; ai && !free; ai = ai->ai_next) {
    const int probe = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
    if (probe < 0) continue;
    const bool someone_listens = connect(probe, ai->ai_addr, ai->ai_addrlen) == 0;
    close(probe);
    if (someone_listens) continue;
    const int fd = socket(ai->ai_family, ai->ai_socktype, ai->ai_protocol);
    if (fd < 0) continue;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
    free = bind(fd, ai->ai_addr, ai->ai_addrlen) == 0;
    close(fd);
  }
  freeaddrinfo(found);
  return free;
}

// The library keeps its listening socket to itself; find it by its port.
int FindListeningSocket(int port) {
  for (int fd = 3; fd < 1024; ++fd) {
    int accepting = 0;
    socklen_t len = sizeof accepting;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &len) != 0 || !accepting) continue;
    sockaddr_storage addr{};
    socklen_t addr_len = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &addr_len) != 0) continue;
    int bound = -1;
    if (addr.ss_family == AF_INET) bound = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6)
      bound = ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    if (bound == port) return fd;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string message;
  bool exit_ok = false;
  auto options = tv::ParseServiceOptions(argc, argv, &message, &exit_ok);
  if (!options) {
    (exit_ok ? std::cout : std::cerr) << message;
    return exit_ok ? 0 : 2;
  }
  signal(SIGPIPE, SIG_IGN);
  sigset_t stop_signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  std::string error;
  auto store = tv::ServiceStore::Open(options->db_path, &error);
  if (!store) {
    std::cerr << "tarvolo-service: cannot open " << options->db_path << ": " << error << "\n";
    return 1;
  }
  if (options->demo && store->IsEmpty()) {
    if (!tv::FillDemoData(*store, options->demo_count, options->seed, &error)) {
      std::cerr << "tarvolo-service: demo data: " << error << "\n";
      return 1;
    }
  }

  httplib::Server server;
  const int threads = options->threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // Pollers keep their connection; let them, instead of making them reconnect.
  server.set_keep_alive_max_count(10000);
  server.set_tcp_nodelay(true);
  int port = options->listen_port;
  if (port != 0 && !PortIsFree(options->listen_host, port)) {
    port = -1;
  } else if (port == 0) {
    port = server.bind_to_any_port(options->listen_host);
  } else if (!server.bind_to_port(options->listen_host, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "tarvolo-service: cannot listen on " << options->listen_host << ":"
              << options->listen_port << "\n";
    return 1;
  }
  // The library listens with a backlog of 5: a burst of new connections (every
  // client opens one per request) would be dropped and retried a second later.
  if (const int fd = FindListeningSocket(port); fd >= 0) ::listen(fd, kListenBacklog);
  // The server list hands out an address a client can reach.
  const std::string reachable_host =
      options->listen_host == "0.0.0.0" ? "127.0.0.1" : options->listen_host;
  tv::ServicePages pages(*store, *options, reachable_host + ":" + std::to_string(port));
  server.set_pre_routing_handler([&pages](const httplib::Request& req, httplib::Response& res) {
    tv::Answer answer = pages.Handle(req.method, req.target, req.get_header_value("Host"));
    res.status = answer.status;
    res.set_content(std::move(answer.body), answer.content_type);
    return httplib::Server::HandlerResponse::Handled;
  });

  std::atomic<bool> serving_done{false};
  std::thread stopper([&server, &serving_done, stop_signals] {
    int sig = 0;
    sigwait(&stop_signals, &sig);
    // A signal that comes before the server runs must still stop it.
    while (!serving_done && !server.is_running()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    server.stop();
  });

  std::unique_ptr<tv::Simulation> simulation;
  if (options->simulate_seconds > 0) {
    simulation = std::make_unique<tv::Simulation>(*store, options->simulate_seconds, options->seed);
  }

  std::printf("listening on %s:%d\n", options->listen_host.c_str(), port);
  std::fflush(stdout);
  const bool ok = server.listen_after_bind();
  serving_done = true;
  simulation.reset();
  // If we stopped for another reason than a signal, release the stopper thread.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return ok ? 0 : 1;
}
