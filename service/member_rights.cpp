// Who may act for a member: the session key of its login, and publications
// that carry the member's own company and contact data only.
#include <ctime>

#include "member_profile.h"
#include "net/member_key.h"
#include "publish/contact_block.h"
#include "service_pages.h"
#include "session_key.h"

namespace tv {
namespace {

// The profile items a member may leave out of its contact line; the phone is
// always in it.
constexpr ContactItem kOptionalItems[] = {ContactItem::kName, ContactItem::kCompany,
                                          ContactItem::kExtension, ContactItem::kMobile,
                                          ContactItem::kNetPhone};

// Whether `line` is one the client composes from `profile` for some choice of
// the contact boxes (the forms and the loop differ only in the choices).
bool IsOwnContactLine(const MemberProfile& profile, std::string_view line) {
  constexpr unsigned kChoices = 1u << std::size(kOptionalItems);
  for (unsigned mask = 0; mask < kChoices; ++mask) {
    ContactChoices choices = ContactChoices::All();
    for (std::size_t i = 0; i < std::size(kOptionalItems); ++i)
      choices.Set(kOptionalItems[i], (mask >> i & 1u) != 0);
    if (ComposeContactLine(profile, choices) == line) return true;
  }
  return false;
}

}  // namespace

Answer KeyRefused(std::string_view word) {
  Answer answer = Encoded(word);
  answer.extra_header = std::string(kSessionHeader) + ": " + std::string(kSessionRefused);
  return answer;
}

bool ServicePages::ActsFor(const Query& q, std::int64_t member) {
  const std::string* key = q.Find(kSessionKeyParam);
  if (key == nullptr || key->empty()) return options_.allow_unsigned_members;
  const auto owner = store_.SessionMember(SessionKeyHash(*key), std::time(nullptr));
  return owner && *owner == member;
}

bool ServicePages::IsOwnPublication(const Member& member, const Query& q) {
  const MemberProfile profile = ProfileOf(member);
  if (q.Get("Msg_Company") != profile.Company) return false;
  // The client sends the net phone whatever its box says; none at all is no
  // one else's either.
  if (const std::string net_phone = q.Get("Msg_NetPhone");
      !net_phone.empty() && net_phone != profile.NetPhone) {
    return false;
  }
  // An empty line is filled from the profile's phone.
  const std::string line = q.Get("Msg_Tel");
  return line.empty() || IsOwnContactLine(profile, line);
}

}  // namespace tv
