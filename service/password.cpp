#include "password.h"

#include <sodium.h>

#include "core/ascii.h"

namespace tv {
namespace {

bool Ready() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

std::optional<std::string> HashPassword(std::string_view password) {
  if (!Ready()) return std::nullopt;
  const std::string folded = AsciiFolded(password);
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, folded.data(), folded.size(), crypto_pwhash_OPSLIMIT_MIN,
                        crypto_pwhash_MEMLIMIT_MIN) != 0) {
    return std::nullopt;
  }
  return std::string(out);
}

bool VerifyPassword(const std::string& hash, std::string_view password) {
  if (!Ready()) return false;
  const std::string folded = AsciiFolded(password);
  return crypto_pwhash_str_verify(hash.c_str(), folded.data(), folded.size()) == 0;
}

std::optional<std::string> HashOperatorPassword(std::string_view password) {
  if (!Ready()) return std::nullopt;
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return std::nullopt;
  }
  return std::string(out);
}

bool VerifyOperatorPassword(const std::string& hash, std::string_view password) {
  return Ready() && crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace tv
