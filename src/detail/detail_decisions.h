#pragma once
// What the message detail view shows and what its commands do, decided from the
// message, the member's rights and nothing else. No Qt: the main grid and the
// search results panel both reach these through the same functions.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/grid_types.h"
#include "grid/message_row.h"
#include "net/login_answer.h"

namespace tv {

// The row last opened in the detail view. GBK texts.
struct CurrentMessage {
  std::string InfoID;
  std::string City;
  std::string TypeWord;  // "货源", "车源" or "信息"
  std::string Content;   // may carry the colour markers of the row text
  std::string Tel;
  std::string Flag;  // publisher's user identifier, "0" for staff entries
  std::string Time;
  std::string Deal;  // "1" when the deal is closed
  std::string Company;
  // The times of every copy of this message the list holds, newest first
  // (the list folds repeats into one row); empty when it came once.
  std::vector<std::string> CopyTimes;

  bool operator==(const CurrentMessage&) const = default;
};

// Reads the text of one cell of the double-clicked row.
using RowCellReader = std::function<std::string(int column)>;

CurrentMessage CurrentMessageFromRow(const RowCellReader& cell);

// Who is looking: the login's flags and the profile values the view needs.
struct DetailViewer {
  bool logged_in = false;
  bool guest_mode = false;
  bool no_contact_rights = false;
  bool ordinary_member = false;
  std::int64_t contact_wait_flag = 0;
  std::int64_t contact_wait_seconds = 0;
  std::int64_t user_id = 0;
};

DetailViewer ViewerOf(const MemberProfile& profile, const LoginFlags& flags, bool logged_in);

// Any of the three flags keeps contact data and member-only functions away.
bool LacksMemberRights(const DetailViewer& viewer);

inline constexpr Colour kDetailBlue = MakeColour(0, 0, 255);
inline constexpr Colour kDetailRed = MakeColour(255, 0, 0);
inline constexpr Colour kDetailGrey = MakeColour(102, 102, 102);
inline constexpr Colour kDetailDarkRed = MakeColour(0x84, 0, 0);

// "信息内容": type word, ":" and the content without markers.
std::string DetailContentText(const CurrentMessage& message);

// Whether the contact box starts hidden (WaitFlag is the ordinary-member flag
// copied when the window opens and cleared when the countdown ends).
bool ContactHidden(const DetailViewer& viewer, bool wait_flag);
// "联系方式": the telephone, or the VIP text while hidden.
std::string ContactText(const CurrentMessage& message, const DetailViewer& viewer, bool wait_flag);
// Seconds an ordinary member waits before the telephone shows; nullopt when no
// countdown runs (full members, or members who keep the VIP text).
std::optional<std::int64_t> ContactCountdownSeconds(const DetailViewer& viewer);
// The red line above the counter.
std::string CountdownText(std::int64_t seconds_total);

struct StatusLine {
  std::string text;
  Colour colour = kDetailRed;
  bool operator==(const StatusLine&) const = default;
};
// "信息状态:".
StatusLine DealStatus(const CurrentMessage& message);

// "信息来源:" and whether clicking it can lead anywhere.
std::string SourceText(const CurrentMessage& message);
bool SourceLinkActs(const CurrentMessage& message);

struct SourceClick {
  enum class Kind { kNothing, kNotice, kOpenProfile };
  Kind kind = Kind::kNothing;
  std::string text;  // the notice, or the user identifier whose page opens
  bool operator==(const SourceClick&) const = default;
};
SourceClick DecideSourceClick(const CurrentMessage& message, const DetailViewer& viewer);

// The messenger link, built only for a QQ number made of digits: the number is
// server text and must not shape the address handed to the system.
std::optional<std::string> QqChatAddress(std::string_view qq, std::string_view site);
const std::string& NoQqNotice();

struct RowDoubleClick {
  enum class Kind { kNothing, kShowDetail, kCopyOnly, kOpenChat, kNotice };
  Kind kind = Kind::kNothing;
  std::string text;  // the chat address or the notice
  bool operator==(const RowDoubleClick&) const = default;
};
// A double click on `column` of a message row. `member_only_chat` is the main
// grid's rule that only a logged-in non-guest may start a chat; the search
// results panel opens chats without it. kCopyOnly: the row is copied into
// CurrentMessage but its text is empty, so no window opens.
RowDoubleClick DecideRowDoubleClick(int column, const RowCellReader& cell,
                                    const DetailViewer& viewer, bool member_only_chat,
                                    std::string_view site);

}  // namespace tv
