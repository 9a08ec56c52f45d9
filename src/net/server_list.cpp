#include "net/server_list.h"

#include <algorithm>

#include "core/gbk.h"
#include "net/answers.h"
#include "net/service_host.h"

namespace tv {
namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

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
  // Host names are plain ASCII, and "/" can never be a trail byte. The "//"
  // of "https://name" belongs to the entry: the entry ends at the first "/"
  // after its name. (A path after it cannot be told from the next entry.)
  while (!rest.empty()) {
    const std::size_t scheme = rest.find("://");
    std::size_t slash = rest.find('/');
    if (scheme != std::string_view::npos && scheme < slash) slash = rest.find('/', scheme + 3);
    const std::string_view host = Trim(rest.substr(0, slash));
    if (ParseServiceHost(host)) list.hosts.emplace_back(host);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return list;
}

}  // namespace tv
