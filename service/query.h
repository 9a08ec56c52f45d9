#pragma once
// The query string of one request, decoded strictly: "+" is a blank, "%XX" a
// byte, anything else stays as it came. A value that does not decode, or whose
// bytes are not GBK, makes the whole query malformed: the service answers such
// a request with 400 rather than guess what the sender meant.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tv {

class Query {
 public:
  // nullopt when any key or value is malformed (bad escape, NUL, not GBK).
  static std::optional<Query> Parse(std::string_view raw);

  // Keys compare without regard to letter case ("UserID" and "userid").
  const std::string* Find(std::string_view key) const;
  bool Has(std::string_view key) const { return Find(key) != nullptr; }
  std::string Get(std::string_view key) const {
    const std::string* v = Find(key);
    return v ? *v : std::string();
  }

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

// Structural GBK: ASCII without NUL, or a lead byte 0x81-0xFE followed by a
// trail byte 0x40-0xFE other than 0x7F.
bool IsValidGbk(std::string_view bytes);

// A whole decimal number (optional "-", digits only, fits in 64 bits).
std::optional<std::int64_t> ParseNumber(std::string_view text);

}  // namespace tv
