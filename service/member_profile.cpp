#include "member_profile.h"

#include <vector>

#include "core/gbk.h"

namespace tv {
namespace {

constexpr std::string_view kProfileSeparator = "@@@@@";

}  // namespace

std::string ProfileText(const Member& m, std::string_view session_key) {
  std::vector<std::string> f;
  f.push_back(std::to_string(m.id));
  f.push_back(m.real_name);
  f.push_back(m.sex);
  f.push_back(m.company);
  f.push_back(m.phone);
  f.push_back(m.mobile);
  f.push_back(std::to_string(m.member_status));
  if (m.member_status < 0) {
    f.push_back(std::to_string(m.contact_wait_flag));
    f.push_back(std::to_string(m.contact_wait_seconds));
  }
  f.push_back(std::to_string(m.publish_right));
  f.push_back("0");
  f.push_back(TV_TEXT("Tarvolo 配货信息网"));
  f.push_back(TV_TEXT("客服热线: 400-810-6688"));
  f.push_back(m.net_phone);
  f.push_back(m.extension);
  f.push_back(m.city);
  f.push_back(m.province);
  f.push_back("");
  f.push_back(std::string(session_key));
  f.push_back("");
  f.push_back("");
  f.push_back(std::to_string(m.publish_wait_seconds));
  f.push_back(std::to_string(m.info_num));
  f.push_back(std::to_string(m.content_limit));
  for (int i = 0; i < 3; ++i) f.push_back("0");
  f.push_back("");
  f.push_back("");
  std::string out(kProfileSeparator);
  for (const auto& field : f) out.append(field).append(kProfileSeparator);
  return out;
}

MemberProfile ProfileOf(const Member& member) {
  return ParseLoginAnswer(ProfileText(member, {})).profile;
}

}  // namespace tv
