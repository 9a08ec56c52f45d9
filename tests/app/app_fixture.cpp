#include "app_fixture.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tv {

std::string DeadHost() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  // The socket stays bound and never listens, for the rest of the run: a
  // connection is refused at once, and no other test's server can take the
  // port meanwhile (a closed port could be handed to one that stalls).
  return "127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

QCoreApplication& TestApp() {
  static int argc = 1;
  static char name[] = "app_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                              : new QCoreApplication(argc, argv);
  return *app;
}

}  // namespace tv
