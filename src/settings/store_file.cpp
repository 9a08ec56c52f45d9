// Where the store file lives and how it is opened: created with mode 0600, read
// only when it cannot be written, moved aside when it is damaged.
#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/gbk.h"
#include "settings/sqlite_store.h"
#include "settings/store.h"

namespace tv {
namespace {

// The store when no file can be opened at all: nothing to read, nothing written.
class UnavailableSettingsStore : public SettingsStore {
 public:
  explicit UnavailableSettingsStore(std::string moved_aside)
      : moved_aside_(std::move(moved_aside)) {}
  std::string Read(std::string_view, std::string_view) override { return std::string(kError); }
  bool Write(std::string_view, std::string_view, std::string_view) override { return false; }
  bool CreateKey(std::string_view) override { return false; }
  bool DeleteValue(std::string_view, std::string_view) override { return false; }
  bool DeleteKey(std::string_view) override { return false; }
  std::vector<SettingValue> Enumerate(std::string_view) override { return {}; }
  bool KeyExists(std::string_view) override { return false; }
  std::string MovedAsidePath() const override { return moved_aside_; }

 private:
  std::string moved_aside_;
};

std::string NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// mkdir -p with mode 0700 for what it creates.
void MakeDirectories(const std::string& dir) {
  if (dir.empty()) return;
  for (std::size_t pos = dir.find('/', 1);; pos = dir.find('/', pos + 1)) {
    std::string part = dir.substr(0, pos);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    if (pos == std::string::npos) return;
  }
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

// The file is made by us rather than by SQLite so that it is private from the
// first byte (SQLite's own default is 0644); its -wal and -shm follow its mode.
void CreatePrivateFile(const std::string& path) {
  MakeDirectories(FolderOf(path));
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;
  fchmod(fd, 0600);
  close(fd);
}

namespace {

// "file:" URI of a path: SQLite's URI parser treats %, ? and # specially.
std::string FileUri(const std::string& path, bool immutable) {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#' || c < 0x21 || c >= 0x7F) {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    } else {
      uri += static_cast<char>(c);
    }
  }
  if (immutable) uri += "?immutable=1";
  return uri;
}

std::string TimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

// Moves the damaged file (and its write-ahead log, which belongs to it) out of
// the way under a name not yet taken; returns the new name, empty on failure.
std::string MoveAside(const std::string& path) {
  std::string base = path + ".damaged-" + TimeStamp();
  std::string target = base;
  for (int n = 2; Exists(target) && n < 1000; ++n) target = base + "-" + std::to_string(n);
  if (Exists(target) || std::rename(path.c_str(), target.c_str()) != 0) return {};
  if (Exists(path + "-wal")) std::rename((path + "-wal").c_str(), (target + "-wal").c_str());
  std::remove((path + "-shm").c_str());
  return target;
}

struct Attempt {
  bool writable;
  bool immutable;
};

}  // namespace

std::string SettingsStore::DefaultPath() {
  std::string explicit_path = NonEmptyEnv("TARVOLO_SETTINGS");
  if (!explicit_path.empty()) return explicit_path;
  std::string config = NonEmptyEnv("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    std::string home = NonEmptyEnv("HOME");
    if (home.empty()) {
      struct passwd* entry = getpwuid(getuid());
      if (entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
    }
    config = home + "/.config";
  }
  return config + "/tarvolo/settings.db";
}

std::unique_ptr<SettingsStore> SettingsStore::Open(const std::string& path, SettingsAccess access) {
  std::string moved_aside;
  // A second round only after the damaged file has been moved aside.
  for (int round = 0; round < 2; ++round) {
    if (access == SettingsAccess::kReadWrite) {
      CreatePrivateFile(path);
    }
    // Read-write first; then reading only (write-protected file, or a folder
    // where the write-ahead log cannot be made); then reading the file as it
    // stands, ignoring a log that cannot be opened.
    bool damaged = false;
    for (Attempt attempt : {Attempt{true, false}, Attempt{false, false}, Attempt{false, true}}) {
      if (attempt.writable && access == SettingsAccess::kReadOnly) continue;
      auto store = std::make_unique<SqliteSettingsStore>(FileUri(path, attempt.immutable),
                                                         SQLITE_OPEN_READONLY, attempt.writable);
      SqliteSettingsStore::OpenResult result = store->Start();
      if (result == SqliteSettingsStore::OpenResult::kOk) {
        store->SetMovedAsidePath(moved_aside);
        return store;
      }
      if (result == SqliteSettingsStore::OpenResult::kDamaged) {
        damaged = true;
        break;
      }
    }
    if (!damaged || access == SettingsAccess::kReadOnly || round > 0) break;
    // Never write over a damaged file: if it cannot be moved, nothing is stored.
    moved_aside = MoveAside(path);
    if (moved_aside.empty()) break;
  }
  return std::make_unique<UnavailableSettingsStore>(moved_aside);
}

}  // namespace tv
