#pragma once
// A stand-in for the network in controller tests: answers by path prefix,
// records every path asked for, and can hold answers back until released.
// Called from worker threads.
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"

namespace tv::feed_test {

class ScriptedFetch {
 public:
  // The answer for every path that starts with `prefix` (longest prefix wins).
  void Answer(const std::string& prefix, std::string body) {
    std::lock_guard lock(mutex_);
    answers_[prefix] = std::move(body);
  }
  // While held, a fetch whose path starts with `prefix` waits for Release.
  void Hold(const std::string& prefix) {
    std::lock_guard lock(mutex_);
    held_ = prefix;
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      held_.clear();
    }
    released_.notify_all();
  }
  std::string operator()(std::string_view host, std::string_view path) {
    std::unique_lock lock(mutex_);
    paths_.emplace_back(path);
    hosts_.emplace_back(host);
    released_.wait(lock, [&] { return held_.empty() || path.substr(0, held_.size()) != held_; });
    std::string best;
    const std::string* body = nullptr;
    for (const auto& [prefix, answer] : answers_) {
      if (path.substr(0, prefix.size()) == prefix && prefix.size() >= best.size()) {
        best = prefix;
        body = &answer;
      }
    }
    ++served_;
    return body ? *body : std::string("Error");
  }
  std::vector<std::string> Paths() {
    std::lock_guard lock(mutex_);
    return paths_;
  }
  std::vector<std::string> Hosts() {
    std::lock_guard lock(mutex_);
    return hosts_;
  }
  // Fetches answered so far (a worker's result follows its answer).
  int Served() {
    std::lock_guard lock(mutex_);
    return served_;
  }
  int Count(std::string_view prefix) {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& p : paths_) n += p.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  std::map<std::string, std::string> answers_;
  std::string held_;
  std::vector<std::string> paths_;
  std::vector<std::string> hosts_;
  int served_ = 0;
};

inline std::string Item(const InfoRecord& r) {
  return r.InfoID + "||" + r.City + "||" + r.Type + "||" + r.Content + "||" + r.Tel + "||" + r.QQ +
         "||" + r.Company + "||" + r.Flag + "||" + r.Deal + "||" + r.Time;
}
inline std::string Body(const std::vector<InfoRecord>& records) {
  std::string body = "@@";
  for (const auto& r : records) body += Item(r) + "@@";
  return body;
}
inline std::string Counted(int total, const std::vector<InfoRecord>& records) {
  return "@@" + std::to_string(total) + Body(records);
}

}  // namespace tv::feed_test
