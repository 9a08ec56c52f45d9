#include "net/member_key.h"

#include "net/query_encoding.h"

namespace tv {

bool IsMemberPage(std::string_view path) {
  const std::string_view page = path.substr(0, path.find('?'));
  return page == "/qavel/client/SetInfo.asp" || page == "/qavel/client/GetFrindInfo.asp";
}

std::string WithSessionKey(std::string_view path, std::string_view key) {
  std::string out(path);
  if (key.empty()) return out;
  out += path.find('?') == std::string_view::npos ? '?' : '&';
  out += kSessionKeyParam;
  out += '=';
  out += EncodeQueryValue(key);
  return out;
}

}  // namespace tv
