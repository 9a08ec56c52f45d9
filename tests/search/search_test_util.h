#pragma once
// Small helpers of the search tests: GBK literals and a settings store of
// the test's own in a private folder.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "settings/store.h"

namespace tv::search_test {

inline std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }
inline std::string U(std::string_view gbk) { return GbkToUtf8(gbk); }

inline std::vector<std::string> U(const std::vector<std::string>& gbk) {
  std::vector<std::string> out;
  for (const auto& s : gbk) out.push_back(U(s));
  return out;
}

class TempStore {
 public:
  TempStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tv-search-XXXXXX").string();
    dir_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    store_ = SettingsStore::Open(dir_ + "/settings.db");
  }
  ~TempStore() {
    store_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  TempStore(const TempStore&) = delete;
  TempStore& operator=(const TempStore&) = delete;

  SettingsStore& operator*() { return *store_; }
  SettingsStore* operator->() { return store_.get(); }

 private:
  std::string dir_;
  std::unique_ptr<SettingsStore> store_;
};

}  // namespace tv::search_test
