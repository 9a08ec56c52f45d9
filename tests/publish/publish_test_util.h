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

// The GBK value of one key of a request path ("" when absent).
inline std::string QueryValue(const std::string& path, const std::string& key) {
  const std::string marker = key + "=";
  std::size_t at = path.find("?" + marker);
  if (at == std::string::npos) at = path.find("&" + marker);
  if (at == std::string::npos) return "";
  at += marker.size() + 1;
  const std::size_t end = path.find('&', at);
  const std::string raw = path.substr(at, end == std::string::npos ? end : end - at);
  std::string value;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '+') {
      value += ' ';
    } else if (raw[i] == '%' && i + 2 < raw.size()) {
      value += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      value += raw[i];
    }
  }
  return value;
}

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
