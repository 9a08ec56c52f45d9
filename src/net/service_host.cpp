#include "net/service_host.h"

#include "core/ascii.h"

namespace tv {
namespace {

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

bool IsPort(std::string_view text) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

// "name[:port]" or "[v6][:port]", with nothing else in it.
bool IsAuthority(std::string_view text) {
  std::string_view rest;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos || close == 1) return false;
    for (char c : text.substr(1, close - 1)) {
      const bool ok = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                      c == ':' || c == '.';
      if (!ok) return false;
    }
    rest = text.substr(close + 1);
  } else {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    if (name.empty() || name.front() == '.' || name.front() == '-') return false;
    for (char c : name) {
      if (!IsNameChar(c)) return false;
    }
    rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
  }
  return rest.empty() || (rest.front() == ':' && IsPort(rest.substr(1)));
}

}  // namespace

std::optional<ServiceHost> ParseServiceHost(std::string_view text) {
  ServiceHost host;
  if (const std::size_t scheme_end = text.find("://"); scheme_end != std::string_view::npos) {
    const std::string_view scheme = text.substr(0, scheme_end);
    if (EqualsNoCase(scheme, "https")) {
      host.tls = true;
    } else if (!EqualsNoCase(scheme, "http")) {
      return std::nullopt;
    }
    text.remove_prefix(scheme_end + 3);
  }
  // User info, a path, a query or a fragment all fail here: "@", "/", "?"
  // and "#" are no characters of a name.
  if (!IsAuthority(text)) return std::nullopt;
  host.authority = std::string(text);
  return host;
}

std::string ServiceUrl(std::string_view host, std::string_view path) {
  const std::optional<ServiceHost> parsed = ParseServiceHost(host);
  if (!parsed) return {};
  return (parsed->tls ? "https://" : "http://") + parsed->authority + std::string(path);
}

}  // namespace tv
