#pragma once
// Shared by the bake-off servers: the listening socket and the answer they all
// give (the bytes of a poll that finds nothing new).
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace bakeoff {

constexpr char kBody[] = "QEA=";
constexpr int kThreads = 2;

// Binds 127.0.0.1:port (0: any), prints "listening on 127.0.0.1:PORT".
inline int Listen(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4096) != 0) {
    std::perror("bind");
    std::exit(1);
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  std::printf("listening on 127.0.0.1:%d\n", ntohs(addr.sin_port));
  std::fflush(stdout);
  return fd;
}

}  // namespace bakeoff
