#pragma once
// The service's HTTP core: one event loop (Asio) holds every connection, so a
// slow or idle client costs a few kilobytes, not a thread. Requests are parsed
// on the loop; answers that need the store are built on a pool of worker
// threads and written back by the loop. Limits:
//   - a request head (and its small body) must arrive within `head_timeout`
//     of its first byte; on a TLS address the handshake and the first
//     request together must arrive within it from the connection's start;
//   - a connection with no request under way is closed after `idle_timeout`;
//   - at most `max_connections` are open; beyond, a new one gets 503 and is
//     closed;
//   - the request line and headers are at most `max_head_bytes` (414 when the
//     request line alone is longer, 431 otherwise).
// Every limit that closes a connection is counted and logged once a second.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "answer.h"
#include "request.h"

namespace tv {

class HttpCore;

struct HttpLimits {
  std::chrono::milliseconds head_timeout{10'000};
  std::chrono::milliseconds idle_timeout{15'000};
  std::chrono::milliseconds send_timeout{60'000};
  std::size_t max_head_bytes = 8192;
  std::size_t max_body_bytes = 65536;
  std::size_t max_connections = 10000;
  int keep_alive_max = 10000;  // requests on one connection
};

// What the core asks of the pages: `quick` answers on the event loop what
// needs no store work (nullopt: not that kind; it gets the method, the raw
// target and the Host), `handle` answers anything and runs on a worker.
// `observe`, when set, is told on the loop of every answer written by a
// handler: the request's target, the status, and the time from the request's
// arrival to its answer.
struct HttpHandlers {
  std::function<std::optional<Answer>(std::string_view, std::string_view, std::string_view)> quick;
  std::function<Answer(const HttpRequest&)> handle;
  std::function<void(std::string_view target, int status, std::chrono::nanoseconds)> observe;
};

class HttpServer {
 public:
  HttpServer(HttpHandlers handlers, HttpLimits limits, int io_threads, int worker_threads);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds host:port (0: any free port) for plain HTTP; returns the bound
  // port, or -1 with `error` set. A port another process listens on is
  // refused.
  int Bind(const std::string& host, int port, std::string* error);
  // The same for HTTPS with the certificate chain and key of the PEM files
  // (TLS 1.2 and 1.3 only). Either listener may be the only one.
  int BindTls(const std::string& host, int port, const std::string& cert_file,
              const std::string& key_file, std::string* error);
  // Serves until Stop(); returns once every thread has ended.
  void Run();
  // From any thread (not from a signal handler).
  void Stop();

  // Connections open now; connections closed since the start because their
  // request did not arrive within the head limit (slow clients).
  std::size_t OpenConnections() const;
  std::uint64_t SlowConnectionsClosed() const;

 private:
  std::unique_ptr<HttpCore> core_;
};

// Raises the soft limit of open descriptors to the hard one where allowed;
// returns the soft limit in force afterwards.
std::size_t RaiseDescriptorLimit();

}  // namespace tv
