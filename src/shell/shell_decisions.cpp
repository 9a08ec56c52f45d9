#include "shell/shell_decisions.h"

#include "core/build_constants.h"
#include "core/gbk.h"
#include "net/query_encoding.h"
#include "net/service_host.h"

namespace tv {

std::string MainWindowTitle(const MemberProfile& profile) {
  const std::string site =
      profile.SiteTitle.empty() ? Utf8ToGbk(kProductTitleUtf8) : profile.SiteTitle;
  const std::string line =
      profile.ServiceLine.empty() ? Utf8ToGbk(kHotlineUtf8) : profile.ServiceLine;
  return site + " " + line;
}

bool MaskLocked(bool contact_always_masked, bool logged_in, const LoginFlags& flags) {
  return contact_always_masked || (logged_in && flags.Masked());
}

std::string WebPageAddress(std::string_view web_host, std::string_view path) {
  return ServiceUrl(web_host, path);
}

std::string AdvertAddress(int which, std::string_view feed_host, std::string_view city) {
  return ServiceUrl(feed_host, "/qavel/client/adv/adv0" + std::to_string(which) +
                                   ".asp?city=" + EncodeQueryValue(city));
}

OwnMessagesChoice DecideOwnMessages(bool logged_in, const LoginFlags& flags, std::string_view host,
                                    std::int64_t user_id) {
  if (!logged_in) return {};
  if (flags.NoContactRights || flags.GuestMode) {
    return {OwnMessagesChoice::Kind::kRefuse, TV_TEXT("对不起，您暂时没有权限查看.")};
  }
  return {OwnMessagesChoice::Kind::kOpen,
          ServiceUrl(host, "/qavel/manager/myinfos.asp?userid=" + std::to_string(user_id))};
}

std::optional<std::string> MemberProfileAddress(std::string_view host, std::string_view user_id) {
  if (user_id.empty() || user_id == "0") return std::nullopt;
  return ServiceUrl(host, "/qavel/manager/showmeminfo.asp?userid=" + EncodeQueryValue(user_id));
}

}  // namespace tv
