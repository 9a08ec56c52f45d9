#pragma once
// The request paths of the feed, the page fetches, the identifier polls, the
// totals and the friends list. Region and friend texts are GBK and are
// encoded here; nothing the member or the server typed reaches a path raw.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// What the feed shows: the request family.
enum ViewDirection : int {
  kDeparting = 0,
  kArriving = 1,
  kFriend = 2,
  kWholeCountry = 8,
};

// The "inType" values.
inline constexpr int kViewCargo = 0;
inline constexpr int kViewTrucks = 1;
inline constexpr int kViewBoth = 8;

// "全国信息", "全国货源" or "全国车源".
bool IsWholeCountryRegion(std::string_view region_code);
// The reload and the poll switch to the whole country for those regions.
int DeriveDirection(int direction, std::string_view region_code);

struct ViewQuery {
  int direction = kDeparting;  // already derived where the caller derives it
  int view_type = kViewBoth;
  std::string_view region_code;
  std::string_view friend_id;
};

// "GetTopDatas" of the view.
std::string FirstPagePath(const ViewQuery& view);
// "GetTopDatas" of the member's own city right after login.
std::string StartFeedPath(std::string_view member_city, int view_type);
// "GetNewDatas" after `max_id`; none for a friend's messages.
std::optional<std::string> NewRecordsPath(const ViewQuery& view, std::string_view max_id);
// "GetCurDatas" from `start_num`; "TotalNum" is the client's own count.
std::string PagePath(const ViewQuery& view, std::int32_t start_num, std::int32_t total_num);

enum class IdListKind { kDeleted, kClosed };
std::string MaxIdPath(IdListKind kind);
std::string IdListPath(IdListKind kind, std::string_view max_id);

std::string TotalsPath();

}  // namespace tv
