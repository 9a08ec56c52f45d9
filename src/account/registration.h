#include "net/query_encoding.h"
#pragma once
// Member registration without widgets: the form's values, the checks that run
// in order on submit, the request they become, the sends and how the service's
// one-word answer is read. Every text is GBK.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The form's inputs, top to bottom.
enum class RegistrationField {
  kMemberName,
  kMemberPassword,
  kConfirm,
  kRealName,
  kSex,
  kCompany,
  kProvince,
  kCity,
  kTown,
  kUrl,
  kAreaCode,
  kTelNumber,
  kMobile,
  kTel2,
  kQq,
  kEmail,
  kAddress,
  kPostCode,
};

struct RegistrationValues {
  std::string username;
  std::string password;
  std::string confirm;  // checked, never sent
  std::string real_name;
  std::string sex;
  std::string company;
  std::string province;  // the placeholder "所属省份" until one is chosen
  std::string city;
  std::string town;
  std::string url;
  std::string area_code;
  std::string tel_number;
  std::string mobile;
  std::string tel2;
  std::string qq;
  std::string email;
  std::string address;
  std::string post;
};

// The first check that failed: its number (1 to 19, in the order they run),
// the notice, the inputs to empty and the one to take the focus.
struct RegistrationProblem {
  int step = 0;
  std::string notice;
  std::vector<RegistrationField> emptied;
  RegistrationField focus = RegistrationField::kMemberName;
};

// Runs the checks in order and stops at the first failure; nullopt when the
// values may be sent. Lengths are in bytes of GBK.
std::optional<RegistrationProblem> CheckRegistration(const RegistrationValues& values);

// The province list's first entry, which means "none chosen".
const std::string& ProvincePlaceholder();

// "/qavel/client/Register.asp?action=Reg&username=...": the sixteen values in
// the order the page takes them, each through EncodeQueryValue; `tel` is the
// area code and the number joined by "-".
std::string RegistrationPath(const RegistrationValues& values);

// Sends at most this many times while the transport fails, with a pause of
// kRegistrationPauseMs between two sends.
inline constexpr int kRegistrationSends = 4;
inline constexpr int kRegistrationPauseMs = 100;

// The send loop: `send` is one exchange ("Error" on failure), `pause` waits
// between two sends. Returns the last result. Blocking: run it on a worker.
std::string SendRegistration(const std::function<std::string()>& send,
                             const std::function<void()>& pause);
// The request sent as POST to `host` with the transport, with real pauses.
std::string SendRegistrationRequest(const std::string& host, const RegistrationValues& values);

enum class RegistrationOutcome {
  kNotSent,           // every send failed
  kNameTaken,         // "HasReged"
  kAwaitingApproval,  // "RegNoGo"
  kRegistered,        // "RegSuccess..."
  kOther,             // anything else
};

// What the form does with an answer: the notice to show (empty: none) and
// whether it closes.
struct RegistrationReply {
  RegistrationOutcome outcome = RegistrationOutcome::kOther;
  std::string notice;
  bool close_form = false;
};

// Reads SendRegistration's result; `username` goes into the congratulation.
RegistrationReply ReadRegistrationAnswer(std::string_view answer, std::string_view username);

}  // namespace tv
