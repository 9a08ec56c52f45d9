#include "publish/publish_request.h"

#include "core/gbk.h"
#include "net/query_encoding.h"

namespace tv {

std::string PublishPath(const PublishRecord& record, const MemberProfile& profile, AddSign sign) {
  std::string path = "/qavel/client/SetInfo.asp?action=Client_AddInfo&InfoSign=0&AddSign=";
  path += sign == AddSign::kNewInfo ? "NewInfo" : "LoopInfo";
  path += "&Msg_Code=" + EncodeQueryValue(record.member_city.str());
  path += "&Msg_Type=" + record.type_code.str();
  path += "&Msg_Content=" + EncodeQueryValue(record.content.str());
  path += "&Msg_Tel=" + EncodeQueryValue(record.contact_line.str());
  path += "&Msg_Flag=" + record.member_number.str();
  path += "&Msg_StartCity=" + EncodeQueryValue(record.departure_city.str());
  path += "&Msg_NetPhone=" + EncodeQueryValue(profile.NetPhone);
  path += "&Msg_Company=" + EncodeQueryValue(profile.Company);
  path += "&InfoNum=" + std::to_string(profile.InfoNum);
  return path;
}

std::string InfoIdPath(std::string_view member_number) {
  // The member number is a decimal we wrote ourselves; encoding it changes
  // nothing for digits and keeps anything else from reaching the query raw.
  return "/qavel/client/GetInfo.asp?action=GetInfoID&Msg_Flag=" + EncodeQueryValue(member_number);
}

std::string NewStringPath(std::string_view content) {
  return "/qavel/client/GetNewString.asp?action=GetNew&oldString=" + EncodeQueryValue(content);
}

PublishReply ClassifyPublishReply(std::string_view reply) {
  if (reply == kError || reply.empty()) return PublishReply::kFailure;
  if (reply == "AddError") return PublishReply::kDuplicate;
  if (reply == "AddFull") return PublishReply::kQuotaFull;
  if (reply == "AddOK") return PublishReply::kAccepted;
  return PublishReply::kOther;
}

const std::string& PublishReplyNotice(PublishReply reply) {
  static const std::string kNone;
  switch (reply) {
    case PublishReply::kFailure:
      return TV_TEXT("信息发送失败,请检查网络是否正常或与网管中心联系!");
    case PublishReply::kDuplicate:
      return TV_TEXT("      相同信息不能重复发布    \n\n       请更改发布信息的内容!    ");
    case PublishReply::kQuotaFull:
      return TV_TEXT(
          "您今天发布的信息条数已经达到规定要求\n\n如果想增加发布的信息条数,请与管理员联系!");
    case PublishReply::kAccepted:
    case PublishReply::kOther:
      break;
  }
  return kNone;
}

bool PublishGate::TryPass(Clock::time_point now, int wait_seconds) {
  if (wait_seconds <= 0) return true;
  if (!Ready(now)) return false;
  reopens_at_ = now + std::chrono::seconds(wait_seconds);
  return true;
}

std::string GateNotice(int wait_seconds) {
  return TV_TEXT("您刚刚发布完信息,请 ") + std::to_string(wait_seconds) + TV_TEXT(" 秒后发布!");
}

InfoRecord OwnMessageRecord(const PublishRecord& record, std::string_view info_id,
                            std::string_view display_text, const MemberProfile& profile,
                            std::string_view time_text) {
  InfoRecord row;
  row.InfoID = info_id;
  row.City = record.member_city.str();
  row.Type = record.type_code.str();
  row.Content = display_text;
  row.Tel = record.contact_line.str();
  row.QQ = profile.NetPhone;
  row.Company = profile.Company;
  row.Flag = record.member_number.str();
  row.Deal.push_back('0');  // not = "0": GCC 12 at -O3 warns of a false overlap
  row.Time = time_text;
  return row;
}

}  // namespace tv
