#include "scripted_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tv::test {
namespace {

int BindLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

void SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace

ScriptedServer::ScriptedServer(ScriptedReply reply) : reply_(std::move(reply)) {
  listener_ = BindLoopback(port_);
  ::listen(listener_, 16);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
  const char stop = 1;
  (void)!::write(wake_[1], &stop, 1);
  thread_.join();
  ::close(listener_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

std::string ScriptedServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> ScriptedServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptedServer::Serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client);
    ::close(client);
  }
}

void ScriptedServer::Answer(int client) {
  // Read the head; the transport never sends a request body.
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    pollfd fds[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    head.append(buffer, static_cast<std::size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(head.substr(0, head.find("\r\n\r\n") + 2));
  }
  SendAll(client, reply_.bytes);
  if (!reply_.stall) {
    ::shutdown(client, SHUT_WR);
    return;
  }
  // Hold the connection without sending until the client gives up (or the
  // test ends): the client's own stall limit must end the exchange.
  for (;;) {
    pollfd fds[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || fds[1].revents != 0) return;
    if (::recv(client, buffer, sizeof buffer, 0) <= 0) return;
  }
}

std::string HttpReply(const std::string& status, const std::string& headers,
                      const std::string& body) {
  return "HTTP/1.0 " + status + "\r\n" + headers + "\r\n" + body;
}

std::string OkReply(const std::string& body) {
  return HttpReply("200 OK", "Content-Length: " + std::to_string(body.size()) + "\r\n", body);
}

int UnusedPort() {
  int port = 0;
  ::close(BindLoopback(port));
  return port;
}

}  // namespace tv::test
