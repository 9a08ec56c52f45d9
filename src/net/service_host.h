#pragma once
// The hosts of the service as the client is given them (the portal, the
// fall-back list host, the web host, the entries of a server list):
// "name[:port]" is plain HTTP, as the service has always been reached;
// "https://name[:port]" is HTTP over TLS, its certificate verified;
// "http://name[:port]" says plain HTTP explicitly. Nothing else is a host:
// another scheme ("file://", "ftp://"), user info ("user@"), a path, a query
// or a fragment, an empty name or a port outside 1 to 65535 is refused.
#include <optional>
#include <string>
#include <string_view>

namespace tv {

struct ServiceHost {
  bool tls = false;
  // "name", "name:port", "[v6]" or "[v6]:port".
  std::string authority;
};

std::optional<ServiceHost> ParseServiceHost(std::string_view text);

// "http://" or "https://", the authority, and `path` (which starts with
// "/"); empty when `host` is refused.
std::string ServiceUrl(std::string_view host, std::string_view path);

}  // namespace tv
