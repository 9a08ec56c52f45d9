#include "local_service.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace tv {
namespace {

constexpr auto kStartDeadline = std::chrono::seconds(30);
constexpr auto kStopDeadline = std::chrono::seconds(5);

std::function<std::string()>& StoreMaker() {
  static std::function<std::string()> maker;
  return maker;
}

bool HasOption(const std::vector<std::string>& args, const std::string& name) {
  for (const auto& a : args) {
    if (a == name) return true;
  }
  return false;
}

}  // namespace

void LocalService::SetStoreMaker(std::function<std::string()> maker) {
  StoreMaker() = std::move(maker);
}

LocalService::LocalService() : LocalService(std::vector<std::string>{}) {}

LocalService::LocalService(std::vector<std::string> args) : args_(args) { Start(std::move(args)); }

LocalService::~LocalService() {
  Stop();
  if (!temp_dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(temp_dir_, ec);
  }
}

std::string LocalService::BinaryPath() {
  if (const char* explicit_path = std::getenv("TARVOLO_SERVICE"); explicit_path && *explicit_path) {
    return explicit_path;
  }
  if (const char* build = std::getenv("TARVOLO_BUILD_DIR"); build && *build) {
    std::filesystem::path p =
        std::filesystem::path(build) / "tests" / "support" / "tarvolo-service-test";
    if (std::filesystem::exists(p)) return p.string();
  }
#ifdef TARVOLO_SERVICE_PATH
  return TARVOLO_SERVICE_PATH;
#else
  return "tarvolo-service";
#endif
}

void LocalService::Start(std::vector<std::string> args) {
  std::string templ = (std::filesystem::temp_directory_path() / "tv-service-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) {
    error_ = "mkdtemp failed";
    return;
  }
  temp_dir_ = templ;
  if (!HasOption(args, "--db")) {
    db_path_ = StoreMaker() ? StoreMaker()() : temp_dir_ + "/service.db";
    if (db_path_.empty()) {
      error_ = "no database for the service";
      return;
    }
    args.insert(args.begin(), {"--db", db_path_});
  } else {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
      if (args[i] == "--db") db_path_ = args[i + 1];
    }
  }
  args.insert(args.begin(), {"--listen", "127.0.0.1:0"});
  const bool tls = HasOption(args, "--tls-cert");
  const bool tls_beside = tls && HasOption(args, "--tls-listen");
  const std::string binary = BinaryPath();
  args.insert(args.begin(), binary);

  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "pipe failed";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  log_path_ = temp_dir_ + "/service.log";
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log_path_.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    error_ = "cannot start " + binary + ": " + std::strerror(rc);
    return;
  }
  pid_ = pid;

  // Read the "listening on [https://]HOST:PORT" lines (one, or two with a
  // TLS address beside the plain one) and with a console the "console on
  // HOST:PORT" line after them, with a deadline.
  const bool console = std::find(args.begin(), args.end(), "--admin-listen") != args.end();
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
  const auto lines = [&line] { return std::count(line.begin(), line.end(), '\n'); };
  while (lines() < (tls_beside ? 2 : 1) + (console ? 1 : 0)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      error_ = "service did not report its port in time";
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int n = poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) continue;
    char buf[256];
    const ssize_t got = read(fds[0], buf, sizeof buf);
    if (got <= 0) {
      error_ = "service exited before listening: " + line + Log();
      break;
    }
    line.append(buf, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  if (const std::size_t c = line.find("console on "); console && c != std::string::npos) {
    console_port_ = std::atoi(line.c_str() + line.find(':', c) + 1);
    line.resize(c);
  }
  const std::string first = line.substr(0, line.find('\n'));
  const std::size_t colon = first.rfind(':');
  if (error_.empty() && first.starts_with("listening on ") && colon != std::string::npos) {
    port_ = std::atoi(first.c_str() + colon + 1);
    host_ =
        std::string(tls && !tls_beside ? "https://" : "") + "127.0.0.1:" + std::to_string(port_);
  }
  if (tls_beside && port_ > 0) {
    const std::size_t tls_colon = line.rfind(':');
    tls_host_ = "https://127.0.0.1:" + std::to_string(std::atoi(line.c_str() + tls_colon + 1));
  }
  if (port_ <= 0) {
    if (error_.empty()) error_ = "unexpected first line: " + line;
    Stop();
  }
}

bool LocalService::RestartOnNewStore() {
  const int port = port_;
  Stop();
  std::error_code ec;
  if (!temp_dir_.empty()) std::filesystem::remove_all(temp_dir_, ec);
  temp_dir_.clear();
  db_path_.clear();
  host_.clear();
  tls_host_.clear();
  error_.clear();
  std::vector<std::string> args = args_;
  // Clients that hold the address find the new service there; the last
  // --listen wins.
  args.insert(args.end(), {"--listen", "127.0.0.1:" + std::to_string(port)});
  Start(std::move(args));
  return ok();
}

int LocalService::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + kStopDeadline;
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  port_ = 0;
  std::cerr << Log();
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void LocalService::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  port_ = 0;
}

std::string LocalService::Log() const {
  std::ifstream in(log_path_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tv
