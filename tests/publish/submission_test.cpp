// "发布" of a form: the refusals in their order, the content limit counted in
// characters, and the record of an accepted submission.
#include <gtest/gtest.h>

#include "publish/submission.h"
#include "publish_test_util.h"

namespace tv {
namespace {

using test::G;
using test::U;

std::string Chinese(std::size_t characters) {
  std::string text;
  for (std::size_t i = 0; i < characters; ++i) text += G("货");
  return text;
}

SubmitForm Form(std::string content) {
  SubmitForm form;
  form.content = std::move(content);
  form.departure_city = G("济宁");
  form.info_type = G("即时货源");
  form.contact = ContactChoices::All();
  return form;
}

TEST(Submission, RefusalsInTheirOrder) {
  const std::string too_long = "      发布信息内容太长,请精简后再发      ";
  struct Case {
    const char* what;
    int right, limit;
    SubmitForm form;
    SubmitRefusal refusal;
    std::string notice;
  } cases[] = {
      {"no right, even when empty", 0, 0, Form(""), SubmitRefusal::kNoRight,
       "对不起，您暂时没有权限使用该发布功能"},
      {"empty", 1, 0, Form(""), SubmitRefusal::kEmpty, "      发布信息内容不能为空      "},
      {"limit reached", 1, 100, Form(Chinese(100)), SubmitRefusal::kTooLong, too_long},
      {"one under the limit", 1, 100, Form(Chinese(99)), SubmitRefusal::kNone, ""},
      {"ASCII counts one a byte", 1, 5, Form("abcd"), SubmitRefusal::kNone, ""},
      {"no limit, content over its field", 1, 0, Form(std::string(400, 'x')),
       SubmitRefusal::kTooLong, too_long},
      {"content fits, history text does not", 1, 0, Form(std::string(394, 'x')),
       SubmitRefusal::kTooLong, too_long},
      {"history text just fits", 1, 0, Form(std::string(393, 'x')), SubmitRefusal::kNone, ""},
  };
  for (const Case& c : cases) {
    MemberProfile p = test::FullProfile();
    p.PublishRight = c.right;
    p.ContentLimit = c.limit;
    const Submission s = PrepareSubmission(p, c.form);
    EXPECT_EQ(s.refusal, c.refusal) << c.what;
    EXPECT_EQ(U(s.notice), c.notice) << c.what;
    EXPECT_EQ(s.record.has_value(), c.refusal == SubmitRefusal::kNone) << c.what;
  }
}

// Asking for a form: who may not publish hears it before filling one in.
TEST(Submission, WhoMayOpenAPublishingForm) {
  using Kind = PublishFormGate::Kind;
  struct Case {
    const char* what;
    int right;
    bool guest;
    Kind kind;
    const char* text;
  } cases[] = {
      {"member with the right", 1, false, Kind::kOpen, ""},
      {"member without it", 0, false, Kind::kRefuse, "对不起，您暂时没有权限使用该发布功能"},
      {"guest", 0, true, Kind::kOfferRegistration, "对不起，游客不能发布信息\n\n现在注册会员吗?"},
  };
  for (const Case& c : cases) {
    MemberProfile profile = test::FullProfile();
    profile.PublishRight = c.right;
    LoginFlags flags;
    flags.GuestMode = c.guest;
    const PublishFormGate gate = DecidePublishForm(profile, flags);
    EXPECT_EQ(gate.kind, c.kind) << c.what;
    EXPECT_EQ(U(gate.text), c.text) << c.what;
  }
}

TEST(Submission, CharactersTheServiceCannotCarryAreNamed) {
  SubmitForm form = Form(G("有货?"));
  form.unsendable = {0x1F69A, 0x20BB7};
  const Submission s = PrepareSubmission(test::FullProfile(), form);
  EXPECT_EQ(s.refusal, SubmitRefusal::kUnsendable);
  EXPECT_EQ(U(s.notice),
            "信息内容中有无法发送的字符: U+1F69A U+20BB7\n\n请删除或换成其他文字后再发");
}

TEST(Submission, ContactLineTooLongForItsFieldIsRefused) {
  MemberProfile p = test::FullProfile();
  p.Phone = std::string(199, '1');
  EXPECT_EQ(PrepareSubmission(p, Form("abc")).refusal, SubmitRefusal::kTooLong);
}

TEST(Submission, AcceptedRecordHoldsTheSevenFields) {
  SubmitForm form = Form(G("济宁→北京,有钢材20吨货"));
  form.departure_city = G("泰安");
  form.info_type = G("即时车源");
  form.contact.Set(ContactItem::kCompany, false);
  const Submission s = PrepareSubmission(test::FullProfile(), form);
  ASSERT_TRUE(s.record);
  const PublishRecord& r = *s.record;
  EXPECT_EQ(U(r.member_city.str()), "济宁");
  EXPECT_EQ(U(r.departure_city.str()), "泰安");
  EXPECT_EQ(U(r.content.str()), "济宁→北京,有钢材20吨货");
  EXPECT_EQ(r.member_number.str(), "1001");
  EXPECT_EQ(U(r.contact_line.str()), "0537-1234567 13900000000 内线:802 张三");
  EXPECT_EQ(r.type_code.str(), "1");
  EXPECT_EQ(U(r.history_text.str()), "车源：济宁→北京,有钢材20吨货");
}

}  // namespace
}  // namespace tv
