#include "session_key.h"

#include <sodium.h>

#include <array>

namespace tv {
namespace {

constexpr std::size_t kKeyBytes = 16;

bool Ready() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

std::string Hex(const unsigned char* bytes, std::size_t n) {
  std::string out(n * 2 + 1, '\0');
  sodium_bin2hex(out.data(), out.size(), bytes, n);
  out.pop_back();
  return out;
}

}  // namespace

std::optional<std::string> NewSessionKey() {
  if (!Ready()) return std::nullopt;
  std::array<unsigned char, kKeyBytes> bytes{};
  randombytes_buf(bytes.data(), bytes.size());
  return Hex(bytes.data(), bytes.size());
}

std::string SessionKeyHash(std::string_view key) {
  std::array<unsigned char, crypto_generichash_BYTES> hash{};
  crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char*>(key.data()),
                     key.size(), nullptr, 0);
  return Hex(hash.data(), hash.size());
}

}  // namespace tv
