// The contact line composed from the profile a login answer gives, for the
// ticked boxes: it starts with the telephone, never depends on the net
// phone's text, stays GBK where the profile was, is bounded by the profile's
// field capacities, and reaches a publication whole or not at all.
//
// Input: one byte of ticked boxes, then the decoded login answer.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/gbk.h"
#include "net/login_answer.h"
#include "publish/contact_block.h"
#include "publish/submission.h"
#include "text_checks.h"

namespace {

constexpr tv::ContactItem kItems[] = {tv::ContactItem::kTel,       tv::ContactItem::kMobile,
                                      tv::ContactItem::kExtension, tv::ContactItem::kNetPhone,
                                      tv::ContactItem::kName,      tv::ContactItem::kCompany};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const unsigned ticks = tv::fuzz::TakeByte(input);
  const tv::LoginAnswer answer = tv::ParseLoginAnswer(input);
  if (!answer.ok()) return 0;
  const tv::MemberProfile& p = answer.profile;

  tv::ContactChoices choices;
  for (std::size_t i = 0; i < std::size(kItems); ++i) choices.Set(kItems[i], (ticks >> i) & 1);
  const std::string line = tv::ComposeContactLine(p, choices);

  TV_REQUIRE(line.compare(0, p.Phone.size(), p.Phone) == 0);
  // The five texts, the blanks between them and "内线:": nothing else.
  TV_REQUIRE(line.size() <= p.Phone.size() + p.Mobile.size() + p.Extension.size() +
                                p.Company.size() + p.RealName.size() + 16);
  if (tv::fuzz::AllValidGbk({p.Phone, p.Mobile, p.Extension, p.Company, p.RealName}))
    TV_REQUIRE(tv::fuzz::IsValidGbk(line));

  // The net phone travels on its own: only whether it is there counts.
  tv::MemberProfile other = p;
  other.NetPhone = p.NetPhone.size() >= 3 ? "000" : "";
  TV_REQUIRE(tv::ComposeContactLine(other, choices) == line);

  // Unticked, the name and the company are not in the line.
  tv::ContactChoices without = choices;
  without.Set(tv::ContactItem::kName, false);
  without.Set(tv::ContactItem::kCompany, false);
  const std::string bare = tv::ComposeContactLine(p, without);
  TV_REQUIRE(bare.size() >= p.Phone.size() + 1 && bare.back() == ' ');

  // The boxes: "电话" never enabled, an empty value shows the designed caption.
  for (const tv::ContactBox& box : tv::InitContactBlock(p, choices)) {
    TV_REQUIRE(!box.caption.empty() && box.checked == choices[box.item]);
    if (box.item == tv::ContactItem::kTel) TV_REQUIRE(!box.enabled);
  }

  // A publication carries the line whole, or is refused.
  tv::MemberProfile member = p;
  member.PublishRight = 1;
  member.ContentLimit = 0;
  tv::SubmitForm form;
  form.content = "x";
  form.departure_city = p.City;
  form.info_type = TV_TEXT("即时货源");
  form.contact = choices;
  const tv::Submission submission = tv::PrepareSubmission(member, form);
  if (submission.record) {
    TV_REQUIRE(submission.record->contact_line.str() == line);
  } else {
    TV_REQUIRE(submission.refusal == tv::SubmitRefusal::kTooLong &&
               line.size() >= decltype(tv::PublishRecord::contact_line)::kCapacity);
  }
  return 0;
}
