#include "feed/feed_requests.h"

#include "core/gbk.h"
#include "net/query_encoding.h"

namespace tv {
namespace {

std::string Num(std::int64_t n) { return std::to_string(n); }

}  // namespace

bool IsWholeCountryRegion(std::string_view region_code) {
  return region_code == TV_TEXT("全国信息") || region_code == TV_TEXT("全国货源") ||
         region_code == TV_TEXT("全国车源");
}

int DeriveDirection(int direction, std::string_view region_code) {
  return IsWholeCountryRegion(region_code) ? kWholeCountry : direction;
}

std::string FirstPagePath(const ViewQuery& v) {
  switch (v.direction) {
    case kDeparting:
      return "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" +
             EncodeQueryValue(v.region_code) + "&inType=" + Num(v.view_type);
    case kArriving:
      return "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&KeyWords=" +
             EncodeQueryValue(v.region_code) + "&inType=" + Num(v.view_type);
    case kFriend:
      return "/qavel/client/GetInfoByID.asp?action=GetTopDatas&Msg_Flag=" +
             EncodeQueryValue(v.friend_id);
    default:
      return "/qavel/client/GetSearchInfo.asp?action=GetTopDatas&inType=" + Num(v.view_type);
  }
}

std::string StartFeedPath(std::string_view member_city, int view_type) {
  return "/qavel/client/GetInfo.asp?action=GetTopDatas&Code=" + EncodeQueryValue(member_city) +
         "&inType=" + Num(view_type);
}

std::optional<std::string> NewRecordsPath(const ViewQuery& v, std::string_view max_id) {
  const std::string maxid = EncodeQueryValue(max_id);
  switch (v.direction) {
    case kDeparting:
      return "/qavel/client/GetInfo.asp?action=GetNewDatas&maxid=" + maxid +
             "&Code=" + EncodeQueryValue(v.region_code) + "&inType=" + Num(v.view_type);
    case kArriving:
      return "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=" + maxid +
             "&KeyWords=" + EncodeQueryValue(v.region_code) + "&inType=" + Num(v.view_type);
    case kFriend:
      return std::nullopt;
    default:
      return "/qavel/client/GetSearchInfo.asp?action=GetNewDatas&maxid=" + maxid +
             "&inType=" + Num(v.view_type);
  }
}

std::string PagePath(const ViewQuery& v, std::int32_t start_num, std::int32_t total_num) {
  const std::string s = Num(start_num);
  const std::string n = Num(total_num);
  switch (v.direction) {
    case kDeparting:
      return "/qavel/client/GetInfo.asp?action=GetCurDatas&Code=" +
             EncodeQueryValue(v.region_code) + "&StartNum=" + s + "&TotalNum=" + n +
             "&inType=" + Num(v.view_type);
    case kArriving:
      return "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=" + s + "&TotalNum=" + n +
             "&KeyWords=" + EncodeQueryValue(v.region_code) + "&inType=" + Num(v.view_type);
    case kFriend:
      return "/qavel/client/GetInfoByID.asp?action=GetCurDatas&StartNum=" + s + "&TotalNum=" + n +
             "&Msg_Flag=" + EncodeQueryValue(v.friend_id);
    default:
      return "/qavel/client/GetSearchInfo.asp?action=GetCurDatas&StartNum=" + s + "&TotalNum=" + n;
  }
}

std::string MaxIdPath(IdListKind kind) {
  return kind == IdListKind::kDeleted ? "/qavel/client/GetDelInfo.asp?action=GetMaxID"
                                      : "/qavel/client/GetSuccessInfo.asp?action=GetMaxID";
}

std::string IdListPath(IdListKind kind, std::string_view max_id) {
  const std::string maxid = EncodeQueryValue(max_id);
  return kind == IdListKind::kDeleted
             ? "/qavel/client/GetDelInfo.asp?action=GetNewDelInfoID&maxid=" + maxid
             : "/qavel/client/GetSuccessInfo.asp?action=GetNewSuccessInfoID&maxid=" + maxid;
}

std::string TotalsPath() { return "/qavel/client/GetTNums.asp?action=getnum"; }

}  // namespace tv
