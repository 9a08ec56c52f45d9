#pragma once
// The typed-keyword histories of the two search forms, kept in the settings
// store as the string values of one key each: entry i under "10" followed by
// i while i has one digit ("100" … "109"), otherwise "1" followed by i
// ("110" … "199", "1100" …). The data is the keyword (GBK).
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class SettingsStore;

std::string HistoryValueName(std::size_t index);

// The item that ends every keyword box's list; choosing it clears the history.
const std::string& ClearHistoryItem();

class KeywordHistory {
 public:
  // `key` is one of kLocalSearchKey or kWideSearchKey.
  KeywordHistory(SettingsStore& store, std::string_view key);

  // Reads the stored values in the store's order, skipping the failure text
  // "Error" and texts already held.
  void Load();
  // Records a typed keyword: nothing for an empty text or one already held;
  // otherwise it is appended and the key is written anew with every entry
  // under its value name, in order. True when the keyword was new.
  bool Record(std::string_view keyword);
  // Removes the key with all its values and forgets every entry.
  void Clear();

  const std::vector<std::string>& Entries() const { return entries_; }
  bool Contains(std::string_view keyword) const;
  // The keyword box's items: every entry newest first, then ClearHistoryItem().
  std::vector<std::string> BoxItems() const;

 private:
  void Append(std::string_view text);

  SettingsStore& store_;
  std::string key_;
  std::vector<std::string> entries_;
};

}  // namespace tv
