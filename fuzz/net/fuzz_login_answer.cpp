#include <cstdint>
#include <cstdlib>

#include "net/login_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view answer(reinterpret_cast<const char*>(data), size);
  const tv::LoginAnswer result = tv::ParseLoginAnswer(answer);
  if (!result.ok()) {
    if (result.profile != tv::MemberProfile{} || tv::LoginNotice(result.outcome).empty()) {
      std::abort();
    }
    return 0;
  }
  const tv::MemberProfile& p = result.profile;
  // Every text fits the field it once had to fit.
  if (p.RealName.size() > 19 || p.Sex.size() > 4 || p.Company.size() > 99 || p.Phone.size() > 199 ||
      p.City.size() > 49 || p.Province.size() > 49 || p.Reserved19.size() > 9 ||
      p.Reserved26.size() > 9 || p.Reserved27.size() > 9) {
    std::abort();
  }
  if (result.flags.OrdinaryMember != (p.MemberStatus < 0)) std::abort();
  (void)tv::DescribeProfile(p);
  return 0;
}
