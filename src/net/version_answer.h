#pragma once
// The version file "UpdateVersion.htm": ignored "#" version "#" program URL "#".
#include <string>
#include <string_view>

namespace tv {

struct VersionAnswer {
  std::string version;      // empty when the body lacks its "#" fields
  std::string program_url;  // empty when the body lacks its "#" fields
};

// A field counts only when it is closed by its "#".
VersionAnswer ParseVersionAnswer(std::string_view body);

// True when version a is older than b. Only the first two dot-separated
// components are compared, as decimal numbers (an empty one counts as 0).
bool VersionLess(std::string_view a, std::string_view b);

}  // namespace tv
