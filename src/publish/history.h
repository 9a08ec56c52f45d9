#pragma once
// The local history of accepted messages: one value per message in the
// history key, named by a counter that only grows, holding the history text.
// The store calls go through the process-wide settings store.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/store.h"

namespace tv {

// The name of the next history value: one above the stored counter and above
// every number already used as a value name, so a counter that was damaged
// (not a number, negative) or lost never overwrites an entry. Nothing once
// the next number would pass the 32-bit limit: the history then stops
// growing rather than wrap.
std::optional<std::int32_t> NextHistoryNumber(std::string_view stored_counter,
                                              const std::vector<SettingValue>& history);

// The bookkeeping after an accepted publication, in this order: a text the
// member took from the history unchanged (`last_used`) loses its old entries,
// so it moves to the newest place; the counter goes up by one; the text is
// written under the new number. Failed writes are not reported.
void RecordPublishedHistory(std::string_view history_text, std::string_view last_used);

// The history as the dialog lists it: the texts in the order they were
// written, each once, without unreadable ones ("Error", or too long for a
// read). The dialog shows them newest first.
std::vector<std::string> StageHistory(const std::vector<SettingValue>& values);
std::vector<std::string> LoadHistoryNewestFirst();

// Deletes every history value that holds `text`; returns how many went.
int DeleteHistoryText(std::string_view text);
// Deletes the whole history key (the counter stays); false when that failed.
bool ClearHistory();

}  // namespace tv
