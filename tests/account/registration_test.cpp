// Registration without widgets: the checks in their order, the request's exact
// bytes, the send loop and the reading of the service's answers.
#include "account/registration.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "account/registration_regions.h"
#include "core/gbk.h"
#include "sample_registration.h"

namespace tv {
namespace {

using Field = RegistrationField;

RegistrationValues Valid() { return test::SampleRegistration(); }

// The notice of each step, in order.
const char* const kNotices[] = {
    "用户名不符合要求\n\n应为4-20个英文或数字,不区分大小写\n\n请重新填写!",
    "会员名不能为汉字",
    "密码不符合要求\n\n应为4-20个英文或数字,不区分大小写\n\n请重新填写!",
    "密码不能为汉字!",
    "两次输入密码不一致,请重新输入!",
    "用户名与密码不能相同,请重新输入!",
    "请如实填写您的真实姓名!",
    "请如实填写公司名称!",
    "请选择您所在地的所属省份!",
    "请选择您所在地的所属城市!",
    "请如实填写公司网址!",
    "请如实填写电话号码区号!",
    "请如实填写电话号码!\n\n如果没有固定电话，请填写手机号码",
    "请如实填写手机号码!",
    "请如实填写内话号码!",
    "请如实填写内机号码!",
    "请如实填写您的E-mail!",
    "请如实填写联系地址!",
    "请如实填写邮政编码!",
};

std::string Bytes(std::size_t n, char c = 'a') { return std::string(n, c); }
std::string Chinese(std::size_t characters) {
  std::string out;
  for (std::size_t i = 0; i < characters; ++i) out += Utf8ToGbk("汉");
  return out;
}

struct CheckCase {
  const char* what;
  std::function<void(RegistrationValues&)> change;
  int step;  // 0: passes
};

TEST(RegistrationChecks, FirstFailingStepWithItsNotice) {
  auto password = [](std::string p) {
    return [p](RegistrationValues& v) { v.password = v.confirm = p; };
  };
  const CheckCase cases[] = {
      {"valid form", [](RegistrationValues&) {}, 0},
      {"user name empty", [](RegistrationValues& v) { v.username.clear(); }, 1},
      {"user name 3 bytes", [](RegistrationValues& v) { v.username = "abc"; }, 1},
      {"user name 4 bytes", [](RegistrationValues& v) { v.username = "abcd"; }, 0},
      {"user name 20 bytes", [](RegistrationValues& v) { v.username = Bytes(20); }, 0},
      {"user name 21 bytes", [](RegistrationValues& v) { v.username = Bytes(21); }, 1},
      {"user name with a Chinese character",
       [](RegistrationValues& v) { v.username = "ab" + Utf8ToGbk("王"); }, 2},
      {"password 3 bytes", password("abc"), 3},
      {"password 4 bytes", password("abcd"), 0},
      {"password 20 bytes", password(Bytes(20, 'p')), 0},
      {"password 21 bytes", password(Bytes(21, 'p')), 3},
      {"password with Chinese", password("ab" + Utf8ToGbk("密码")), 4},
      {"confirmation differs in case only", [](RegistrationValues& v) { v.confirm = "SECRET1"; },
       0},
      {"confirmation differs", [](RegistrationValues& v) { v.confirm = "secret2"; }, 5},
      {"user name equals password but for case",
       [](RegistrationValues& v) { v.username = "Secret1"; }, 6},
      {"personal name empty", [](RegistrationValues& v) { v.real_name.clear(); }, 7},
      {"personal name 10 Chinese (20 bytes)",
       [](RegistrationValues& v) { v.real_name = Chinese(10); }, 0},
      {"personal name 11 Chinese (22 bytes)",
       [](RegistrationValues& v) { v.real_name = Chinese(11); }, 7},
      {"company 100 bytes", [](RegistrationValues& v) { v.company = Bytes(100); }, 0},
      {"company 101 bytes", [](RegistrationValues& v) { v.company = Bytes(101); }, 8},
      {"province left on its placeholder",
       [](RegistrationValues& v) { v.province = ProvincePlaceholder(); }, 9},
      {"no province at all", [](RegistrationValues& v) { v.province.clear(); }, 9},
      // The place is sent as the directory's names: nothing else gets through.
      {"a province the directory does not know",
       [](RegistrationValues& v) { v.province = Utf8ToGbk("火星"); }, 9},
      {"a province's short name", [](RegistrationValues& v) { v.province = Utf8ToGbk("山东"); }, 9},
      {"no city", [](RegistrationValues& v) { v.city.clear(); }, 10},
      {"the city list's placeholder", [](RegistrationValues& v) { v.city = Utf8ToGbk("所属城市"); },
       10},
      {"a city of another province", [](RegistrationValues& v) { v.city = Utf8ToGbk("郑州"); }, 10},
      {"a county in place of its city", [](RegistrationValues& v) { v.city = Utf8ToGbk("历下"); },
       10},
      {"a municipality with its one city",
       [](RegistrationValues& v) {
         v.province = Utf8ToGbk("北京市");
         v.city = Utf8ToGbk("北京");
         v.town = Utf8ToGbk("朝阳");
       },
       0},
      {"web address 50 bytes", [](RegistrationValues& v) { v.url = Bytes(50); }, 0},
      {"web address 51 bytes", [](RegistrationValues& v) { v.url = Bytes(51); }, 11},
      {"area code empty", [](RegistrationValues& v) { v.area_code.clear(); }, 12},
      {"area code 4 digits", [](RegistrationValues& v) { v.area_code = "0531"; }, 0},
      {"area code 5 digits", [](RegistrationValues& v) { v.area_code = "05311"; }, 12},
      {"number of 6 characters", [](RegistrationValues& v) { v.tel_number = "888866"; }, 13},
      {"number of 7 characters", [](RegistrationValues& v) { v.tel_number = "8888666"; }, 0},
      {"number of 50 bytes", [](RegistrationValues& v) { v.tel_number = Bytes(50, '8'); }, 0},
      {"number of 51 bytes", [](RegistrationValues& v) { v.tel_number = Bytes(51, '8'); }, 13},
      {"mobile 51 bytes", [](RegistrationValues& v) { v.mobile = Bytes(51, '1'); }, 14},
      {"telephone two 21 bytes", [](RegistrationValues& v) { v.tel2 = Bytes(21, '2'); }, 15},
      {"telephone two 20 bytes", [](RegistrationValues& v) { v.tel2 = Bytes(20, '2'); }, 0},
      {"QQ 21 bytes", [](RegistrationValues& v) { v.qq = Bytes(21, '9'); }, 16},
      {"e-mail empty", [](RegistrationValues& v) { v.email.clear(); }, 0},
      {"e-mail with @", [](RegistrationValues& v) { v.email = "wang@tarvolo.cn"; }, 0},
      {"e-mail without @", [](RegistrationValues& v) { v.email = "wang.tarvolo.cn"; }, 17},
      {"e-mail of 50 bytes", [](RegistrationValues& v) { v.email = "a@" + Bytes(48); }, 0},
      {"e-mail of 51 bytes", [](RegistrationValues& v) { v.email = "a@" + Bytes(49); }, 17},
      // 0x40 ("@") is also the trail byte of some characters.
      {"e-mail whose only 0x40 is a trail byte",
       [](RegistrationValues& v) { v.email = "wang" + Utf8ToGbk("丂") + "x.cn"; }, 17},
      {"address 200 bytes", [](RegistrationValues& v) { v.address = Bytes(200); }, 0},
      {"address 201 bytes", [](RegistrationValues& v) { v.address = Bytes(201); }, 18},
      {"postal code 8 bytes", [](RegistrationValues& v) { v.post = "25000000"; }, 0},
      {"postal code 9 bytes", [](RegistrationValues& v) { v.post = "250000000"; }, 19},
      {"several failures: the first counts",
       [](RegistrationValues& v) {
         v.username = "abc";
         v.province = ProvincePlaceholder();
         v.email = "none";
       },
       1},
  };
  for (const CheckCase& c : cases) {
    RegistrationValues values = Valid();
    c.change(values);
    const auto problem = CheckRegistration(values);
    if (c.step == 0) {
      EXPECT_FALSE(problem.has_value()) << c.what << ": step " << problem->step;
      continue;
    }
    ASSERT_TRUE(problem.has_value()) << c.what;
    EXPECT_EQ(problem->step, c.step) << c.what;
    EXPECT_EQ(GbkToUtf8(problem->notice), kNotices[problem->step - 1]) << c.what;
  }
}

TEST(RegistrationChecks, FieldsEmptiedAndFocus) {
  struct Case {
    std::function<void(RegistrationValues&)> change;
    std::vector<Field> emptied;
    Field focus;
  };
  const Case cases[] = {
      {[](RegistrationValues& v) { v.username = "abc"; }, {Field::kMemberName}, Field::kMemberName},
      {[](RegistrationValues& v) { v.password = v.confirm = "abc"; },
       {Field::kMemberPassword},
       Field::kMemberPassword},
      // The confirmation alone is typed again.
      {[](RegistrationValues& v) { v.confirm = "other1"; }, {Field::kConfirm}, Field::kConfirm},
      // Name equal to password: a new password, typed twice.
      {[](RegistrationValues& v) { v.password = v.confirm = "WANG01"; },
       {Field::kMemberPassword, Field::kConfirm},
       Field::kMemberPassword},
      {[](RegistrationValues& v) { v.real_name.clear(); }, {Field::kRealName}, Field::kRealName},
      // A list keeps its choice, and every other field stays.
      {[](RegistrationValues& v) { v.province = ProvincePlaceholder(); }, {}, Field::kProvince},
      {[](RegistrationValues& v) { v.city.clear(); }, {}, Field::kCity},
      {[](RegistrationValues& v) { v.area_code = "05311"; }, {Field::kAreaCode}, Field::kAreaCode},
      {[](RegistrationValues& v) { v.tel_number = "123"; }, {Field::kTelNumber}, Field::kTelNumber},
      {[](RegistrationValues& v) { v.qq = Bytes(21, '9'); }, {Field::kQq}, Field::kQq},
      {[](RegistrationValues& v) { v.email = "x"; }, {Field::kEmail}, Field::kEmail},
      {[](RegistrationValues& v) { v.post = Bytes(9, '1'); }, {Field::kPostCode}, Field::kPostCode},
  };
  for (const Case& c : cases) {
    RegistrationValues values = Valid();
    c.change(values);
    const auto problem = CheckRegistration(values);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->emptied, c.emptied) << "step " << problem->step;
    EXPECT_EQ(problem->focus, c.focus) << "step " << problem->step;
  }
}

TEST(RegistrationRequest, SixteenEncodedValuesInOrder) {
  RegistrationValues v = Valid();
  v.password = v.confirm = "p@ss w";
  v.company = Utf8ToGbk("A&B 物流");
  v.url = "http://x.cn/?a=1";
  v.mobile = "138";
  v.tel_number = "8888-6666";
  v.qq = "12345";
  v.email = "a@b.cn";
  EXPECT_EQ(RegistrationPath(v),
            "/qavel/client/Register.asp?action=Reg"
            "&username=wang01"
            "&password=p%40ss+w"
            "&name1=%CD%F5%D0%A1%C3%F7"
            "&sex=%C4%D0"
            "&company=A%26B+%CE%EF%C1%F7"
            "&province=%C9%BD%B6%AB%CA%A1"
            "&city=%BC%C3%C4%CF"
            "&url=http%3A%2F%2Fx%2Ecn%2F%3Fa%3D1"
            "&sj=138"
            "&tel=0531%2D8888%2D6666"
            "&tel1="
            "&sj1=12345"
            "&email=a%40b%2Ecn"
            "&address="
            "&post="
            "&town=%C0%FA%CF%C2");
}

TEST(RegistrationSends, RetriesOnlyWhileTheTransportFails) {
  struct Case {
    std::vector<std::string> results;  // what each send returns
    int sends;
    std::string final;
  };
  const Case cases[] = {
      {{"RegSuccess"}, 1, "RegSuccess"},
      {{"Error", "HasReged"}, 2, "HasReged"},
      {{"Error", "Error", "Error", "RegNoGo"}, 4, "RegNoGo"},
      {{"Error", "Error", "Error", "Error", "RegSuccess"}, 4, "Error"},
      // An empty answer is an answer, not a failed send.
      {{""}, 1, ""},
  };
  for (const Case& c : cases) {
    int sends = 0;
    int pauses = 0;
    const std::string result =
        SendRegistration([&] { return c.results.at(static_cast<std::size_t>(sends++)); },
                         [&] {
                           ++pauses;
                           EXPECT_EQ(pauses, sends) << "a pause between two sends only";
                         });
    EXPECT_EQ(result, c.final);
    EXPECT_EQ(sends, c.sends);
    EXPECT_EQ(pauses, c.sends - 1);
  }
}

TEST(RegistrationAnswer, NoticesAndWhetherTheFormCloses) {
  struct Case {
    std::string answer;
    RegistrationOutcome outcome;
    const char* notice_start;  // the notice begins with this; "" for none
    bool closes;
  };
  const Case cases[] = {
      {"Error", RegistrationOutcome::kNotSent, "注册失败,请检查网络是否已连接!", false},
      {"HasReged", RegistrationOutcome::kNameTaken, "此会员名已被注册,请重新选择会员名注册!",
       false},
      {"RegNoGo", RegistrationOutcome::kAwaitingApproval,
       "信息提交成功,请等待管理员的审核!\n\n如有问题请与管理员联系!", true},
      {"RegSuccess", RegistrationOutcome::kRegistered, "恭喜您,注册成功!", true},
      {"RegSuccess||1234", RegistrationOutcome::kRegistered, "恭喜您,注册成功!", true},
      // Compared whole and with case.
      {"HasReged ", RegistrationOutcome::kOther, "", true},
      {"hasreged", RegistrationOutcome::kOther, "", true},
      {"RegError", RegistrationOutcome::kOther, "", true},
      {"", RegistrationOutcome::kOther, "", true},
  };
  for (const Case& c : cases) {
    const RegistrationReply reply = ReadRegistrationAnswer(c.answer, "wang01");
    EXPECT_EQ(reply.outcome, c.outcome) << c.answer;
    EXPECT_EQ(reply.close_form, c.closes) << c.answer;
    const std::string notice = GbkToUtf8(reply.notice);
    if (*c.notice_start == '\0') {
      EXPECT_EQ(notice, "") << c.answer;
    } else {
      EXPECT_TRUE(notice.starts_with(c.notice_start)) << c.answer << ": " << notice;
    }
  }
  const std::string welcome = ReadRegistrationAnswer("RegSuccess", Utf8ToGbk("wang%s01")).notice;
  EXPECT_NE(welcome.find(Utf8ToGbk("wang%s01")), std::string::npos) << "the name as typed";
}

int IndexOf(const PickerList& list, std::string_view utf8) {
  for (int i = 0; i < list.Size(); ++i) {
    if (GbkToUtf8(list.Items()[static_cast<std::size_t>(i)]) == utf8) return i;
  }
  return -1;
}

TEST(RegistrationRegions, ListsCascadeFromTheirPlaceholders) {
  RegistrationRegionPicker picker;
  auto utf8 = [](std::string_view gbk) { return GbkToUtf8(gbk); };
  EXPECT_EQ(utf8(picker.ProvinceText()), "所属省份");
  EXPECT_EQ(utf8(picker.PrefectureText()), "所属城市");
  EXPECT_EQ(utf8(picker.CountyText()), "所属县区");
  EXPECT_EQ(picker.ProvinceList().Size(), 35);  // the placeholder and the 34 provinces

  // A province: its cities, the first selected, and that city's counties.
  const int shandong = IndexOf(picker.ProvinceList(), "山东省");
  ASSERT_GT(shandong, 0);
  picker.PickProvince(shandong);
  EXPECT_EQ(IndexOf(picker.PrefectureList(), "济南"), 0);
  EXPECT_EQ(utf8(picker.PrefectureText()), "济南");
  EXPECT_EQ(utf8(picker.CountyText()), "历下");

  // A city without counties leaves the county list empty: nothing to send.
  picker.PickProvince(IndexOf(picker.ProvinceList(), "海南省"));
  const int wuzhishan = IndexOf(picker.PrefectureList(), "五指山");
  ASSERT_GE(wuzhishan, 0);
  picker.PickPrefecture(wuzhishan);
  EXPECT_EQ(picker.CountyList().Size(), 0);
  EXPECT_EQ(picker.CountyText(), "");

  // Back to the placeholder: the city list holds only its own placeholder.
  picker.PickProvince(0);
  EXPECT_EQ(picker.ProvinceText(), ProvincePlaceholder());
  ASSERT_EQ(picker.PrefectureList().Size(), 1);
  EXPECT_EQ(utf8(picker.PrefectureText()), "所属城市");
  EXPECT_EQ(picker.CountyList().Size(), 0);
}

}  // namespace
}  // namespace tv
