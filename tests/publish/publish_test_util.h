#pragma once
// Small helpers of the publishing tests: texts are written in UTF-8 and
// compared in GBK, as the code sees them.
#include <string>
#include <string_view>

#include "core/gbk.h"
#include "net/login_answer.h"

namespace tv::test {

inline std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }
inline std::string U(std::string_view gbk) { return GbkToUtf8(gbk); }

// A member with every contact item, publishing from 济宁.
inline MemberProfile FullProfile() {
  MemberProfile p;
  p.UserId = 1001;
  p.RealName = G("张三");
  p.Company = G("顺达物流");
  p.Phone = G("0537-1234567");
  p.Mobile = G("13900000000");
  p.NetPhone = G("88001");
  p.Extension = G("802");
  p.City = G("济宁");
  p.Province = G("山东省");
  p.PublishRight = 1;
  p.InfoNum = 7;
  return p;
}

}  // namespace tv::test
