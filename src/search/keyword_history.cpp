#include "search/keyword_history.h"

#include <algorithm>

#include "core/gbk.h"
#include "settings/store.h"

namespace tv {

std::string HistoryValueName(std::size_t index) {
  return (index < 10 ? "10" : "1") + std::to_string(index);
}

const std::string& ClearHistoryItem() { return TV_TEXT("清除历史记录..."); }

KeywordHistory::KeywordHistory(SettingsStore& store, std::string_view key)
    : store_(store), key_(key) {}

bool KeywordHistory::Contains(std::string_view keyword) const {
  return std::find(entries_.begin(), entries_.end(), keyword) != entries_.end();
}

void KeywordHistory::Append(std::string_view text) {
  if (text != kError && !Contains(text)) entries_.emplace_back(text);
}

void KeywordHistory::Load() {
  for (const SettingValue& value : store_.Enumerate(key_)) Append(value.text);
}

bool KeywordHistory::Record(std::string_view keyword) {
  if (keyword.empty() || Contains(keyword)) return false;
  entries_.emplace_back(keyword);
  // The key is written anew so that the value names run without gaps from
  // "100", whatever names an older list was stored under.
  store_.DeleteKey(key_);
  store_.CreateKey(key_);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    store_.Write(key_, HistoryValueName(i), entries_[i]);
  }
  return true;
}

void KeywordHistory::Clear() {
  store_.DeleteKey(key_);
  entries_.clear();
}

std::vector<std::string> KeywordHistory::BoxItems() const {
  std::vector<std::string> items(entries_.rbegin(), entries_.rend());
  items.push_back(ClearHistoryItem());
  return items;
}

}  // namespace tv
