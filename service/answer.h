#pragma once
// One answer of the service: status, body and content type. The pages build
// it; the HTTP core writes it.
#include <chrono>
#include <string>
#include <utility>

namespace tv {

struct Answer {
  Answer() = default;
  Answer(int status_code, std::string body_bytes, const char* type)
      : status(status_code), body(std::move(body_bytes)), content_type(type) {}

  int status = 200;
  std::string body;
  const char* content_type = "text/plain";
  // One more header line ("Name: value", without the line end), or empty.
  std::string extra_header;
  // The HTTP core writes the answer only this long after it is built (a
  // throttled login); the connection waits on the event loop meanwhile.
  std::chrono::milliseconds hold{0};
};

}  // namespace tv
