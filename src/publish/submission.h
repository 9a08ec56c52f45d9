#pragma once
// The checks behind a form's "发布" and the publication they produce: the
// right to publish, an empty or unsendable or too long content, the contact
// line, the type, the record. Pure; GBK throughout.
#include <optional>
#include <string>
#include <vector>

#include "net/login_answer.h"
#include "publish/contact_block.h"
#include "publish/publish_record.h"

namespace tv {

// What a form hands over at "发布".
struct SubmitForm {
  std::string content;               // the editor's text in GBK
  std::vector<char32_t> unsendable;  // characters of the editor GBK cannot hold
  std::string departure_city;        // the selected "发布城市" prefecture
  std::string info_type;             // the selected "信息类型:" text
  ContactChoices contact;
};

enum class SubmitRefusal { kNone, kNoRight, kEmpty, kUnsendable, kTooLong };

struct Submission {
  SubmitRefusal refusal = SubmitRefusal::kNone;
  std::string notice;                   // GBK, blanks included; empty when accepted
  std::optional<PublishRecord> record;  // set when accepted
};

// Who may open a publishing form: a member with the right to publish. A
// guest is asked whether to register; a member without the right is told,
// before it fills a whole form (the check on sending stays).
struct PublishFormGate {
  enum class Kind { kOpen, kRefuse, kOfferRegistration };
  Kind kind = Kind::kOpen;
  std::string text;  // GBK: the notice, or the question to a guest
  bool operator==(const PublishFormGate&) const = default;
};
PublishFormGate DecidePublishForm(const MemberProfile& profile, const LoginFlags& flags);

// In this order: no right to publish; an empty content; characters the
// service cannot carry (the notice names them); a content of ContentLimit
// characters or more (counted from the end), or a content, contact line or
// history text too long for the record.
Submission PrepareSubmission(const MemberProfile& profile, const SubmitForm& form);

}  // namespace tv
