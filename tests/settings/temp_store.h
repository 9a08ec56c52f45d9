#pragma once
// A private temporary folder per test, and the store file inside it.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tv::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-settings-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whether any file of the store at `path` (the database, its log, its index)
// holds `needle` anywhere in its bytes.
inline bool StoreFilesHold(const std::string& path, const std::string& needle) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::ifstream in(path + suffix, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.find(needle) != std::string::npos) return true;
  }
  return false;
}

}  // namespace tv::test
