#include "app/update_signature.h"

#include <sodium.h>

#include "core/read_file.h"

namespace tv {
namespace {

// A client program is a few tens of megabytes; the whole file is held.
constexpr std::int64_t kMaxFileBytes = 1LL << 30;

}  // namespace

bool VerifyUpdateSignature(const std::string& path, const std::string& signature_path,
                           std::string_view public_key_hex) {
  if (sodium_init() < 0) return false;
  unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
  std::size_t key_length = 0;
  if (public_key_hex.size() != 2 * sizeof public_key ||
      sodium_hex2bin(public_key, sizeof public_key, public_key_hex.data(), public_key_hex.size(),
                     nullptr, &key_length, nullptr) != 0 ||
      key_length != sizeof public_key) {
    return false;
  }
  std::string signature;
  if (!ReadFileCapped(signature_path, crypto_sign_BYTES, &signature) ||
      signature.size() != crypto_sign_BYTES) {
    return false;
  }
  std::string bytes;
  if (!ReadFileCapped(path, kMaxFileBytes, &bytes)) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     bytes.size(), public_key) == 0;
}

}  // namespace tv
