#include "platform/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "core/gbk.h"
#include "settings/store.h"

namespace tv {

std::string DefaultInstanceLockPath() {
  // A client pointed at its own settings store (development, tests) is a
  // separate installation and locks beside that store; every other copy
  // shares the one machine-wide lock.
  const char* settings = std::getenv("TARVOLO_SETTINGS");
  if (settings != nullptr && *settings != '\0') return std::string(settings) + ".lock";
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  return (dir / "tarvolo-instance.lock").string();
}

InstanceLock::InstanceLock(std::string path)
    : path_(path.empty() ? DefaultInstanceLockPath() : std::move(path)) {}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::TryAcquire() {
  if (fd_ >= 0) return true;
  // Every user of the machine shares the lock, so the file is world-writable;
  // umask would otherwise take that away from the first creator.
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  ::fchmod(fd, 0666);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

std::optional<std::string> ProgramPath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || path.empty()) return std::nullopt;
  return path.string();
}

std::string ProgramDirectory(std::string_view program_path) {
  auto slash = program_path.rfind('/');
  if (slash == std::string_view::npos) return "./";
  return std::string(program_path.substr(0, slash + 1));
}

std::string ProgramBaseName(std::string_view program_path) {
  auto slash = program_path.rfind('/');
  std::string_view name =
      slash == std::string_view::npos ? program_path : program_path.substr(slash + 1);
  if (name.size() > 4 && name.substr(name.size() - 4) == ".exe") name.remove_suffix(4);
  return std::string(name);
}

int CleanStartupList(std::string_view program_path) {
  int removed = 0;
  for (const SettingValue& entry : EnumerateSettings(kRunKey)) {
    std::string text = ReadSetting(kRunKey, entry.name);
    if (text != kError && text == program_path && DeleteSetting(kRunKey, entry.name)) ++removed;
  }
  return removed;
}

std::string UpdaterPath(std::string_view program_directory) {
  return std::string(program_directory) + "UpDate.exe";
}

bool DeleteUpdaterFile(const std::string& path, int attempts, int pause_ms) {
  return DeleteUpdaterFile(path, attempts, [pause_ms] {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
  });
}

bool DeleteUpdaterFile(const std::string& path, int attempts, const std::function<void()>& pause) {
  for (int i = 0; i < attempts; ++i) {
    if (::unlink(path.c_str()) == 0) return true;
    // Nothing there (the usual start without an update): no reason to wait.
    if (errno == ENOENT || errno == ENOTDIR) return false;
    if (i + 1 < attempts) pause();
  }
  return false;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& args) {
  // Everything exec needs is built before fork: only async-signal-safe calls
  // run in the child of a threaded process.
  std::vector<std::string> owned;
  owned.push_back(program);
  owned.insert(owned.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);

  int status_pipe[2];
  if (::pipe2(status_pipe, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(status_pipe[0]);
    ::close(status_pipe[1]);
    return false;
  }
  if (child == 0) {
    // Double fork: the grandchild is adopted by init, so no zombie stays.
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
    ::execvp(argv[0], argv.data());
    char failed = 1;
    ssize_t ignored = ::write(status_pipe[1], &failed, 1);
    (void)ignored;
    ::_exit(127);
  }
  ::close(status_pipe[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  // The pipe closes on a successful exec (O_CLOEXEC) and carries a byte when
  // exec failed.
  char failed = 0;
  ssize_t got = ::read(status_pipe[0], &failed, 1);
  ::close(status_pipe[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got <= 0;
}

std::optional<std::string> FindProgram(const std::vector<std::string>& names) {
  const char* path_env = std::getenv("PATH");
  std::string path = path_env ? path_env : "/usr/local/bin:/usr/bin:/bin";
  for (const std::string& name : names) {
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find(':', start);
      if (end == std::string::npos) end = path.size();
      std::string dir = path.substr(start, end - start);
      if (!dir.empty()) {
        std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
      }
      start = end + 1;
    }
  }
  return std::nullopt;
}

const std::vector<std::string>& CalculatorPrograms() {
  static const std::vector<std::string> kNames = {"gnome-calculator", "kcalc", "galculator",
                                                  "mate-calc", "xcalc"};
  return kNames;
}

const std::vector<std::string>& TextEditorPrograms() {
  static const std::vector<std::string> kNames = {
      "gedit", "gnome-text-editor", "kate", "kwrite", "mousepad", "pluma", "xed"};
  return kNames;
}

void EndProcess(int code) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

}  // namespace tv
