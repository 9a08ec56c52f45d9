// Bake-off: Boost.Beast's parser over Asio, one io_context run by the threads.
#include <optional>
#include <utility>  // Boost 1.74 Asio uses std::exchange without it

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core_common.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

std::string Reply(bool keep_alive) {
  return std::string("HTTP/1.1 200 OK\r\n") + (keep_alive ? "" : "Connection: close\r\n") +
         "Content-Length: " + std::to_string(sizeof bakeoff::kBody - 1) +
         "\r\nContent-Type: text/plain\r\n\r\n" + bakeoff::kBody;
}
const std::string kKeep = Reply(true), kClose = Reply(false);

class Session : public std::enable_shared_from_this<Session> {
 public:
  explicit Session(tcp::socket s) : stream_(std::move(s)) {}
  void Read() {
    parser_.emplace();
    parser_->header_limit(8192);
    stream_.expires_after(std::chrono::seconds(10));
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                       if (ec) return self->Close();
                       self->keep_ = self->parser_->get().keep_alive();
                       const std::string& out = self->keep_ ? kKeep : kClose;
                       asio::async_write(self->stream_, asio::buffer(out),
                                         [self](beast::error_code ec2, std::size_t) {
                                           if (ec2 || !self->keep_) return self->Close();
                                           self->Read();
                                         });
                     });
  }

 private:
  void Close() {
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    stream_.close();
  }
  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::empty_body>> parser_;
  bool keep_ = false;
};

void Accept(tcp::acceptor& acceptor) {
  acceptor.async_accept([&acceptor](beast::error_code ec, tcp::socket s) {
    if (!ec) {
      s.set_option(tcp::no_delay(true));
      std::make_shared<Session>(std::move(s))->Read();
    }
    Accept(acceptor);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int fd = bakeoff::Listen(argc > 1 ? std::atoi(argv[1]) : 0);
  asio::io_context io(bakeoff::kThreads);
  tcp::acceptor acceptor(io, tcp::v4(), fd);
  Accept(acceptor);
  std::vector<std::thread> threads;
  for (int i = 0; i < bakeoff::kThreads; ++i) threads.emplace_back([&io] { io.run(); });
  for (auto& t : threads) t.join();
}
