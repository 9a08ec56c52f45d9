#include <cstdint>
#include <cstdlib>

#include "net/server_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)tv::IsAcceptableServerList(text);
  const tv::ServerList list = tv::ParseServerList(text);
  if (list.count < 0) std::abort();
  for (const auto& host : list.hosts) {
    if (host.empty() || host.find('/') != std::string::npos) std::abort();
  }
  return 0;
}
