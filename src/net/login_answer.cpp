#include "net/login_answer.h"

#include <string>

#include "core/gbk.h"
#include "net/answers.h"

namespace tv {
namespace {

constexpr std::string_view kProfileSep = "@@@@@";

// Cuts a server text to a field's capacity (including the terminating zero
// the fixed fields once had), never inside a double-byte character.
std::string FitField(std::string_view text, std::size_t capacity) {
  const std::size_t limit = capacity - 1;
  if (text.size() <= limit) return std::string(text);
  std::size_t end = 0;
  while (end < limit) {
    const std::size_t width =
        IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

// Reads the fields one after another: each stands between the separator found
// last and the next one. A field whose separators touch is empty; once no
// closing separator is left, every further field is missing. Either way the
// target keeps its cleared value.
class ProfileReader {
 public:
  enum class Field { kRead, kEmpty, kMissing };

  explicit ProfileReader(std::string_view answer)
      : answer_(answer), sep_(FindSeparator(answer, kProfileSep)) {}

  Field Int(std::int32_t& out) {
    std::string_view text;
    const Field field = Next(text);
    if (field == Field::kRead) out = LeadingInt(text);
    return field;
  }
  Field Text(std::string& out, std::size_t capacity) {
    std::string_view text;
    const Field field = Next(text);
    if (field == Field::kRead) out = FitField(text, capacity);
    return field;
  }

 private:
  Field Next(std::string_view& text) {
    if (sep_ == std::string_view::npos) return Field::kMissing;
    const std::size_t begin = sep_ + kProfileSep.size();
    sep_ = FindSeparator(answer_, kProfileSep, begin);
    if (sep_ == std::string_view::npos) return Field::kMissing;
    if (sep_ == begin) return Field::kEmpty;
    text = answer_.substr(begin, sep_ - begin);
    return Field::kRead;
  }

  std::string_view answer_;
  std::size_t sep_;
};

}  // namespace

MemberProfile GuestProfile() {
  MemberProfile profile;
  profile.PublishRight = 0;
  profile.City = TV_TEXT("北京");
  profile.Province = TV_TEXT("北京市");
  return profile;
}

LoginAnswer ParseLoginAnswer(std::string_view answer) {
  LoginAnswer result;
  if (answer.empty() || answer == kError) {
    result.outcome = LoginOutcome::kNetworkFailure;
    return result;
  }
  if (answer == "UserOrPassError") {
    result.outcome = LoginOutcome::kUnknownUser;
    return result;
  }
  if (answer == "PassError") {
    result.outcome = LoginOutcome::kWrongPassword;
    return result;
  }
  if (answer == "NotGoSign" || answer == "NotGoInSign") {
    result.outcome = LoginOutcome::kLoggedIn;
    result.flags.NoContactRights = true;
    result.profile = GuestProfile();
    return result;
  }

  using Field = ProfileReader::Field;
  MemberProfile& p = result.profile;
  ProfileReader read(answer);
  read.Int(p.UserId);
  read.Text(p.RealName, 20);
  read.Text(p.Sex, 5);
  read.Text(p.Company, 100);
  if (read.Text(p.Phone, 200) == Field::kEmpty) {
    result.outcome = LoginOutcome::kEmptyPhone;
    result.profile = MemberProfile{};
    return result;
  }
  read.Text(p.Mobile, 200);
  if (read.Int(p.MemberStatus) == Field::kEmpty) {
    result.outcome = LoginOutcome::kNoStatus;
    result.profile = MemberProfile{};
    return result;
  }
  if (p.MemberStatus < 0) {
    result.flags.OrdinaryMember = true;
    read.Int(p.ContactWaitFlag);
    read.Int(p.ContactWaitSeconds);
  }
  read.Int(p.PublishRight);
  read.Int(p.Reserved9);
  read.Text(p.SiteTitle, 200);
  read.Text(p.ServiceLine, 200);
  read.Text(p.NetPhone, 200);
  read.Text(p.Extension, 200);
  read.Text(p.City, 50);
  read.Text(p.Province, 50);
  read.Text(p.Reserved16, 200);
  read.Text(p.SessionKey, 100);
  read.Text(p.Reserved18, 200);
  read.Text(p.Reserved19, 10);
  read.Int(p.PublishWaitSeconds);
  read.Int(p.InfoNum);
  read.Int(p.ContentLimit);
  read.Int(p.Reserved23);
  read.Int(p.Reserved24);
  read.Int(p.Reserved25);
  read.Text(p.Reserved26, 10);
  read.Text(p.Reserved27, 10);
  result.outcome = LoginOutcome::kLoggedIn;
  return result;
}

const std::string& LoginNotice(LoginOutcome outcome) {
  static const std::string kNone;
  switch (outcome) {
    case LoginOutcome::kLoggedIn:
      return kNone;
    case LoginOutcome::kNetworkFailure:
      return TV_TEXT("     登录失败,请检查网络是否连接正常!     ");
    case LoginOutcome::kUnknownUser:
      return TV_TEXT("      用户名错误或者此用户名不存在!      ");
    case LoginOutcome::kWrongPassword:
      return TV_TEXT("      密码错误!      ");
    case LoginOutcome::kEmptyPhone:
      return TV_TEXT("     会员电话号码为空,请修改资料后重新登录!     ");
    case LoginOutcome::kNoStatus:
      return TV_TEXT("     获取数据失败,请重新登录或与网管中心联系!     ");
  }
  return kNone;
}

std::vector<ProfileFieldText> DescribeProfile(const MemberProfile& p) {
  const auto num = [](std::int32_t value) { return std::to_string(value); };
  return {
      {"UserId", num(p.UserId)},
      {"RealName", p.RealName},
      {"Sex", p.Sex},
      {"Company", p.Company},
      {"Phone", p.Phone},
      {"Mobile", p.Mobile},
      {"MemberStatus", num(p.MemberStatus)},
      {"ContactWaitFlag", num(p.ContactWaitFlag)},
      {"ContactWaitSeconds", num(p.ContactWaitSeconds)},
      {"PublishRight", num(p.PublishRight)},
      {"Reserved9", num(p.Reserved9)},
      {"SiteTitle", p.SiteTitle},
      {"ServiceLine", p.ServiceLine},
      {"NetPhone", p.NetPhone},
      {"Extension", p.Extension},
      {"City", p.City},
      {"Province", p.Province},
      {"Reserved16", p.Reserved16},
      {"SessionKey", p.SessionKey},
      {"Reserved18", p.Reserved18},
      {"Reserved19", p.Reserved19},
      {"PublishWaitSeconds", num(p.PublishWaitSeconds)},
      {"InfoNum", num(p.InfoNum)},
      {"ContentLimit", num(p.ContentLimit)},
      {"Reserved23", num(p.Reserved23)},
      {"Reserved24", num(p.Reserved24)},
      {"Reserved25", num(p.Reserved25)},
      {"Reserved26", p.Reserved26},
      {"Reserved27", p.Reserved27},
  };
}

}  // namespace tv
