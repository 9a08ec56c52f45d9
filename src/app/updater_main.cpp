// tarvolo-update PID NEW_PROGRAM PROGRAM
// Waits for the client PID to end, puts NEW_PROGRAM in place of PROGRAM and
// starts the client again. The switch is one rename in the program's folder,
// so PROGRAM is never half-written; the old program stays as PROGRAM.old
// until the new one has started, and comes back when it does not start.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace {

bool Running(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

int Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "tarvolo-update: %s: %s\n", what, path.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tarvolo-update PID NEW_PROGRAM PROGRAM\n");
    return 2;
  }
  const pid_t pid = static_cast<pid_t>(std::atol(argv[1]));
  const std::string new_program = argv[2];
  const std::string program = argv[3];
  const std::string backup = program + ".old";

  // The client ends about a second after starting us; give it a minute.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (pid > 0 && Running(pid)) {
    if (std::chrono::steady_clock::now() > deadline) return Fail("client still running", program);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  ::chmod(new_program.c_str(), 0700);
  ::unlink(backup.c_str());
  bool have_backup = ::link(program.c_str(), backup.c_str()) == 0;
  if (::rename(new_program.c_str(), program.c_str()) != 0) return Fail("cannot replace", program);
  if (!tv::StartDetached(program)) {
    if (have_backup) ::rename(backup.c_str(), program.c_str());
    tv::StartDetached(program);
    return Fail("new program does not start", program);
  }
  if (have_backup) ::unlink(backup.c_str());
  return 0;
}
