#pragma once
// Whether new search matches are worth a desktop notification, and what it
// says. Plain C++ over GBK texts; the notifier converts them at the bus.
#include <optional>
#include <string>
#include <string_view>

namespace tv {

struct MatchNoticeFacts {
  // The main window is the active window and not minimised: the member sees
  // the panel, so a notification would only repeat it.
  bool window_in_front = false;
  // The member's switch ("DesktopNotifytavrelomin").
  bool switched_on = false;
  // A search is shown; its panel is what produced the matches.
  bool search_active = false;
  // Matches one poll answer put on top of the panel.
  int inserted = 0;
  // The row text (with its markers) of the newest of them, the panel's top
  // row.
  std::string_view top_row_text;
};

struct MatchNotice {
  std::string summary;  // GBK: "N 条新匹配信息"
  std::string body;     // GBK: the newest match's text without markers
};

// nullopt when no notification is due.
std::optional<MatchNotice> DecideMatchNotice(const MatchNoticeFacts& facts);

}  // namespace tv
