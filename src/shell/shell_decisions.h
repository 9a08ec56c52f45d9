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
// without contact rights, otherwise the member's own messages page.
struct OwnMessagesChoice {
  enum class Kind { kNothing, kRefuse, kOpen };
  Kind kind = Kind::kNothing;
  std::string text;  // the refusal notice, or the page's address
  bool operator==(const OwnMessagesChoice&) const = default;
};
OwnMessagesChoice DecideOwnMessages(bool logged_in, const LoginFlags& flags, std::string_view host,
                                    std::int64_t user_id);

// A member's profile page; nothing for an empty identifier or "0".
std::optional<std::string> MemberProfileAddress(std::string_view host, std::string_view user_id);

}  // namespace tv
