#include "detail/detail_decisions.h"

#include <algorithm>

#include "core/gbk.h"
#include "grid/marked_text.h"

namespace tv {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CurrentMessage CurrentMessageFromRow(const RowCellReader& cell) {
  CurrentMessage message;
  message.InfoID = cell(kColInfoId);
  message.City = cell(kColCity);
  message.TypeWord = cell(kColTypeWord);
  message.Content = cell(kColContent);
  message.Tel = cell(kColTel);
  message.Flag = cell(kColFlag);
  message.Time = cell(kColTime);
  message.Deal = cell(kColDeal);
  message.Company = cell(kColCompany);
  return message;
}

DetailViewer ViewerOf(const MemberProfile& profile, const LoginFlags& flags, bool logged_in) {
  DetailViewer viewer;
  viewer.logged_in = logged_in;
  viewer.guest_mode = flags.GuestMode;
  viewer.no_contact_rights = flags.NoContactRights;
  viewer.ordinary_member = flags.OrdinaryMember;
  viewer.contact_wait_flag = profile.ContactWaitFlag;
  viewer.contact_wait_seconds = profile.ContactWaitSeconds;
  viewer.user_id = profile.UserId;
  return viewer;
}

bool LacksMemberRights(const DetailViewer& viewer) {
  return viewer.no_contact_rights || viewer.guest_mode || viewer.ordinary_member;
}

std::string DetailContentText(const CurrentMessage& message) {
  return message.TypeWord + ":" + StripTextMarkers(message.Content);
}

bool ContactHidden(const DetailViewer& viewer, bool wait_flag) {
  return viewer.no_contact_rights || viewer.guest_mode || wait_flag;
}

std::string ContactText(const CurrentMessage& message, const DetailViewer& viewer, bool wait_flag) {
  if (ContactHidden(viewer, wait_flag)) {
    return TV_TEXT("VIP会员查看电话号码无需等待，普通会员请稍等...");
  }
  return message.Tel;
}

std::optional<std::int64_t> ContactCountdownSeconds(const DetailViewer& viewer) {
  // Only an ordinary member waits; the other two flags hide the telephone for good.
  if (!viewer.ordinary_member || viewer.no_contact_rights || viewer.guest_mode) {
    return std::nullopt;
  }
  if (viewer.contact_wait_flag != 1) return std::nullopt;
  return viewer.contact_wait_seconds;
}

std::string CountdownText(std::int64_t seconds_total) {
  return TV_TEXT("请不要关闭本窗口，") + std::to_string(seconds_total) +
         TV_TEXT("秒后将自动显示联系方式，倒计时");
}

StatusLine DealStatus(const CurrentMessage& message) {
  if (message.Deal == "1") return {TV_TEXT("已成交！"), kDetailBlue};
  if (message.Flag == "0") return {TV_TEXT("未知！"), kDetailGrey};
  return {TV_TEXT("未成交！"), kDetailRed};
}

std::string SourceText(const CurrentMessage& message) {
  return message.Flag == "0" ? TV_TEXT("人工/坐席") : TV_TEXT("用户发布");
}

bool SourceLinkActs(const CurrentMessage& message) { return message.Flag != "0"; }

SourceClick DecideSourceClick(const CurrentMessage& message, const DetailViewer& viewer) {
  if (!SourceLinkActs(message)) return {};
  if (LacksMemberRights(viewer)) {
    return {SourceClick::Kind::kNotice, TV_TEXT("对不起，您暂时没有权限查看会员资料.")};
  }
  return {SourceClick::Kind::kOpenProfile, message.Flag};
}

std::optional<std::string> QqChatAddress(std::string_view qq, std::string_view site) {
  if (!AllDigits(qq)) return std::nullopt;
  std::string address = "tencent://message/?uin=";
  address.append(qq);
  address.append("&Site=");
  address.append(site);
  address.append("&Menu=yes");
  return address;
}

const std::string& NoQqNotice() {
  return TV_TEXT("对不起！该用户没有开通“QQ”，\n\n您无法跟他进行“在线交谈”。");
}

RowDoubleClick DecideRowDoubleClick(int column, const RowCellReader& cell,
                                    const DetailViewer& viewer, bool member_only_chat,
                                    std::string_view site) {
  using Kind = RowDoubleClick::Kind;
  if (column == kColTypeIcon || column == kColRowText) {
    if (cell(kColRowText).empty()) return {Kind::kCopyOnly, {}};
    return {Kind::kShowDetail, {}};
  }
  if (column == kColMessengerIcon) {
    if (member_only_chat && (!viewer.logged_in || viewer.guest_mode)) return {};
    if (auto address = QqChatAddress(cell(kColQQ), site)) return {Kind::kOpenChat, *address};
    return {Kind::kNotice, NoQqNotice()};
  }
  return {};
}

}  // namespace tv
