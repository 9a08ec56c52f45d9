// The contact block: which profile items a contact line carries and in which
// of its eight telephone formats; the two readings of the stored check boxes.
#include <gtest/gtest.h>

#include "publish/contact_block.h"
#include "publish_test_util.h"
#include "settings/store.h"
#include "tests/settings/temp_store.h"

namespace tv {
namespace {

using test::G;
using test::U;

MemberProfile ShortProfile() {
  MemberProfile p;
  p.Phone = "0537";
  p.Mobile = "139";
  p.Extension = "802";
  p.NetPhone = "880";
  p.Company = G("顺达");
  p.RealName = G("张三");
  return p;
}

ContactChoices Choices(bool extension, bool net_phone, bool mobile, bool company = true,
                       bool name = true) {
  ContactChoices c = ContactChoices::All();
  c.Set(ContactItem::kExtension, extension);
  c.Set(ContactItem::kNetPhone, net_phone);
  c.Set(ContactItem::kMobile, mobile);
  c.Set(ContactItem::kCompany, company);
  c.Set(ContactItem::kName, name);
  return c;
}

TEST(ContactLine, TelephonePartTakesOneOfEightFormats) {
  struct Case {
    bool extension, net_phone, mobile;
    const char* telephone;  // trailing blanks belong to the format
  } cases[] = {
      {false, false, false, "0537"},          {false, false, true, "0537 139"},
      {false, true, false, "0537 "},          {false, true, true, "0537 139"},
      {true, false, false, "0537 内线:802 "}, {true, false, true, "0537 139 内线:802"},
      {true, true, false, "0537 内线:802"},   {true, true, true, "0537 139 内线:802"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(U(ComposeContactLine(ShortProfile(), Choices(c.extension, c.net_phone, c.mobile))),
              std::string(c.telephone) + " 顺达 张三")
        << c.extension << c.net_phone << c.mobile;
  }
}

TEST(ContactLine, ValuesShorterThanThreeBytesCountAsAbsent) {
  MemberProfile p = ShortProfile();
  p.Mobile = "13";
  p.NetPhone = "88";
  // All ticked, but only the extension is long enough: "present, omitted, omitted".
  EXPECT_EQ(U(ComposeContactLine(p, ContactChoices::All())), "0537 内线:802  顺达 张三");
  p.Extension = "";
  EXPECT_EQ(U(ComposeContactLine(p, ContactChoices::All())), "0537 顺达 张三");
}

TEST(ContactLine, CompanyAndNameFollowTheirBoxes) {
  MemberProfile p = ShortProfile();
  p.Mobile = p.Extension = p.NetPhone = "";
  struct Case {
    bool company, name;
    std::string company_value;
    const char* line;
  } cases[] = {
      {true, true, G("顺达"), "0537 顺达 张三"}, {false, true, G("顺达"), "0537 张三"},
      {false, false, G("顺达"), "0537 "},  // "%s %s" with an empty name
      {true, false, G("顺达"), "0537 顺达 "},    {true, true, "", "0537 张三"},
  };
  for (const Case& c : cases) {
    p.Company = c.company_value;
    EXPECT_EQ(U(ComposeContactLine(p, Choices(true, true, true, c.company, c.name))), c.line);
  }
}

TEST(ContactLine, WholeProfileInOrder) {
  EXPECT_EQ(U(ComposeContactLine(test::FullProfile(), ContactChoices::All())),
            "0537-1234567 13900000000 内线:802 顺达物流 张三");
}

TEST(ContactChoicesFromSettings, FormsAndLoopReadTheStoredTextsDifferently) {
  struct Case {
    std::string stored;
    bool form, loop_name, loop_mobile;
  } cases[] = {
      {"Error", true, false, true},  // absent
      {"", true, false, true},      {"1", true, true, true},
      {"0", false, false, false},   {"2", false, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormChoiceFromText(c.stored), c.form) << c.stored;
    EXPECT_EQ(LoopChoiceFromText(ContactItem::kName, c.stored), c.loop_name) << c.stored;
    EXPECT_EQ(LoopChoiceFromText(ContactItem::kCompany, c.stored), c.loop_name) << c.stored;
    EXPECT_EQ(LoopChoiceFromText(ContactItem::kMobile, c.stored), c.loop_mobile) << c.stored;
    EXPECT_EQ(LoopChoiceFromText(ContactItem::kNetPhone, c.stored), c.loop_mobile) << c.stored;
  }
}

TEST(ContactChoicesFromSettings, LoopLeavesOutNameAndCompanyNeverStored) {
  test::TempDir dir;
  UseSettingsStore(SettingsStore::Open(dir.File("settings.db")));
  const MemberProfile p = test::FullProfile();
  const std::string form_line = ComposeContactLine(p, ReadFormContactChoices());
  const std::string loop_line = ComposeContactLine(p, ReadLoopContactChoices());
  EXPECT_EQ(U(form_line), "0537-1234567 13900000000 内线:802 顺达物流 张三");
  EXPECT_EQ(U(loop_line), "0537-1234567 13900000000 内线:802 ");

  ASSERT_TRUE(WriteSetting(kMainKey, kContactName, "1"));
  ASSERT_TRUE(WriteSetting(kMainKey, kContactMobile, "0"));
  EXPECT_EQ(U(ComposeContactLine(p, ReadLoopContactChoices())), "0537-1234567 内线:802 张三");
  UseSettingsStore(nullptr);
}

TEST(ContactBlock, CaptionsAndStatesFollowTheProfile) {
  ContactChoices choices = ContactChoices::All();
  choices.Set(ContactItem::kCompany, false);
  const auto boxes = InitContactBlock(test::FullProfile(), choices);
  struct Expected {
    ContactItem item;
    const char* caption;
    bool enabled, checked;
  } expected[] = {
      {ContactItem::kTel, "0537-1234567", false, true},
      {ContactItem::kMobile, "13900000000", true, true},
      {ContactItem::kExtension, "内线:802", true, true},
      {ContactItem::kNetPhone, "网络电话:88001", true, true},
      {ContactItem::kName, "张三", true, true},
      {ContactItem::kCompany, "顺达物流", true, false},
  };
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].item, expected[i].item) << i;
    EXPECT_EQ(U(boxes[i].caption), expected[i].caption) << i;
    EXPECT_EQ(boxes[i].enabled, expected[i].enabled) << i;
    EXPECT_EQ(boxes[i].checked, expected[i].checked) << i;
  }

  // Empty values keep the designed captions and cannot be clicked.
  const auto empty = InitContactBlock(MemberProfile{}, ContactChoices::All());
  const char* designed[] = {"电话", "手机/小灵通/移动电话", "内线", "网络电话", "姓名", "公司名称"};
  for (std::size_t i = 0; i < empty.size(); ++i) {
    EXPECT_EQ(U(empty[i].caption), designed[i]) << i;
    EXPECT_FALSE(empty[i].enabled) << i;
  }
}

}  // namespace
}  // namespace tv
