#include "app/update_signature.h"

#include <sodium.h>

#include <fstream>

namespace tv {
namespace {

// A client program is a few tens of megabytes; the whole file is held.
constexpr std::streamoff kMaxFileBytes = 1LL << 30;

bool ReadFile(const std::string& path, std::streamoff limit, std::string* bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0 || size > limit) return false;
  in.seekg(0);
  bytes->assign(static_cast<std::size_t>(size), '\0');
  return static_cast<bool>(in.read(bytes->data(), size));
}

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
  if (!ReadFile(signature_path, crypto_sign_BYTES, &signature) ||
      signature.size() != crypto_sign_BYTES) {
    return false;
  }
  std::string bytes;
  if (!ReadFile(path, kMaxFileBytes, &bytes)) return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     bytes.size(), public_key) == 0;
}

}  // namespace tv
