#pragma once
// The login answer: a keyword ("NotGoSign", "UserOrPassError", ...) or a
// profile record whose fields each stand between two "@@@@@" separators.
// Pure: the caller sends the request, shows the notice and keeps the result.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The member's data for the run. Texts are GBK, cut to their field capacity
// (capacity - 1 bytes, never inside a double-byte character).
struct MemberProfile {
  std::int32_t UserId = 0;
  std::string RealName;                 // capacity 20
  std::string Sex;                      // 5
  std::string Company;                  // 100
  std::string Phone;                    // 200, required
  std::string Mobile;                   // 200
  std::int32_t MemberStatus = 0;        // negative: ordinary member
  std::int32_t ContactWaitFlag = 0;     // only for ordinary members
  std::int32_t ContactWaitSeconds = 0;  // only for ordinary members
  std::int32_t PublishRight = 0;
  std::int32_t Reserved9 = 0;
  std::string SiteTitle;    // 200
  std::string ServiceLine;  // 200
  std::string NetPhone;     // 200
  std::string Extension;    // 200
  std::string City;         // 50
  std::string Province;     // 50
  std::string Reserved16;   // 200
  // 100: field 17, reserved by the answer's layout; our service puts the
  // member's session key here (net/member_key.h), other servers leave it empty.
  std::string SessionKey;
  std::string Reserved18;  // 200
  std::string Reserved19;  // 10
  std::int32_t PublishWaitSeconds = 0;
  std::int32_t InfoNum = 0;
  std::int32_t ContentLimit = 0;
  std::int32_t Reserved23 = 0;
  std::int32_t Reserved24 = 0;
  std::int32_t Reserved25 = 0;
  std::string Reserved26;  // 10
  std::string Reserved27;  // 10

  bool operator==(const MemberProfile&) const = default;
};

// Any of the three makes the client mask contact data and refuse
// member-only functions.
struct LoginFlags {
  bool GuestMode = false;        // entered through the guest button (set by the caller)
  bool NoContactRights = false;  // answer "NotGoSign" / "NotGoInSign"
  bool OrdinaryMember = false;   // MemberStatus < 0

  bool Masked() const { return GuestMode || NoContactRights || OrdinaryMember; }
  bool operator==(const LoginFlags&) const = default;
};

enum class LoginOutcome {
  kLoggedIn,        // profile and flags are valid
  kNetworkFailure,  // "Error" or empty answer
  kUnknownUser,     // "UserOrPassError"
  kWrongPassword,   // "PassError"
  kEmptyPhone,      // the Phone field is empty
  kNoStatus,        // the MemberStatus field is empty
};

struct LoginAnswer {
  LoginOutcome outcome = LoginOutcome::kNetworkFailure;
  MemberProfile profile;  // cleared unless kLoggedIn
  LoginFlags flags;       // NoContactRights / OrdinaryMember; GuestMode never set here
  bool ok() const { return outcome == LoginOutcome::kLoggedIn; }
};

LoginAnswer ParseLoginAnswer(std::string_view answer);

// The notice a failed login shows (GBK, blanks included); empty for kLoggedIn.
const std::string& LoginNotice(LoginOutcome outcome);

// The profile of a visitor and of a member without contact rights: nothing but
// PublishRight 0, City "北京", Province "北京市".
MemberProfile GuestProfile();

// Names of the 27 profile fields in answer order (7a/7b included), for
// diagnostics: "UserId", "RealName", ...
struct ProfileFieldText {
  const char* name;
  std::string value;  // GBK text or decimal number
};
std::vector<ProfileFieldText> DescribeProfile(const MemberProfile& profile);

}  // namespace tv
