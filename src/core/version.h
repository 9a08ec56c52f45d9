#pragma once
// The client's own version: the version check compares the service's offer
// with it, and the substitute service offers it by default (so no update).
#include <string_view>

namespace tv {

inline constexpr std::string_view kClientVersion = "8.1.0.1";

}  // namespace tv
