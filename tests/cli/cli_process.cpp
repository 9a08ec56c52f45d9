#include "cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

extern char** environ;

namespace tv::test {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const std::string& program) {
  int out_pipe[2], err_pipe[2];
  if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) return;
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const std::string& mine : env)
      replaced |= mine.compare(0, name.size() + 1, name + "=") == 0;
    // The children of tests never inherit a colour choice of the terminal.
    if (!replaced && name != "NO_COLOR") environment.push_back(entry);
  }
  environment.insert(environment.end(), env.begin(), env.end());
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    std::vector<char*> argv, envp;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  out_fd_ = out_pipe[0];
  err_fd_ = err_pipe[0];
}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (out_fd_ >= 0) ::close(out_fd_);
  if (err_fd_ >= 0) ::close(err_fd_);
}

bool CliProcess::Pump(int timeout_ms) {
  pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
  if (::poll(fds, 2, timeout_ms) <= 0) return !out_ended_;
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
    const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) {
      (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
    } else {
      // End of this stream: poll ignores a negative descriptor.
      if (i == 0) out_ended_ = true;
      ::close(fds[i].fd);
      (i == 0 ? out_fd_ : err_fd_) = -1;
    }
  }
  return !out_ended_;
}

bool CliProcess::AwaitError(const std::string& text, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (err_.find(text) == std::string::npos) {
    if (err_fd_ < 0 || RemainingMs(deadline) == 0) return false;
    Pump(RemainingMs(deadline));
  }
  return true;
}

bool CliProcess::ReadLine(std::string& line, int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (true) {
    if (auto end = out_.find('\n'); end != std::string::npos) {
      line = out_.substr(0, end);
      out_.erase(0, end + 1);
      return true;
    }
    if (out_fd_ < 0 || RemainingMs(deadline) == 0) return false;
    Pump(RemainingMs(deadline));
  }
}

CliResult CliProcess::Wait(int timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while ((out_fd_ >= 0 || err_fd_ >= 0) && RemainingMs(deadline) > 0) Pump(RemainingMs(deadline));
  CliResult result{out_, err_, -1};
  int status = 0;
  if (pid_ > 0) {
    if (out_fd_ >= 0 || err_fd_ >= 0) ::kill(pid_, SIGKILL);  // out of time
    ::waitpid(pid_, &status, 0);
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    pid_ = -1;
  }
  return result;
}

CliResult CliProcess::Finish(int signal, int timeout_ms) {
  if (pid_ > 0) ::kill(pid_, signal);
  return Wait(timeout_ms);
}

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  CliProcess process(args, env);
  return process.Wait(30'000);
}

}  // namespace tv::test
