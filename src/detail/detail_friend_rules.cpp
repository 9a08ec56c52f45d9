#include "detail/detail_friend_rules.h"

#include <limits>

#include "core/gbk.h"
#include "net/query_encoding.h"

namespace tv {
namespace {

// "＂Company(Flag)＂", the way both the question and the duplicate notice name
// the publisher.
std::string QuotedPublisher(const CurrentMessage& message) {
  return TV_TEXT("＂") + message.Company + "(" + message.Flag + ")" + TV_TEXT("＂");
}

}  // namespace

AddFriendGate AddFriendOpening(const CurrentMessage& message, const DetailViewer& viewer) {
  using Kind = AddFriendGate::Kind;
  if (!viewer.logged_in) return {};
  if (LacksMemberRights(viewer)) return {Kind::kRefuse, TV_TEXT("对不起，您暂时没有权限.")};
  return {Kind::kAsk, TV_TEXT("确定要将") + QuotedPublisher(message) + TV_TEXT("添加为好友吗?")};
}

std::string AddFriendRefusal(const CurrentMessage& message, const DetailViewer& viewer,
                             const FriendListedCheck& listed) {
  if (listed && listed(message.Flag)) {
    return QuotedPublisher(message) + TV_TEXT("已经添加到好友列表,请不要重复添加!");
  }
  if (message.Company.empty()) return TV_TEXT("您要添加好友的公司名称为空,无法添加为好友!");
  if (DecimalValue(message.Flag) == viewer.user_id) return TV_TEXT("您不能添加自己为好友!");
  return {};
}

std::int64_t DecimalValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    int digit = text[i] - '0';
    // Saturate: an absurdly long number must still compare unequal, never wrap.
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return negative ? -value : value;
}

std::string AddFriendPath(const CurrentMessage& message, std::int64_t user_id) {
  // The identifier is digits for every real publisher; encoding it keeps those
  // unchanged while anything else in that server-sent field stays one value.
  return "/qavel/client/GetFrindInfo.asp?action=AddFrindInfo&Msg_Company=" +
         EncodeQueryValue(message.Company) +
         "&Msg_QQ=&Msg_NetPhone=&Msg_Flag=" + EncodeQueryValue(message.Flag) +
         "&UserID=" + std::to_string(user_id);
}

AddFriendAnswer ReadAddFriendAnswer(std::string_view answer) {
  using Kind = AddFriendAnswer::Kind;
  if (answer == kError) return {Kind::kNotice, TV_TEXT("添加失败,请检查网络是否正常连接后重试!")};
  if (!answer.starts_with("AddOK")) return {};
  // "AddOK" and two characters the service puts before the identifier.
  constexpr std::size_t kIdOffset = 7;
  std::string_view id = answer.size() > kIdOffset ? answer.substr(kIdOffset) : std::string_view{};
  if (id.empty()) return {Kind::kNotice, TV_TEXT("添加失败,请稍后重试!")};
  return {Kind::kAdded, std::string(id)};
}

}  // namespace tv
