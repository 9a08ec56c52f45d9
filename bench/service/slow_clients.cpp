// Holds slow connections open against a server for a while: each sends a
// request line and one header, then one more header line every few seconds and
// never ends its head. A connection the server closes is opened again, so the
// count stays up for the whole run. Loopback only; stops by itself.
//   usage: service_slow_clients PORT COUNT SECONDS
// Prints "holding N" once all are connected, and at the end the number of
// connections the server closed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr char kHead[] = "GET /qavel/client/checkhost.htm HTTP/1.1\r\nHost: 127.0.0.1\r\n";
constexpr char kTrickle[] = "X-Slow: 1\r\n";
constexpr auto kTricklePeriod = std::chrono::seconds(3);

int Open(int port, int epoll_fd) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      send(fd, kHead, sizeof kHead - 1, MSG_NOSIGNAL) < 0) {
    close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLRDHUP;
  ev.data.fd = fd;
  epoll_ctl(epoll_fd, EPOLL_CTL_ADD, fd, &ev);
  return fd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: service_slow_clients PORT COUNT SECONDS\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  const int count = std::atoi(argv[2]);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
  rlimit lim{};
  getrlimit(RLIMIT_NOFILE, &lim);
  lim.rlim_cur = lim.rlim_max;
  setrlimit(RLIMIT_NOFILE, &lim);

  const int epoll_fd = epoll_create1(0);
  std::vector<int> open;
  for (int i = 0; i < count; ++i) {
    const int fd = Open(port, epoll_fd);
    if (fd < 0) {
      std::fprintf(stderr, "slow clients: connect failed after %d: %s\n", i, std::strerror(errno));
      return 1;
    }
    open.push_back(fd);
  }
  std::printf("holding %d\n", count);
  std::fflush(stdout);

  long closed_by_server = 0;
  auto next_trickle = std::chrono::steady_clock::now() + kTricklePeriod;
  std::vector<epoll_event> events(1024);
  while (std::chrono::steady_clock::now() < end) {
    const int n = epoll_wait(epoll_fd, events.data(), static_cast<int>(events.size()), 200);
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      char buf[4096];
      const ssize_t got = recv(fd, buf, sizeof buf, 0);
      if (got > 0) continue;  // an error answer; the close follows
      if (got < 0 && errno == EAGAIN) continue;
      ++closed_by_server;
      epoll_ctl(epoll_fd, EPOLL_CTL_DEL, fd, nullptr);
      close(fd);
      for (int& slot : open) {
        if (slot == fd) slot = Open(port, epoll_fd);
      }
    }
    if (std::chrono::steady_clock::now() >= next_trickle) {
      next_trickle += kTricklePeriod;
      for (int& slot : open) {
        if (slot < 0) slot = Open(port, epoll_fd);
        if (slot >= 0) send(slot, kTrickle, sizeof kTrickle - 1, MSG_NOSIGNAL);
      }
    }
  }
  for (int fd : open) {
    if (fd >= 0) close(fd);
  }
  std::printf("closed by server %ld\n", closed_by_server);
  return 0;
}
