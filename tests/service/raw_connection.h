#pragma once
// Plain loopback sockets for what the project's transport never does: hold a
// connection idle, send half a request head, trickle bytes, pipeline.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace tv::test {

class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~RawConnection() {
    if (fd_ >= 0) close(fd_);
  }
  RawConnection(RawConnection&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  bool Send(std::string_view bytes) const {
    while (!bytes.empty()) {
      const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  // Everything the server sends until it closes, or until `wait` passes.
  std::string ReadToClose(std::chrono::milliseconds wait) const { return Read({}, wait, nullptr); }
  // What the server sends until `marker` shows up, or until `wait` passes.
  std::string ReadUntil(std::string_view marker, std::chrono::milliseconds wait) const {
    return Read(marker, wait, nullptr);
  }
  // Whether the server closes within `wait` (what it sends first is dropped).
  bool ClosedWithin(std::chrono::milliseconds wait) const {
    bool closed = false;
    Read({}, wait, &closed);
    return closed;
  }

 private:
  // Reads until `marker` (empty: none), the server's close or `wait`.
  std::string Read(std::string_view marker, std::chrono::milliseconds wait, bool* closed) const {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return out;
      char buf[4096];
      const ssize_t n = recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        if (closed) *closed = true;
        return out;
      }
      out.append(buf, static_cast<std::size_t>(n));
      if (!marker.empty() && out.find(marker) != std::string::npos) return out;
    }
  }

  int fd_;
};

// Lets the test hold thousands of connections.
inline void RaiseOpenFileLimit() {
  rlimit lim{};
  getrlimit(RLIMIT_NOFILE, &lim);
  lim.rlim_cur = lim.rlim_max;
  setrlimit(RLIMIT_NOFILE, &lim);
}

}  // namespace tv::test
