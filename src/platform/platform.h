#pragma once
// The small piece of the operating system the client needs: one copy per
// machine, where the program lives, starting and ending programs, and the
// clean-up of the logon start list. Plain C++ (POSIX).
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// A machine-wide advisory lock (flock) on a fixed file in the temporary
// folder. The lock goes with the process, so a crashed copy never blocks the
// next start.
class InstanceLock {
 public:
  // `path` empty: DefaultInstanceLockPath().
  explicit InstanceLock(std::string path = {});
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process now holds the lock; false when another copy has it.
  // A lock file that cannot be opened at all does not stop the client.
  bool TryAcquire();

 private:
  std::string path_;
  int fd_ = -1;
};
// tarvolo-instance.lock in the temporary folder; with TARVOLO_SETTINGS set,
// that store's path + ".lock".
std::string DefaultInstanceLockPath();

// Full path of the running executable, or nothing when it cannot be learnt.
std::optional<std::string> ProgramPath();
// Folder of `program_path` with its trailing '/'.
std::string ProgramDirectory(std::string_view program_path);
// File name of `program_path` without a trailing ".exe".
std::string ProgramBaseName(std::string_view program_path);

// Removes from the logon start list every entry whose text equals
// `program_path` exactly. Returns how many were removed.
int CleanStartupList(std::string_view program_path);

// The file the updater is downloaded into, beside the program.
std::string UpdaterPath(std::string_view program_directory);
// Deletes the left-over updater. A file that is there but cannot be removed
// yet (still running, still held) is tried again, up to `attempts` tries with
// `pause_ms` between them; a missing file ends it at once. True when a file
// was deleted.
bool DeleteUpdaterFile(const std::string& path, int attempts = 10, int pause_ms = 100);
// The same with the pause between tries given as a function.
bool DeleteUpdaterFile(const std::string& path, int attempts, const std::function<void()>& pause);

// Starts a program without waiting for it and without keeping it as a child
// (no zombie). False when it could not be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args = {});
// The first of `names` found on PATH (full path), or nothing.
std::optional<std::string> FindProgram(const std::vector<std::string>& names);
// The desktop calculator and text editor looked for by the tools menu.
const std::vector<std::string>& CalculatorPrograms();
const std::vector<std::string>& TextEditorPrograms();

// Ends the process at once with `code`, flushing standard output first.
[[noreturn]] void EndProcess(int code);

// True when a top-level window titled exactly `utf8_title` exists on the X11
// display ($DISPLAY). Without an X11 display nothing is found.
bool TopLevelWindowExists(std::string_view utf8_title);

}  // namespace tv
