// The member pages: login, registration and the friends list.
#include <string>
#include <vector>

#include "core/ascii.h"
#include "core/gbk.h"
#include "member_profile.h"
#include "password.h"
#include "regions/region_directory.h"
#include "service_pages.h"
#include "session_key.h"
#include "text_match.h"

namespace tv {
namespace {

// What a freshly registered member gets: an ordinary member who waits ten
// seconds for contact data and may publish every thirty seconds.
constexpr int kNewMemberStatus = -1;
constexpr int kNewMemberWaitSeconds = 10;
constexpr int kNewMemberPublishWait = 30;

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.';
}

// Any printable ASCII, blanks too: the form takes every byte below 128.
bool IsPasswordByte(char c) { return c >= ' ' && c < 0x7F; }

template <typename Pred>
bool AllBytes(std::string_view text, Pred pred) {
  for (char c : text) {
    if (!pred(c)) return false;
  }
  return true;
}

}  // namespace

Answer ServicePages::Login(const Query& q, std::string_view) { return LoginFrom(q, ""); }

Answer ServicePages::LoginFrom(const Query& q, std::string_view peer) {
  const std::string* user = q.Find("username");
  const std::string* password = q.Find("password");
  if (q.Get("action") != "Login_Client" || !user || !password) return BadRequest();
  const LoginThrottle::Verdict verdict = login_throttle_.Before(*user, peer);
  const auto held = [&verdict](Answer answer) {
    answer.hold = verdict.hold;
    return answer;
  };
  if (!verdict.check) return held(Encoded("UserOrPassError"));
  auto found = store_.FindLogin(*user);
  if (!found || !VerifyPassword(found->second, *password)) {
    login_throttle_.After(*user, peer, false);
    return held(Encoded(found ? "PassError" : "UserOrPassError"));
  }
  login_throttle_.After(*user, peer, true);
  const Member& member = found->first;
  // Awaiting approval or without contact rights: in, but with nothing shown.
  if (!member.contact_right || !member.approved || member.disabled) {
    return held(Encoded("NotGoSign"));
  }
  store_.NoteLogin(member.id);
  // A member whose session could not be stored still logs in; the member
  // pages then refuse it, and the client tries a new login for them.
  std::string key = NewSessionKey().value_or(std::string());
  const std::time_t expires = std::time(nullptr) + kSessionLifetime.count() * 3600;
  if (!key.empty() && !store_.AddSession(member.id, SessionKeyHash(key), expires)) key.clear();
  return held(Encoded(ProfileText(member, key)));
}

Answer ServicePages::Register(const Query& q, std::string_view) {
  if (q.Get("action") != "Reg") return BadRequest();
  for (const char* key : {"username", "password", "name1", "province", "tel"}) {
    if (!q.Has(key)) return BadRequest();
  }
  const std::string user = q.Get("username");
  const std::string password = q.Get("password");
  const std::string name = StoredText(q.Get("name1"), 20);
  // The form checks all of this before sending; a request that skipped the
  // form is refused as a whole rather than stored half right.
  const bool valid = user.size() >= 4 && user.size() <= 20 && AllBytes(user, IsNameByte) &&
                     password.size() >= 4 && password.size() <= 20 &&
                     AllBytes(password, IsPasswordByte) && !EqualsNoCase(user, password) &&
                     !name.empty() && !q.Get("province").empty() && q.Get("tel").size() >= 3;
  if (!valid) return Encoded("RegError");
  // Where the member sits decides the list it sees first and the caption
  // over it: only a place of the region directory is taken, named exactly
  // as the form's lists name it (blanks included).
  const std::string province = q.Get("province");
  const std::string city = q.Get("city");
  const std::string town = q.Get("town");
  if (CheckPlace(province, city, town) != PlaceFault::kNone) return Encoded("RegError");

  Member m;
  m.username = user;
  m.real_name = name;
  m.sex = StoredText(q.Get("sex"), 4);
  m.company = StoredText(q.Get("company"), 100);
  m.province = province;
  m.city = city;
  m.url = StoredText(q.Get("url"), 50);
  m.mobile = StoredText(q.Get("sj"), 50);
  m.phone = StoredText(q.Get("tel"), 60);
  m.extension = StoredText(q.Get("tel1"), 20);
  m.net_phone = StoredText(q.Get("sj1"), 20);
  m.email = StoredText(q.Get("email"), 50);
  m.address = StoredText(q.Get("address"), 200);
  m.post = StoredText(q.Get("post"), 8);
  m.town = town;
  m.member_status = kNewMemberStatus;
  m.contact_wait_flag = 1;
  m.contact_wait_seconds = kNewMemberWaitSeconds;
  m.publish_wait_seconds = kNewMemberPublishWait;
  m.approved = !options_.approve;

  if (store_.FindLogin(user)) return Encoded("HasReged");
  auto hash = HashPassword(password);
  if (!hash) return {500, "", "text/plain"};
  if (store_.AddMember(m, *hash) == 0) return Encoded("HasReged");  // lost a race for the name
  return Encoded(options_.approve ? "RegNoGo" : "RegSuccess");
}

Answer ServicePages::Friends(const Query& q, std::string_view) {
  const std::string action = q.Get("action");
  auto id = ParseNumber(q.Get("UserID"));
  if (!id) return BadRequest();
  if (action == "GetFrindInfo") {
    // Someone else's list reads as an empty one.
    if (!ActsFor(q, *id)) return KeyRefused("@@");
    std::string text = "@@";
    for (const auto& f : store_.Friends(*id)) {
      text += std::to_string(f.entry_id) + "||" + f.company + "||" + f.qq + "||" + f.net_phone +
              "||" + std::to_string(f.friend_id) + "@@";
    }
    return Encoded(text);
  }
  if (action == "DelFrindInfo") {
    // Here UserID carries the entry identifier of the friends list.
    const auto owner = store_.FriendOwner(*id);
    if (!owner) return Encoded("DelError");
    if (!ActsFor(q, *owner)) return KeyRefused("DelError");
    return Encoded(store_.DeleteFriend(*owner, *id) ? "DelOK" : "DelError");
  }
  if (action == "AddFrindInfo") {
    auto friend_id = ParseNumber(q.Get("Msg_Flag"));
    if (!friend_id) return BadRequest();
    if (!ActsFor(q, *id)) return KeyRefused("AddError");
    FriendEntry e;
    e.friend_id = *friend_id;
    e.company = StoredText(q.Get("Msg_Company"), 100);
    e.qq = StoredText(q.Get("Msg_QQ"), 20);
    e.net_phone = StoredText(q.Get("Msg_NetPhone"), 20);
    if (e.company.empty()) {
      if (auto member = store_.FindMember(e.friend_id)) e.company = member->company;
    }
    auto entry = store_.AddFriend(*id, e);
    if (!entry) return Encoded("AddError");
    return Encoded("AddOK||" + std::to_string(*entry));
  }
  return BadRequest();
}

}  // namespace tv
