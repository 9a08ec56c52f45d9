#pragma once
// Salted password hashes (libsodium's Argon2id string format). The cost is
// kept at the library's minimum: logins are frequent, must stay fast on a
// small machine, and the hash still never holds the password itself.
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// Passwords are taken without regard to letter case (the registration form
// promises it), so both sides fold ASCII letters to lower case first.
std::optional<std::string> HashPassword(std::string_view password);
bool VerifyPassword(const std::string& hash, std::string_view password);

// Operators of the web console: the same format, letter case kept, and the
// library's interactive cost (signing in is rare, the account is strong).
std::optional<std::string> HashOperatorPassword(std::string_view password);
bool VerifyOperatorPassword(const std::string& hash, std::string_view password);

}  // namespace tv
