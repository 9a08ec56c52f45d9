#pragma once
// One answer of the service: status, body and content type. The pages build
// it; the HTTP core writes it.
#include <string>

namespace tv {

struct Answer {
  int status = 200;
  std::string body;
  const char* content_type = "text/plain";
};

}  // namespace tv
