#include "account/registration.h"

#include <chrono>
#include <initializer_list>
#include <thread>
#include <utility>

#include "core/ascii.h"
#include "core/gbk.h"
#include "net/query_encoding.h"
#include "net/transport.h"
#include "regions/region_directory.h"

namespace tv {
namespace {

using Field = RegistrationField;

bool LengthWithin(std::string_view text, std::size_t low, std::size_t high) {
  return text.size() >= low && text.size() <= high;
}

bool AllAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// "@" as a character of its own: 0x40 is also a trail byte of many GBK
// characters, and one of those is no address.
bool HasAtSign(std::string_view gbk) {
  for (std::size_t i = 0; i < gbk.size();) {
    const auto c = static_cast<unsigned char>(gbk[i]);
    if (c == '@') return true;
    i += IsLeadByte(c) && i + 1 < gbk.size() ? 2 : 1;
  }
  return false;
}

RegistrationProblem Problem(int step, const char* notice_utf8, std::initializer_list<Field> emptied,
                            Field focus) {
  return {step, Utf8ToGbk(notice_utf8), std::vector<Field>(emptied), focus};
}

// One check: the field it concerns and whether the values pass it.
struct Check {
  const char* notice_utf8;
  Field field;
  bool (*passes)(const RegistrationValues&);
};

// Steps 5, 6, 9 and 10 empty other fields than their own (or none); the rest
// empty the field they check and put the focus there.
constexpr Check kChecks[] = {
    {"用户名不符合要求\n\n应为4-20个英文或数字,不区分大小写\n\n请重新填写!", Field::kMemberName,
     [](const RegistrationValues& v) { return LengthWithin(v.username, 4, 20); }},
    {"会员名不能为汉字", Field::kMemberName,
     [](const RegistrationValues& v) { return AllAscii(v.username); }},
    {"密码不符合要求\n\n应为4-20个英文或数字,不区分大小写\n\n请重新填写!", Field::kMemberPassword,
     [](const RegistrationValues& v) { return LengthWithin(v.password, 4, 20); }},
    {"密码不能为汉字!", Field::kMemberPassword,
     [](const RegistrationValues& v) { return AllAscii(v.password); }},
    {"两次输入密码不一致,请重新输入!", Field::kConfirm,
     [](const RegistrationValues& v) { return EqualsNoCase(v.confirm, v.password); }},
    {"用户名与密码不能相同,请重新输入!", Field::kMemberPassword,
     [](const RegistrationValues& v) { return !EqualsNoCase(v.username, v.password); }},
    {"请如实填写您的真实姓名!", Field::kRealName,
     [](const RegistrationValues& v) { return LengthWithin(v.real_name, 1, 20); }},
    {"请如实填写公司名称!", Field::kCompany,
     [](const RegistrationValues& v) { return v.company.size() <= 100; }},
    {"请选择您所在地的所属省份!", Field::kProvince,
     // The service keeps the place as the directory's names: only those are
     // sent.
     [](const RegistrationValues& v) {
       return CheckPlace(v.province, v.city, {}) != PlaceFault::kProvince;
     }},
    {"请选择您所在地的所属城市!", Field::kCity,
     [](const RegistrationValues& v) {
       return HasChild(RegionTable::kCountyDirectory, v.province, v.city);
     }},
    {"请如实填写公司网址!", Field::kUrl,
     [](const RegistrationValues& v) { return v.url.size() <= 50; }},
    {"请如实填写电话号码区号!", Field::kAreaCode,
     [](const RegistrationValues& v) { return LengthWithin(v.area_code, 1, 4); }},
    {"请如实填写电话号码!\n\n如果没有固定电话，请填写手机号码", Field::kTelNumber,
     [](const RegistrationValues& v) { return LengthWithin(v.tel_number, 7, 50); }},
    {"请如实填写手机号码!", Field::kMobile,
     [](const RegistrationValues& v) { return v.mobile.size() <= 50; }},
    {"请如实填写内话号码!", Field::kTel2,
     [](const RegistrationValues& v) { return v.tel2.size() <= 20; }},
    {"请如实填写内机号码!", Field::kQq,
     [](const RegistrationValues& v) { return v.qq.size() <= 20; }},
    {"请如实填写您的E-mail!", Field::kEmail,
     [](const RegistrationValues& v) {
       return v.email.empty() || (v.email.size() <= 50 && HasAtSign(v.email));
     }},
    {"请如实填写联系地址!", Field::kAddress,
     [](const RegistrationValues& v) { return v.address.size() <= 200; }},
    {"请如实填写邮政编码!", Field::kPostCode,
     [](const RegistrationValues& v) { return v.post.size() <= 8; }},
};

void AppendPair(std::string& out, std::string_view key, std::string_view value) {
  out.push_back('&');
  out.append(key);
  out.push_back('=');
  out.append(EncodeQueryValue(value));
}

}  // namespace

const std::string& ProvincePlaceholder() { return TV_TEXT("所属省份"); }

std::optional<RegistrationProblem> CheckRegistration(const RegistrationValues& values) {
  int step = 0;
  for (const Check& check : kChecks) {
    ++step;
    if (check.passes(values)) continue;
    switch (step) {
      case 5:  // only the confirmation is typed again
        return Problem(step, check.notice_utf8, {Field::kConfirm}, Field::kConfirm);
      case 6:  // a new password, typed twice
        return Problem(step, check.notice_utf8, {Field::kMemberPassword, Field::kConfirm},
                       Field::kMemberPassword);
      case 9:  // the lists: nothing to empty
      case 10:
        return Problem(step, check.notice_utf8, {}, check.field);
      default:
        return Problem(step, check.notice_utf8, {check.field}, check.field);
    }
  }
  return std::nullopt;
}

std::string RegistrationPath(const RegistrationValues& v) {
  std::string path = "/qavel/client/Register.asp?action=Reg";
  const std::string tel = v.area_code + "-" + v.tel_number;
  const std::pair<std::string_view, const std::string*> pairs[] = {
      {"username", &v.username}, {"password", &v.password},
      {"name1", &v.real_name},   {"sex", &v.sex},
      {"company", &v.company},   {"province", &v.province},
      {"city", &v.city},         {"url", &v.url},
      {"sj", &v.mobile},         {"tel", &tel},
      {"tel1", &v.tel2},         {"sj1", &v.qq},
      {"email", &v.email},       {"address", &v.address},
      {"post", &v.post},         {"town", &v.town},
  };
  for (const auto& [key, value] : pairs) AppendPair(path, key, *value);
  return path;
}

std::string SendRegistration(const std::function<std::string()>& send,
                             const std::function<void()>& pause) {
  std::string result = send();
  for (int sent = 1; result == kError && sent < kRegistrationSends; ++sent) {
    pause();
    result = send();
  }
  return result;
}

std::string SendRegistrationRequest(const std::string& host, const RegistrationValues& values) {
  const std::string path = RegistrationPath(values);
  return SendRegistration(
      [&] { return FetchEncodedPage("POST", host, path); },
      [] { std::this_thread::sleep_for(std::chrono::milliseconds(kRegistrationPauseMs)); });
}

RegistrationReply ReadRegistrationAnswer(std::string_view answer, std::string_view username) {
  if (answer == kError) {
    return {RegistrationOutcome::kNotSent, TV_TEXT("注册失败,请检查网络是否已连接!"), false};
  }
  if (answer == "HasReged") {
    return {RegistrationOutcome::kNameTaken, TV_TEXT("此会员名已被注册,请重新选择会员名注册!"),
            false};
  }
  if (answer == "RegNoGo") {
    return {RegistrationOutcome::kAwaitingApproval,
            TV_TEXT("信息提交成功,请等待管理员的审核!\n\n如有问题请与管理员联系!"), true};
  }
  if (answer.starts_with("RegSuccess")) {
    std::string notice = TV_TEXT("恭喜您,注册成功!\n\n您的会员名是: ");
    notice.append(username);
    notice += TV_TEXT("\n\n请用会员名和密码登录.");
    return {RegistrationOutcome::kRegistered, std::move(notice), true};
  }
  return {RegistrationOutcome::kOther, std::string(), true};
}

}  // namespace tv
