#pragma once
// Session keys of logged-in members: made at login, handed out in the login
// answer, and looked up by their hash in the store that every server sharing
// the database reads, so a key from one data server opens the member pages of
// any other.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// How long a key opens the member pages after its login. A client whose key
// ran out logs in again by itself.
inline constexpr std::chrono::hours kSessionLifetime{24};

// 128 random bits as 32 lower-case hexadecimal digits; nullopt when the
// random source is not available.
std::optional<std::string> NewSessionKey();
// What the store keeps of a key: its BLAKE2b-256 hash in hexadecimal, so a
// copy of the database opens no session.
std::string SessionKeyHash(std::string_view key);

}  // namespace tv
