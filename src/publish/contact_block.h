#pragma once
// The contact block of the publishing forms: six check boxes over the
// member's profile, and the contact line they compose. GBK throughout.
#include <array>
#include <string>
#include <string_view>

#include "net/login_answer.h"
#include "settings/values.h"

namespace tv {

// Which profile items go into a contact line.
class ContactChoices {
 public:
  static ContactChoices All();
  bool operator[](ContactItem item) const { return on_[static_cast<std::size_t>(item)]; }
  void Set(ContactItem item, bool on) { on_[static_cast<std::size_t>(item)] = on; }
  bool operator==(const ContactChoices&) const = default;

 private:
  std::array<bool, 6> on_{};
};

// The telephone part and the names: phone first, then mobile and extension
// (each left out when unticked or shorter than 3 bytes), company, name. The
// net phone is never in the line; it travels in a request field of its own,
// but whether it is ticked changes the telephone part's format.
std::string ComposeContactLine(const MemberProfile& profile, const ContactChoices& choices);

// A form's box is ticked when its stored text is "1", absent ("Error") or
// empty.
bool FormChoiceFromText(std::string_view stored);
// The loop re-send reads the same settings by its own rule: mobile,
// extension and net phone count as chosen when absent, empty or "1"; name and
// company only when a text other than "0" is stored. (The forms' boxes tick an
// absent name, the loop leaves it out.)
bool LoopChoiceFromText(ContactItem item, std::string_view stored);

// The choices from the settings store at this moment, by each rule.
ContactChoices ReadFormContactChoices();
ContactChoices ReadLoopContactChoices();

// One box of the block as the form shows it.
struct ContactBox {
  ContactItem item;
  std::string caption;  // the profile value, or the designed caption when it is empty
  bool enabled;
  bool checked;
};
// The six boxes in the order the block fills them (电话, 手机, 内线, 网络电话,
// 姓名, 公司名称). A box whose profile value is empty is disabled with its
// designed caption; "电话" is always disabled, since every line carries it.
std::array<ContactBox, 6> InitContactBlock(const MemberProfile& profile,
                                           const ContactChoices& choices);
// The designed caption of a box ("手机/小灵通/移动电话" ...), GBK.
const std::string& DesignedContactCaption(ContactItem item);

}  // namespace tv
