#include "publish/contact_block.h"

#include "core/gbk.h"
#include "settings/store.h"

namespace tv {
namespace {

constexpr std::array<ContactItem, 6> kAllItems = {ContactItem::kName,   ContactItem::kCompany,
                                                  ContactItem::kTel,    ContactItem::kExtension,
                                                  ContactItem::kMobile, ContactItem::kNetPhone};

// A number shorter than three bytes is no number to call.
bool Present(const ContactChoices& choices, ContactItem item, const std::string& value) {
  return choices[item] && value.size() >= 3;
}

}  // namespace

ContactChoices ContactChoices::All() {
  ContactChoices choices;
  for (ContactItem item : kAllItems) choices.Set(item, true);
  return choices;
}

std::string ComposeContactLine(const MemberProfile& profile, const ContactChoices& choices) {
  const bool extension = Present(choices, ContactItem::kExtension, profile.Extension);
  const bool net_phone = Present(choices, ContactItem::kNetPhone, profile.NetPhone);
  const bool mobile = Present(choices, ContactItem::kMobile, profile.Mobile);
  const std::string& phone = profile.Phone;
  const std::string inner = TV_TEXT("内线:");

  // The eight formats, trailing blanks included, as members' lines have
  // always read.
  std::string tel;
  if (!extension) {
    if (mobile)
      tel = phone + " " + profile.Mobile;
    else
      tel = net_phone ? phone + " " : phone;
  } else if (mobile) {
    tel = phone + " " + profile.Mobile + " " + inner + profile.Extension;
  } else {
    tel = phone + " " + inner + profile.Extension + (net_phone ? "" : " ");
  }

  const std::string name = choices[ContactItem::kName] ? profile.RealName : std::string();
  const std::string company = choices[ContactItem::kCompany] ? profile.Company : std::string();
  if (!company.empty()) return tel + " " + company + " " + name;
  return tel + " " + name;
}

bool FormChoiceFromText(std::string_view stored) {
  return stored == kError || stored.empty() || stored == "1";
}

bool LoopChoiceFromText(ContactItem item, std::string_view stored) {
  if (item == ContactItem::kName || item == ContactItem::kCompany)
    return stored != kError && !stored.empty() && stored != "0";
  return FormChoiceFromText(stored);
}

ContactChoices ReadFormContactChoices() {
  ContactChoices choices;
  for (ContactItem item : kAllItems)
    choices.Set(item, FormChoiceFromText(ReadSetting(kMainKey, ContactItemSettingName(item))));
  return choices;
}

ContactChoices ReadLoopContactChoices() {
  ContactChoices choices;
  for (ContactItem item : kAllItems)
    choices.Set(item,
                LoopChoiceFromText(item, ReadSetting(kMainKey, ContactItemSettingName(item))));
  return choices;
}

const std::string& DesignedContactCaption(ContactItem item) {
  switch (item) {
    case ContactItem::kTel:
      return TV_TEXT("电话");
    case ContactItem::kExtension:
      return TV_TEXT("内线");
    case ContactItem::kMobile:
      return TV_TEXT("手机/小灵通/移动电话");
    case ContactItem::kNetPhone:
      return TV_TEXT("网络电话");
    case ContactItem::kCompany:
      return TV_TEXT("公司名称");
    case ContactItem::kName:
      break;
  }
  return TV_TEXT("姓名");
}

std::array<ContactBox, 6> InitContactBlock(const MemberProfile& profile,
                                           const ContactChoices& choices) {
  struct Source {
    ContactItem item;
    const std::string& value;
    std::string caption;
  };
  const Source sources[6] = {
      {ContactItem::kTel, profile.Phone, profile.Phone},
      {ContactItem::kMobile, profile.Mobile, profile.Mobile},
      {ContactItem::kExtension, profile.Extension, TV_TEXT("内线:") + profile.Extension},
      {ContactItem::kNetPhone, profile.NetPhone, TV_TEXT("网络电话:") + profile.NetPhone},
      {ContactItem::kName, profile.RealName, profile.RealName},
      {ContactItem::kCompany, profile.Company, profile.Company},
  };
  std::array<ContactBox, 6> boxes{};
  for (std::size_t i = 0; i < 6; ++i) {
    const Source& source = sources[i];
    const bool has_value = !source.value.empty();
    boxes[i] = {source.item, has_value ? source.caption : DesignedContactCaption(source.item),
                has_value && source.item != ContactItem::kTel, choices[source.item]};
  }
  return boxes;
}

}  // namespace tv
