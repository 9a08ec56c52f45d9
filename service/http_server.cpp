#include "http_server.h"

#include <sys/resource.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <thread>
#include <utility>  // before Boost 1.74's Asio, which uses std::exchange without it
#include <vector>

#include <boost/asio.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "tls_context.h"

namespace tv {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

constexpr int kListenBacklog = 4096;
constexpr std::size_t kReadChunk = 4096;
// After a refusal (400, 413, 414, 431) the rest of what the client sends is
// read and dropped for this long, so the answer is not lost to a reset.
constexpr auto kLingerTime = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 256 * 1024;

constexpr char kAtCapacity[] =
    "HTTP/1.1 503 Service Unavailable\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";

// Why a connection was closed or a request refused; counted and logged.
enum Limit {
  kHeadTime,
  kIdleTime,
  kCapacity,
  kHeadSize,
  kBodySize,
  kMalformed,
  kHandshake,
  kPlainOnTls,
  kLimitCount
};

// One address the service answers on, plain or TLS.
struct Listener {
  explicit Listener(asio::io_context& loop) : acceptor(loop) {}
  tcp::acceptor acceptor;
  std::shared_ptr<asio::ssl::context> tls;  // null: plain HTTP
};

double Seconds(std::chrono::milliseconds ms) { return static_cast<double>(ms.count()) / 1000; }

std::string StatusLine(int status) {
  const auto reason = http::obsolete_reason(static_cast<http::status>(status));
  return "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason.data(), reason.size()) +
         "\r\n";
}

// Whether the request's transfer codings, its Transfer-Encoding lines taken
// together, end in "chunked", or it has none. With another coding last the
// body has no known end, and what follows it could be taken for another
// request (RFC 9112, 6.3).
template <class Request>
bool LastCodingIsChunked(const Request& req) {
  const auto lines = req.equal_range(http::field::transfer_encoding);
  if (lines.first == lines.second) return true;
  beast::string_view last;
  for (auto line = lines.first; line != lines.second; ++line) {
    for (const auto coding : http::token_list(line->value())) last = coding;
  }
  return beast::iequals(last, "chunked");
}

}  // namespace

class HttpCore {
 public:
  HttpCore(HttpHandlers handlers, HttpLimits limits, int io_threads, int worker_threads)
      : handlers_(std::move(handlers)),
        limits_(limits),
        loops_(MakeLoops(io_threads)),
        workers_(static_cast<std::size_t>(std::max(1, worker_threads))),
        log_timer_(*loops_[0]),
        retry_timer_(*loops_[0]) {}

  ~HttpCore() {
    Stop();
    workers_.join();
  }

  int Bind(const std::string& host, int port, std::shared_ptr<asio::ssl::context> tls,
           std::string* error) {
    auto listener = std::make_unique<Listener>(*loops_[0]);
    listener->tls = std::move(tls);
    tcp::acceptor& acceptor = listener->acceptor;
    beast::error_code ec;
    tcp::resolver resolver(*loops_[0]);
    const auto found = resolver.resolve(
        host, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, ec);
    for (const auto& entry : found) {
      acceptor.open(entry.endpoint().protocol(), ec);
      if (ec) continue;
      // Lets a restarted service bind while its old connections sit in
      // TIME_WAIT; a port that another process listens on still fails.
      acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
      acceptor.bind(entry.endpoint(), ec);
      if (!ec) acceptor.listen(kListenBacklog, ec);
      if (!ec) {
        const int bound = acceptor.local_endpoint().port();
        listeners_.push_back(std::move(listener));
        return bound;
      }
      beast::error_code ignored;
      acceptor.close(ignored);
    }
    if (error) *error = ec ? ec.message() : "no address for " + host;
    return -1;
  }

  void Run() {
    for (auto& listener : listeners_) Accept(*listener);
    ScheduleLog();
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < loops_.size(); ++i) {
      threads.emplace_back([this, i] { Loop(i); });
    }
    Loop(0);
    for (auto& t : threads) t.join();
    workers_.join();
    FlushLog();
  }

  void Stop() {
    for (auto& loop : loops_) loop->stop();
  }

  void Count(Limit limit) {
    hits_[limit].fetch_add(1, std::memory_order_relaxed);
    if (limit == kHeadTime) slow_closed_.fetch_add(1, std::memory_order_relaxed);
  }
  std::uint64_t slow_closed() const { return slow_closed_.load(std::memory_order_relaxed); }

  const HttpHandlers& handlers() const { return handlers_; }
  const HttpLimits& limits() const { return limits_; }
  asio::thread_pool& workers() { return workers_; }
  std::atomic<std::size_t>& open() { return open_; }
  std::size_t open_now() const { return open_.load(std::memory_order_relaxed); }

 private:
  // One loop per thread: a connection stays on the loop that took it, so its
  // handlers never run on two threads and need no strand.
  static std::vector<std::unique_ptr<asio::io_context>> MakeLoops(int count) {
    std::vector<std::unique_ptr<asio::io_context>> loops;
    for (int i = 0; i < std::max(1, count); ++i)
      loops.push_back(std::make_unique<asio::io_context>(1));
    return loops;
  }
  void Loop(std::size_t i) {
    auto guard = asio::make_work_guard(*loops_[i]);
    loops_[i]->run();
  }
  void Accept(Listener& listener);
  void ScheduleLog() {
    log_timer_.expires_after(std::chrono::seconds(1));
    log_timer_.async_wait([this](beast::error_code ec) {
      if (ec) return;
      FlushLog();
      ScheduleLog();
    });
  }
  void FlushLog();

  HttpHandlers handlers_;
  HttpLimits limits_;
  std::array<std::atomic<std::uint64_t>, kLimitCount> hits_{};
  std::atomic<std::size_t> open_{0};
  std::atomic<std::uint64_t> slow_closed_{0};  // never reset, unlike hits_
  // Sessions live in the loops' handlers; the workers post back into the
  // loops, so they end before them (members are destroyed last to first).
  std::vector<std::unique_ptr<asio::io_context>> loops_;
  std::size_t next_loop_ = 0;
  asio::thread_pool workers_;
  std::vector<std::unique_ptr<Listener>> listeners_;
  asio::steady_timer log_timer_;
  asio::steady_timer retry_timer_;
};

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(HttpCore& server, tcp::socket socket, asio::ssl::context* tls)
      : server_(server),
        limits_(server.limits()),
        stream_(std::move(socket)),
        hold_timer_(stream_.get_executor()),
        buffer_(limits_.max_head_bytes + limits_.max_body_bytes + kReadChunk) {
    server_.open().fetch_add(1, std::memory_order_relaxed);
    if (tls) tls_.emplace(stream_, *tls);
  }
  ~Session() { server_.open().fetch_sub(1, std::memory_order_relaxed); }

  void Start() {
    if (!tls_) return WaitForRequest();
    // The handshake and the first request share one head limit from here:
    // a client that crawls through the handshake is as slow as one that
    // crawls through its request line.
    stream_.expires_after(limits_.head_timeout);
    tls_->async_handshake(asio::ssl::stream_base::server,
                          [self = shared_from_this()](beast::error_code ec) {
                            if (ec == beast::error::timeout) {
                              self->server_.Count(kHeadTime);
                            } else if (IsPlainHttpOnTls(ec)) {
                              self->server_.Count(kPlainOnTls);
                            } else if (ec) {
                              self->server_.Count(kHandshake);
                            }
                            if (ec) return self->Close();
                            self->head_deadline_set_ = true;
                            self->ReadRequest();
                          });
  }
  auto executor() { return stream_.get_executor(); }

 private:
  // Runs `op` on the stream requests travel on: TLS over the socket, or the
  // socket itself.
  template <class Op>
  void OnStream(Op&& op) {
    if (tls_) {
      op(*tls_);
    } else {
      op(stream_);
    }
  }

  // Between requests: the idle limit runs until the first byte of the next.
  void WaitForRequest() {
    if (buffer_.size() > 0) return ReadRequest();  // pipelined
    stream_.expires_after(limits_.idle_timeout);
    OnStream([this](auto& stream) {
      stream.async_read_some(buffer_.prepare(kReadChunk),
                             [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                               if (ec) {
                                 if (ec == beast::error::timeout) self->server_.Count(kIdleTime);
                                 return self->Close();
                               }
                               self->buffer_.commit(n);
                               self->ReadRequest();
                             });
    });
  }

  // From its first byte the whole request must come within the head limit.
  void ReadRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(limits_.max_head_bytes));
    parser_->body_limit(limits_.max_body_bytes);
    if (!head_deadline_set_) stream_.expires_after(limits_.head_timeout);
    head_deadline_set_ = false;
    OnStream([this](auto& stream) {
      http::async_read(
          stream, buffer_, *parser_,
          [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRequest(ec); });
    });
  }

  void OnRequest(beast::error_code ec) {
    if (ec == beast::error::timeout) {
      server_.Count(kHeadTime);
      return Close();
    }
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
      server_.Count(kHeadSize);
      return Refuse(RequestLineFits() ? 431 : 414);
    }
    if (ec == http::error::body_limit) {
      server_.Count(kBodySize);
      return Refuse(413);
    }
    if (ec && ec.category() == http::make_error_code(http::error::bad_method).category() &&
        ec != http::error::end_of_stream && ec != http::error::partial_message) {
      server_.Count(kMalformed);
      return Refuse(400);
    }
    if (ec) return Close();  // the client went away

    const auto& req = parser_->get();
    if (!LastCodingIsChunked(req)) {
      server_.Count(kMalformed);
      return Refuse(400);
    }
    ++served_;
    keep_alive_ = req.keep_alive() && served_ < limits_.keep_alive_max;
    http10_ = req.version() == 10;
    head_only_ = req.method() == http::verb::head;
    const auto method = req.method_string();
    const auto target = req.target();
    const auto host = req[http::field::host];
    method_.assign(method.data(), method.size());
    target_.assign(target.data(), target.size());
    host_.assign(host.data(), host.size());
    const auto& observe = server_.handlers().observe;
    if (observe) arrived_ = std::chrono::steady_clock::now();
    if (auto quick = server_.handlers().quick(method_, target_, host_)) {
      if (observe) observe(target_, quick->status, std::chrono::steady_clock::now() - arrived_);
      return Write(std::move(*quick));
    }
    const auto cookie = req[http::field::cookie];
    const auto content_type = req[http::field::content_type];
    cookie_.assign(cookie.data(), cookie.size());
    content_type_.assign(content_type.data(), content_type.size());
    body_ = req.body();
    if (peer_.empty()) {
      beast::error_code peer_ec;
      const auto remote = stream_.socket().remote_endpoint(peer_ec);
      if (!peer_ec) peer_ = remote.address().to_string();
    }
    asio::post(server_.workers(), [self = shared_from_this()] {
      Answer answer;
      try {
        const HttpRequest request{self->method_,       self->target_, self->host_, self->cookie_,
                                  self->content_type_, self->body_,   self->peer_};
        answer = self->server_.handlers().handle(request);
      } catch (const std::exception& e) {
        // The page only: queries carry members' passwords (login, registration).
        const std::string path = self->target_.substr(0, self->target_.find('?'));
        std::fprintf(stderr, "tarvolo-service: %s failed: %s\n", path.c_str(), e.what());
        answer = {500, "", "text/plain"};
      }
      asio::post(self->stream_.get_executor(), [self, answer = std::move(answer)]() mutable {
        if (const auto& told = self->server_.handlers().observe) {
          told(self->target_, answer.status, std::chrono::steady_clock::now() - self->arrived_);
        }
        self->Write(std::move(answer));
      });
    });
  }

  // Whether the request line ended within the head limit (else it was too
  // long): the parser fills in the method once it has read the whole line.
  bool RequestLineFits() const { return !parser_->get().method_string().empty(); }

  void Write(Answer answer) {
    if (answer.hold.count() > 0) {
      // Held on the loop by a timer, never by a worker that sleeps.
      const auto hold = std::exchange(answer.hold, {});
      hold_timer_.expires_after(hold);
      hold_timer_.async_wait([self = shared_from_this(), answer = std::move(answer)](
                                 beast::error_code) mutable { self->Write(std::move(answer)); });
      return;
    }
    answer_ = std::move(answer);
    header_ = StatusLine(answer_.status);
    if (!keep_alive_) {
      header_ += "Connection: close\r\n";
    } else if (http10_) {
      header_ += "Connection: keep-alive\r\n";
    }
    header_ += "Content-Length: " + std::to_string(answer_.body.size()) + "\r\n";
    if (answer_.content_type && *answer_.content_type) {
      header_ += std::string("Content-Type: ") + answer_.content_type + "\r\n";
    }
    if (!answer_.extra_header.empty()) header_ += answer_.extra_header + "\r\n";
    if (keep_alive_) {
      const auto idle_seconds = (limits_.idle_timeout.count() + 999) / 1000;
      header_ += "Keep-Alive: timeout=" + std::to_string(idle_seconds) +
                 ", max=" + std::to_string(limits_.keep_alive_max - served_) + "\r\n";
    }
    header_ += "\r\n";
    std::array<asio::const_buffer, 2> out{
        asio::buffer(header_), head_only_ ? asio::const_buffer() : asio::buffer(answer_.body)};
    stream_.expires_after(limits_.send_timeout);
    OnStream([this, &out](auto& stream) {
      asio::async_write(stream, out,
                        [self = shared_from_this()](beast::error_code ec, std::size_t) {
                          if (ec) return self->Close();
                          if (self->refused_) return self->Linger();
                          if (self->keep_alive_) return self->WaitForRequest();
                          self->Close();
                        });
    });
  }

  void Refuse(int status) {
    refused_ = true;
    keep_alive_ = false;
    head_only_ = false;
    Write({status, "", ""});
  }

  // Half-close, then drop what still comes until the client closes (as raw
  // bytes: on a TLS connection they need no decrypting to be dropped).
  void Linger() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    if (ec) return Close();
    lingered_ = 0;
    stream_.expires_after(kLingerTime);
    DropInput();
  }
  void DropInput() {
    buffer_.consume(buffer_.size());
    stream_.async_read_some(buffer_.prepare(kReadChunk),
                            [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                              self->lingered_ += n;
                              if (ec || self->lingered_ > kLingerBytes) return self->Close();
                              self->buffer_.commit(n);
                              self->DropInput();
                            });
  }

  void Close() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    stream_.close();
  }

  HttpCore& server_;
  const HttpLimits& limits_;
  beast::tcp_stream stream_;
  std::optional<asio::ssl::stream<beast::tcp_stream&>> tls_;
  asio::steady_timer hold_timer_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::string method_, target_, host_, cookie_, content_type_, body_, peer_;
  std::chrono::steady_clock::time_point arrived_;
  Answer answer_;
  std::string header_;
  int served_ = 0;
  bool keep_alive_ = false;
  bool http10_ = false;
  bool head_only_ = false;
  bool refused_ = false;
  bool head_deadline_set_ = false;  // the handshake's deadline holds for the first request
  std::size_t lingered_ = 0;
};

}  // namespace

void HttpCore::Accept(Listener& listener) {
  // The acceptor's loop takes the connection and hands it to the next loop.
  asio::io_context& loop = *loops_[next_loop_++ % loops_.size()];
  listener.acceptor.async_accept(loop, [this, &listener](beast::error_code ec, tcp::socket s) {
    if (ec == asio::error::operation_aborted) return;
    if (ec) {
      // Out of descriptors (or another passing failure): try again shortly
      // instead of spinning on the same error.
      std::fprintf(stderr, "tarvolo-service: accept failed: %s\n", ec.message().c_str());
      retry_timer_.expires_after(std::chrono::milliseconds(100));
      retry_timer_.async_wait([this, &listener](beast::error_code e) {
        if (!e) Accept(listener);
      });
      return;
    }
    if (open_.load(std::memory_order_relaxed) >= limits_.max_connections) {
      Count(kCapacity);
      beast::error_code ignored;
      s.non_blocking(true, ignored);
      // A TLS client could not read a plain answer: it is just closed.
      if (!listener.tls) s.send(asio::buffer(kAtCapacity, sizeof kAtCapacity - 1), 0, ignored);
      s.shutdown(tcp::socket::shutdown_both, ignored);
      s.close(ignored);
    } else {
      beast::error_code ignored;
      s.set_option(tcp::no_delay(true), ignored);
      auto session = std::make_shared<Session>(*this, std::move(s), listener.tls.get());
      asio::post(session->executor(), [session] { session->Start(); });
    }
    Accept(listener);
  });
}

void HttpCore::FlushLog() {
  const auto take = [this](Limit l) { return hits_[l].exchange(0, std::memory_order_relaxed); };
  if (const auto n = take(kHeadTime)) {
    std::fprintf(stderr,
                 "tarvolo-service: closed %llu connection(s) whose request did not arrive "
                 "within %g s\n",
                 static_cast<unsigned long long>(n), Seconds(limits_.head_timeout));
  }
  if (const auto n = take(kIdleTime)) {
    std::fprintf(stderr, "tarvolo-service: closed %llu connection(s) idle for %g s\n",
                 static_cast<unsigned long long>(n), Seconds(limits_.idle_timeout));
  }
  if (const auto n = take(kCapacity)) {
    std::fprintf(stderr,
                 "tarvolo-service: refused %llu connection(s) with 503: %zu are open, the cap\n",
                 static_cast<unsigned long long>(n), limits_.max_connections);
  }
  if (const auto n = take(kHeadSize)) {
    std::fprintf(stderr,
                 "tarvolo-service: refused %llu request(s) whose head is over %zu bytes "
                 "(414 or 431)\n",
                 static_cast<unsigned long long>(n), limits_.max_head_bytes);
  }
  if (const auto n = take(kBodySize)) {
    std::fprintf(stderr,
                 "tarvolo-service: refused %llu request(s) whose body is over %zu bytes (413)\n",
                 static_cast<unsigned long long>(n), limits_.max_body_bytes);
  }
  if (const auto n = take(kMalformed)) {
    std::fprintf(stderr, "tarvolo-service: refused %llu malformed request(s) (400)\n",
                 static_cast<unsigned long long>(n));
  }
  if (const auto n = take(kHandshake)) {
    std::fprintf(stderr,
                 "tarvolo-service: closed %llu connection(s) whose TLS handshake failed (a "
                 "client that does not trust the certificate, or speaks no TLS 1.2 or 1.3)\n",
                 static_cast<unsigned long long>(n));
  }
  if (const auto n = take(kPlainOnTls)) {
    std::fprintf(stderr,
                 "tarvolo-service: closed %llu connection(s) that sent plain HTTP to the TLS "
                 "address\n",
                 static_cast<unsigned long long>(n));
  }
}

HttpServer::HttpServer(HttpHandlers handlers, HttpLimits limits, int io_threads, int worker_threads)
    : core_(std::make_unique<HttpCore>(std::move(handlers), limits, io_threads, worker_threads)) {}
HttpServer::~HttpServer() = default;
int HttpServer::Bind(const std::string& host, int port, std::string* error) {
  return core_->Bind(host, port, nullptr, error);
}
int HttpServer::BindTls(const std::string& host, int port, const std::string& cert_file,
                        const std::string& key_file, std::string* error) {
  auto tls = MakeServerTlsContext(cert_file, key_file, error);
  if (!tls) return -1;
  return core_->Bind(host, port, std::move(tls), error);
}
void HttpServer::Run() { core_->Run(); }
void HttpServer::Stop() { core_->Stop(); }
std::size_t HttpServer::OpenConnections() const { return core_->open_now(); }
std::uint64_t HttpServer::SlowConnectionsClosed() const { return core_->slow_closed(); }

std::size_t RaiseDescriptorLimit() {
  rlimit lim{};
  if (getrlimit(RLIMIT_NOFILE, &lim) != 0) return 1024;
  constexpr rlim_t kEnough = rlim_t{1} << 20;
  const rlim_t want = lim.rlim_max == RLIM_INFINITY ? kEnough : std::min(lim.rlim_max, kEnough);
  if (lim.rlim_cur < want) {
    rlimit raised = lim;
    raised.rlim_cur = want;
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) lim = raised;
  }
  return static_cast<std::size_t>(lim.rlim_cur);
}

}  // namespace tv
