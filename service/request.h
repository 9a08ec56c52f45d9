#pragma once
// One request as the pages see it: what the HTTP core read, borrowed for the
// time of the call.
#include <string_view>

namespace tv {

struct HttpRequest {
  std::string_view method;
  std::string_view target;  // path and query, raw
  std::string_view host;    // the Host header
  std::string_view cookie;  // the Cookie header
  std::string_view content_type;
  std::string_view body;
  std::string_view peer;  // the client's address, without the port
};

}  // namespace tv
