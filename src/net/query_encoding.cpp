#include "net/query_encoding.h"

#include <cctype>

namespace tv {

std::string EncodeQueryValue(std::string_view gbk) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(gbk.size() * 3);
  for (char ch : gbk) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out.push_back(ch);
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

}  // namespace tv
