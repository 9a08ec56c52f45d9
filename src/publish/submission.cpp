#include "publish/submission.h"

#include "core/gbk.h"
#include "core/gbk_fit.h"

namespace tv {
namespace {

Submission Refuse(SubmitRefusal refusal, std::string notice) {
  return {refusal, std::move(notice), std::nullopt};
}

const std::string& NoRightNotice() { return TV_TEXT("对不起，您暂时没有权限使用该发布功能"); }

}  // namespace

PublishFormGate DecidePublishForm(const MemberProfile& profile, const LoginFlags& flags) {
  using Kind = PublishFormGate::Kind;
  if (flags.GuestMode)
    return {Kind::kOfferRegistration, TV_TEXT("对不起，游客不能发布信息\n\n现在注册会员吗?")};
  if (profile.PublishRight == 0) return {Kind::kRefuse, NoRightNotice()};
  return {};
}

Submission PrepareSubmission(const MemberProfile& profile, const SubmitForm& form) {
  if (profile.PublishRight == 0) return Refuse(SubmitRefusal::kNoRight, NoRightNotice());
  if (form.content.empty())
    return Refuse(SubmitRefusal::kEmpty, TV_TEXT("      发布信息内容不能为空      "));
  if (!form.unsendable.empty()) {
    return Refuse(SubmitRefusal::kUnsendable, TV_TEXT("信息内容中有无法发送的字符: ") +
                                                  DescribeCharacters(form.unsendable) +
                                                  TV_TEXT("\n\n请删除或换成其他文字后再发"));
  }
  const std::string& too_long = TV_TEXT("      发布信息内容太长,请精简后再发      ");
  if (profile.ContentLimit > 0 &&
      CharCount(form.content) >= static_cast<std::size_t>(profile.ContentLimit)) {
    return Refuse(SubmitRefusal::kTooLong, too_long);
  }

  const InfoType type = DeriveInfoType(form.info_type);
  std::optional<PublishRecord> record = PublishRecord::Make({
      .member_city = profile.City,
      .departure_city = form.departure_city,
      .content = form.content,
      .member_number = std::to_string(profile.UserId),
      .contact_line = ComposeContactLine(profile, form.contact),
      .type_code = type.code,
      .history_text = HistoryText(type.name, form.content),
  });
  // Without a limit (or with a large one) a content can outgrow its field, or
  // the history text that adds the type name to it can.
  if (!record) return Refuse(SubmitRefusal::kTooLong, too_long);
  return {SubmitRefusal::kNone, {}, std::move(record)};
}

}  // namespace tv
