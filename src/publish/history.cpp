#include "publish/history.h"

#include <algorithm>
#include <limits>

#include "core/gbk.h"
#include "settings/values.h"

namespace tv {
namespace {

constexpr std::size_t kReadableBytes = 500;  // what a read of one value holds, terminator included

bool Readable(std::string_view text) { return text != kError && text.size() < kReadableBytes; }

// The value of a name made of decimal digits only; nothing for anything else.
std::optional<std::int64_t> NumberName(std::string_view name) {
  if (name.empty() || name.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<std::int32_t> NextHistoryNumber(std::string_view stored_counter,
                                              const std::vector<SettingValue>& history) {
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t highest = std::max<std::int64_t>(0, ParseSettingNumber(stored_counter));
  for (const SettingValue& value : history) {
    const std::optional<std::int64_t> number = NumberName(value.name);
    if (!number) continue;
    highest = std::max(highest, *number);
  }
  if (highest >= kLimit) return std::nullopt;
  return static_cast<std::int32_t>(highest + 1);
}

void RecordPublishedHistory(std::string_view history_text, std::string_view last_used) {
  if (!last_used.empty() && history_text == last_used) DeleteHistoryText(history_text);

  std::string counter = ReadSetting(kMainKey, kHistoryCount);
  if (counter == kError) {
    counter = "0";
    WriteSetting(kMainKey, kHistoryCount, counter);
  }
  const std::optional<std::int32_t> next =
      NextHistoryNumber(counter, EnumerateSettings(kHistoryKey));
  if (!next) return;
  const std::string name = std::to_string(*next);
  WriteSetting(kMainKey, kHistoryCount, name);
  CreateSettingKey(kHistoryKey);
  WriteSetting(kHistoryKey, name, history_text);
}

std::vector<std::string> StageHistory(const std::vector<SettingValue>& values) {
  std::vector<std::string> staged;
  for (const SettingValue& value : values) {
    if (!Readable(value.text)) continue;
    if (std::find(staged.begin(), staged.end(), value.text) != staged.end()) continue;
    staged.push_back(value.text);
  }
  return staged;
}

std::vector<std::string> LoadHistoryNewestFirst() {
  std::vector<std::string> staged = StageHistory(EnumerateSettings(kHistoryKey));
  std::reverse(staged.begin(), staged.end());
  return staged;
}

int DeleteHistoryText(std::string_view text) {
  int deleted = 0;
  for (const SettingValue& value : EnumerateSettings(kHistoryKey)) {
    if (value.text == text && DeleteSetting(kHistoryKey, value.name)) ++deleted;
  }
  return deleted;
}

bool ClearHistory() { return DeleteSettingKey(kHistoryKey); }

}  // namespace tv
