#include "shell/shell_decisions.h"

#include <charconv>

#include "core/ascii.h"
#include "core/build_constants.h"
#include "core/gbk.h"
#include "net/member_key.h"
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
                                    std::int64_t user_id, std::string_view session_key) {
  if (!logged_in) return {};
  if (flags.NoContactRights || flags.GuestMode) {
    return {OwnMessagesChoice::Kind::kRefuse, TV_TEXT("对不起，您暂时没有权限查看.")};
  }
  return {OwnMessagesChoice::Kind::kOpen,
          ServiceUrl(host,
                     WithSessionKey("/qavel/manager/myinfos.asp?userid=" + std::to_string(user_id),
                                    session_key))};
}

std::optional<std::string> MemberProfileAddress(std::string_view host, std::string_view user_id) {
  if (user_id.empty() || user_id == "0") return std::nullopt;
  return ServiceUrl(host, "/qavel/manager/showmeminfo.asp?userid=" + EncodeQueryValue(user_id));
}

namespace {

// The name and port of an authority: "host", "host:port", "[v6]" or
// "[v6]:port".
bool SplitHost(std::string_view text, std::string_view& host, int& port) {
  port = -1;
  std::string_view rest;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    host = text.substr(1, close - 1);
    rest = text.substr(close + 1);
  } else {
    const std::size_t colon = text.find(':');
    host = text.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : text.substr(colon);
  }
  if (host.empty()) return false;
  if (rest.empty()) return true;
  if (rest.size() < 2 || rest[0] != ':') return false;
  const char* end = rest.data() + rest.size();
  const auto [ptr, ec] = std::from_chars(rest.data() + 1, end, port);
  return ec == std::errc{} && ptr == end && port > 0 && port < 65536;
}

}  // namespace

WebLinkAction DecideWebLink(const WebLink& link, const std::vector<std::string>& own_hosts) {
  const bool http = link.scheme == "http";
  if ((!http && link.scheme != "https") || link.host.empty()) return WebLinkAction::kIgnore;
  const int default_port = http ? 80 : 443;
  for (const std::string& own : own_hosts) {
    const std::optional<ServiceHost> service = ParseServiceHost(own);
    std::string_view host;
    int port = -1;
    if (!service || !SplitHost(service->authority, host, port) || !EqualsNoCase(host, link.host)) {
      continue;
    }
    bool port_matches;
    if (service->tls) {
      // A host reached over TLS is never followed into plain HTTP.
      port_matches = !http && (link.port < 0 ? 443 : link.port) == (port < 0 ? 443 : port);
    } else {
      port_matches = port < 0 ? link.port < 0 || link.port == default_port
                              : link.port == port || (link.port < 0 && port == default_port);
    }
    if (port_matches) return WebLinkAction::kFollow;
  }
  return WebLinkAction::kAskBrowser;
}

}  // namespace tv
