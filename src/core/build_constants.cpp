#include "core/build_constants.h"

#include <cstdlib>

namespace tv {
namespace {

std::string FromEnv(const char* name, std::string_view fallback) {
  const char* value = std::getenv(name);
  if (value != nullptr && *value != '\0') return value;
  return std::string(fallback);
}

}  // namespace

std::string PortalHost() { return FromEnv("TARVOLO_PORTAL_HOST", kPortalHost); }
std::string FallbackHost() { return FromEnv("TARVOLO_FALLBACK_HOST", kFallbackHost); }
std::string WebHost() { return FromEnv("TARVOLO_WEB_HOST", kWebHost); }

}  // namespace tv
