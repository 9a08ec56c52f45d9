#pragma once
// The member's session key: our service gives it at login (in profile field
// 17, which the login answer otherwise leaves empty) and wants it back with
// every request that reads or writes what belongs to the member: publishing
// and its loop re-sends, and the friends list. It travels as one more query
// parameter; a server that does not know it ignores it. When our service
// refuses a key (it expired, or the service no longer has it), the page's
// usual refusal comes with one header of its own, so the client can tell that
// apart from a refusal of the request itself.
#include <string>
#include <string_view>

namespace tv {

inline constexpr std::string_view kSessionKeyParam = "SessionKey";
inline constexpr std::string_view kSessionHeader = "X-Tarvolo-Session";
inline constexpr std::string_view kSessionRefused = "refused";

// Whether a request path (with or without its query) is one of the member
// pages that carry the key.
bool IsMemberPage(std::string_view path);

// `path` with the key as its last parameter (encoded); unchanged for an empty
// key.
std::string WithSessionKey(std::string_view path, std::string_view key);

}  // namespace tv
