// tarvolo-service: a substitute for the service's HTTP servers, on a real
// store. Prints "listening on HOST:PORT" once it accepts connections.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <thread>

#include "admin_cli.h"
#include "admin_console.h"
#include "demo_data.h"
#include "http_server.h"
#include "metrics.h"
#include "options.h"
#include "pg_db.h"
#include "pg_migrate.h"
#include "service_pages.h"
#include "simulation.h"
#include "store.h"
#include "update_signing.h"

namespace {

// Descriptors kept back from the connection cap: the store's files (three per
// SQLite connection, one per worker at most), logs, the listener.
constexpr std::size_t kReservedDescriptors = 64;

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

std::chrono::milliseconds Millis(double seconds) {
  return std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = tv::RunUpdateSigningCommand(argc, argv); status >= 0) return status;
  if (const int status = tv::RunAdminCommand(argc, argv); status >= 0) return status;
  if (const int status = tv::RunMigrateCommand(argc, argv); status >= 0) return status;
  std::string message;
  bool exit_ok = false;
  auto options = tv::ParseServiceOptions(argc, argv, &message, &exit_ok);
  if (!options) {
    (exit_ok ? std::cout : std::cerr) << message;
    return exit_ok ? 0 : 2;
  }
  signal(SIGPIPE, SIG_IGN);

  std::string error;
  auto store = tv::ServiceStore::Open(options->db_path, &error);
  if (!store) {
    // A connection URI may hold a password: not into the log.
    const std::string what =
        tv::IsPostgresUri(options->db_path) ? "the PostgreSQL database" : options->db_path;
    std::cerr << "tarvolo-service: cannot open " << what << ": " << error << "\n";
    return 1;
  }
  // Servers that share a new database fill it once, the first to come.
  if (options->demo && !store->RunAlone([&] {
        return !store->IsEmpty() ||
               tv::FillDemoData(*store, options->demo_count, options->seed, &error);
      })) {
    std::cerr << "tarvolo-service: demo data: " << error << "\n";
    return 1;
  }

  // Every open connection holds a descriptor: stay below the limit with room
  // for the store's own.
  const std::size_t descriptors = tv::RaiseDescriptorLimit();
  const std::size_t reserve = kReservedDescriptors + 3 * static_cast<std::size_t>(options->threads);
  const std::size_t room = descriptors > 2 * reserve ? descriptors - reserve : descriptors / 2;
  tv::HttpLimits limits;
  limits.head_timeout = Millis(options->head_timeout);
  limits.idle_timeout = Millis(options->idle_timeout);
  limits.max_connections = options->max_connections > 0
                               ? std::min(room, static_cast<std::size_t>(options->max_connections))
                               : room;
  const int io_threads =
      options->io_threads > 0
          ? options->io_threads
          : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));

  std::unique_ptr<tv::ServicePages> pages;
  std::unique_ptr<tv::ServiceMetrics> metrics;  // with the console only
  const bool console = !options->admin_host.empty();
  tv::HttpHandlers handlers;
  if (console) {
    handlers.observe = [&metrics](std::string_view target, int status,
                                  std::chrono::nanoseconds took) {
      if (metrics) metrics->Observe(target, status, took);
    };
  }
  handlers.quick = [&pages](std::string_view method, std::string_view target, std::string_view) {
    return pages->Quick(method, target);
  };
  handlers.handle = [&pages](const tv::HttpRequest& request) { return pages->Handle(request); };
  // Until here a stop signal ends the process at once (opening the store or
  // filling it may take a while); from here one thread waits for it, so the
  // threads to come must not take it.
  sigset_t stop_signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  tv::HttpServer server(std::move(handlers), limits, io_threads, options->threads);
  const bool tls = !options->tls_cert.empty();
  const bool tls_only = tls && options->tls_listen_host.empty();
  const auto bind = [&](const std::string& host, int port, bool secure) {
    const int bound = secure
                          ? server.BindTls(host, port, options->tls_cert, options->tls_key, &error)
                          : server.Bind(host, port, &error);
    if (bound <= 0) {
      std::cerr << "tarvolo-service: cannot listen on " << (secure ? "https://" : "") << host << ":"
                << port << ": " << error << "\n";
    }
    return bound;
  };
  const int port = bind(options->listen_host, options->listen_port, tls_only);
  if (port <= 0) return 1;
  const int tls_port =
      tls && !tls_only ? bind(options->tls_listen_host, options->tls_listen_port, true) : 0;
  if (tls && !tls_only && tls_port <= 0) return 1;
  // The server list hands out an address a client can reach.
  const std::string reachable_host =
      options->listen_host == "0.0.0.0" ? "127.0.0.1" : options->listen_host;
  pages = std::make_unique<tv::ServicePages>(
      *store, *options, (tls_only ? "https://" : "") + reachable_host + ":" + std::to_string(port));

  // The console: its own small server on its own address, never the public one.
  std::unique_ptr<tv::AdminConsole> admin;
  std::string console_line;  // printed after the listening line
  std::unique_ptr<tv::HttpServer> admin_server;
  std::thread admin_thread;
  if (console) {
    metrics = std::make_unique<tv::ServiceMetrics>(pages->Paths());
    admin = std::make_unique<tv::AdminConsole>(*store, *options, *metrics, [&server] {
      return tv::ConnectionFigures{server.OpenConnections(), server.SlowConnectionsClosed()};
    });
    tv::HttpHandlers admin_handlers;
    admin_handlers.quick = [](std::string_view, std::string_view, std::string_view) {
      return std::optional<tv::Answer>();
    };
    admin_handlers.handle = [&admin](const tv::HttpRequest& request) {
      return admin->Handle(request);
    };
    tv::HttpLimits admin_limits;
    admin_limits.max_connections = 256;
    admin_server = std::make_unique<tv::HttpServer>(std::move(admin_handlers), admin_limits, 1, 2);
    const int admin_port = admin_server->Bind(options->admin_host, options->admin_port, &error);
    if (admin_port <= 0) {
      std::cerr << "tarvolo-service: cannot listen on " << options->admin_host << ":"
                << options->admin_port << ": " << error << "\n";
      return 1;
    }
    console_line = "console on " + options->admin_host + ":" + std::to_string(admin_port) + "\n";
    admin_thread = std::thread([&admin_server] { admin_server->Run(); });
  }

  std::thread stopper([&server, &admin_server, stop_signals] {
    int sig = 0;
    sigwait(&stop_signals, &sig);
    if (sig != 0) server.Stop();  // a stop before Run() makes Run() return at once
    if (sig != 0 && admin_server) admin_server->Stop();
  });

  std::unique_ptr<tv::Simulation> simulation;
  if (options->simulate_seconds > 0) {
    simulation = std::make_unique<tv::Simulation>(*store, options->simulate_seconds, options->seed);
  }

  std::fprintf(stderr, "tarvolo-service: up to %zu connections (descriptor limit %zu)\n",
               limits.max_connections, descriptors);
  if (tls_only) {
    std::printf("listening on https://%s:%d\n", options->listen_host.c_str(), port);
  } else {
    std::printf("listening on %s:%d\n", options->listen_host.c_str(), port);
    if (tls)
      std::printf("listening on https://%s:%d\n", options->tls_listen_host.c_str(), tls_port);
  }
  std::printf("%s", console_line.c_str());
  std::fflush(stdout);
  server.Run();
  if (admin_server) {
    admin_server->Stop();
    admin_thread.join();
  }
  simulation.reset();
  // If we stopped for another reason than a signal, release the stopper thread.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return 0;
}
