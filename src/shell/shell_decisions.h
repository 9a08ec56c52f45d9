#pragma once
// What the main window decides from the member and its own settings, worked
// out without widgets: the title after login, when the masking toggle is
// locked, and the addresses of the pages it opens. Texts are GBK; addresses
// are ASCII (every value from the member or the server goes through the
// query encoding).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/login_answer.h"

namespace tv {

// SiteTitle and ServiceLine joined by a blank; the build's own title and
// hotline stand in for empty ones.
std::string MainWindowTitle(const MemberProfile& profile);

// Masking is forced on and cannot be toggled: always when the store says
// contact data are always masked, and once logged in for guests and members
// without full contact rights.
bool MaskLocked(bool contact_always_masked, bool logged_in, const LoginFlags& flags);

// A page of the web site: the host (plain, or "https://" host) and the path.
std::string WebPageAddress(std::string_view web_host, std::string_view path);

// The advert page `which` (1 or 2) for the member's city, on the feed host.
std::string AdvertAddress(int which, std::string_view feed_host, std::string_view city);

// "我发布的信息": nothing before login, a refusal for guests and members
// without contact rights, otherwise the member's own messages page, with the
// session key of the login (the page takes it for a session of its own, so
// the member acts on its messages without typing its password again).
struct OwnMessagesChoice {
  enum class Kind { kNothing, kRefuse, kOpen };
  Kind kind = Kind::kNothing;
  std::string text;  // the refusal notice, or the page's address
  bool operator==(const OwnMessagesChoice&) const = default;
};
OwnMessagesChoice DecideOwnMessages(bool logged_in, const LoginFlags& flags, std::string_view host,
                                    std::int64_t user_id, std::string_view session_key = {});

// A member's profile page; nothing for an empty identifier or "0".
std::optional<std::string> MemberProfileAddress(std::string_view host, std::string_view user_id);

// Where a link in one of the embedded web views may lead. The views show the
// service's own pages only: another site's page could dress itself up as the
// service, and a local file or another program is never a page's business.
struct WebLink {
  std::string scheme;  // lower case, as the address parser gives it
  std::string host;    // lower case, without the brackets of an IPv6 address
  int port = -1;       // -1: none written in the address
};
enum class WebLinkAction {
  kFollow,      // a page of the service: shown in the view
  kAskBrowser,  // a page of another web site: the desktop's browser, if the member agrees
  kIgnore,      // any other address: nothing at all
};
// `own_hosts`: this run's portal, web and data hosts as the client is given
// them (net/service_host.h; empty and refused ones are skipped). A plain
// host without a port is the service's on the default port of http or
// https, with a port on that port only; an "https://" host only in https.
WebLinkAction DecideWebLink(const WebLink& link, const std::vector<std::string>& own_hosts);

}  // namespace tv
