#include "net/server_list.h"

#include <algorithm>

#include "core/gbk.h"
#include "net/answers.h"

namespace tv {
namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool IsPlainHostName(std::string_view host) {
  const std::size_t colon = host.find(':');
  const std::string_view name = host.substr(0, colon);
  if (name.empty() || name.front() == '.' || name.front() == '-') return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  if (colon == std::string_view::npos) return true;
  const std::string_view port = host.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  int value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

bool IsAcceptableServerList(std::string_view text) {
  if (text.empty() || text == kError || text.find("<html>") != std::string_view::npos ||
      text.find("<HTML>") != std::string_view::npos) {
    return false;
  }
  const std::size_t sep = FindSeparator(text, "@@");
  if (sep == std::string_view::npos) return false;
  const std::string_view count = Trim(text.substr(0, sep));
  if (count.empty() || count.find_first_not_of("0123456789") != std::string_view::npos ||
      LeadingDigits(count) < 1) {
    return false;
  }
  return !ParseServerList(text).hosts.empty();
}

ServerList ParseServerList(std::string_view text) {
  ServerList list;
  const std::size_t sep = FindSeparator(text, "@@");
  if (sep == std::string_view::npos) return list;
  list.count = std::max<std::int32_t>(0, LeadingInt(text.substr(0, sep)));
  std::string_view rest = text.substr(sep + 2);
  // Host names are plain ASCII, and "/" can never be a trail byte.
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view host = Trim(rest.substr(0, slash));
    if (IsPlainHostName(host)) list.hosts.emplace_back(host);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return list;
}

}  // namespace tv
