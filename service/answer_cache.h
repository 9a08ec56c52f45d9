#pragma once
// Answers built from the messages and logs, kept per request target while the
// store's version stays the same. Clients poll the same few targets over and
// over (same view, same newest identifier), so most polls are answered from
// here without touching the database.
#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tv {

class AnswerCache {
 public:
  explicit AnswerCache(std::size_t max_entries = 4096) : max_entries_(max_entries) {}

  std::optional<std::string> Get(std::string_view key, std::uint64_t version) const {
    std::shared_lock lock(mutex_);
    if (version != version_) return std::nullopt;
    auto it = entries_.find(std::string(key));
    if (it == entries_.end()) return std::nullopt;
    return it->second;
  }

  void Put(std::string_view key, std::uint64_t version, const std::string& body) {
    std::unique_lock lock(mutex_);
    if (version < version_) return;  // built from an older store: useless
    if (version != version_ || entries_.size() >= max_entries_) {
      entries_.clear();
      version_ = version;
    }
    entries_.emplace(std::string(key), body);
  }

 private:
  std::size_t max_entries_;
  mutable std::shared_mutex mutex_;
  std::uint64_t version_ = 0;
  std::unordered_map<std::string, std::string> entries_;
};

}  // namespace tv
