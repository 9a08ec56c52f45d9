#include "update_signing.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string_view>
#include <vector>

#include "core/read_file.h"

namespace tv {
namespace {

constexpr char kUsage[] =
    "usage: tarvolo-service gen-update-key FILE\n"
    "       tarvolo-service sign-update --key FILE PROGRAM...\n";

// The largest program we sign or read: the whole file is held in memory.
constexpr std::int64_t kMaxProgramBytes = 1LL << 30;

std::string Hex(const unsigned char* bytes, std::size_t n) {
  std::string hex(n * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, n);
  hex.pop_back();
  return hex;
}

// A new file of `mode` holding `bytes`; an existing file is never replaced
// (a key overwritten by mistake cannot be had back).
bool WriteNewFile(const std::string& path, std::string_view bytes, mode_t mode,
                  std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    *error = "cannot create " + path + " (it must not exist yet)";
    return false;
  }
  const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  if (::close(fd) != 0 || !ok) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

bool GenerateUpdateKey(const std::string& key_file, std::string* public_hex, std::string* error) {
  if (sodium_init() < 0) {
    *error = "libsodium cannot start";
    return false;
  }
  unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
  unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(public_key, secret_key);
  std::string secret_hex = Hex(secret_key, sizeof secret_key) + "\n";
  sodium_memzero(secret_key, sizeof secret_key);
  *public_hex = Hex(public_key, sizeof public_key);
  const bool ok = WriteNewFile(key_file, secret_hex, 0600, error) &&
                  WriteNewFile(key_file + ".pub", *public_hex + "\n", 0644, error);
  sodium_memzero(secret_hex.data(), secret_hex.size());
  return ok;
}

bool SignUpdate(const std::string& key_file, const std::string& program, std::string* error) {
  if (sodium_init() < 0) {
    *error = "libsodium cannot start";
    return false;
  }
  std::string key_text;
  if (!ReadFileCapped(key_file, kMaxProgramBytes, &key_text)) {
    *error = "cannot read the key " + key_file;
    return false;
  }
  unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
  std::size_t key_length = 0;
  const char* end = nullptr;
  const bool parsed =
      sodium_hex2bin(secret_key, sizeof secret_key, key_text.data(), key_text.size(), nullptr,
                     &key_length, &end) == 0 &&
      key_length == sizeof secret_key &&
      std::string_view(end, key_text.data() + key_text.size()).find_first_not_of(" \r\n") ==
          std::string_view::npos;
  sodium_memzero(key_text.data(), key_text.size());
  if (!parsed) {
    sodium_memzero(secret_key, sizeof secret_key);
    *error = key_file + " is no key of gen-update-key";
    return false;
  }
  std::string bytes;
  if (!ReadFileCapped(program, kMaxProgramBytes, &bytes)) {
    sodium_memzero(secret_key, sizeof secret_key);
    *error = "cannot read " + program;
    return false;
  }
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size(), secret_key);
  sodium_memzero(secret_key, sizeof secret_key);
  // A signature is replaced as a whole, never left half-written.
  const std::string target = program + ".sig";
  const std::string temporary = target + ".new";
  ::unlink(temporary.c_str());
  if (!WriteNewFile(temporary,
                    std::string_view(reinterpret_cast<char*>(signature), sizeof signature), 0644,
                    error)) {
    return false;
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    *error = "cannot write " + target;
    return false;
  }
  return true;
}

int RunUpdateSigningCommand(int argc, char** argv) {
  if (argc < 2) return -1;
  const std::string_view command = argv[1];
  std::string error;
  if (command == "gen-update-key") {
    if (argc != 3) {
      std::cerr << kUsage;
      return 2;
    }
    std::string public_hex;
    if (!GenerateUpdateKey(argv[2], &public_hex, &error)) {
      std::cerr << "tarvolo-service: " << error << "\n";
      return 1;
    }
    std::cout << public_hex << "\n";
    return 0;
  }
  if (command == "sign-update") {
    if (argc < 5 || std::string_view(argv[2]) != "--key") {
      std::cerr << kUsage;
      return 2;
    }
    for (int i = 4; i < argc; ++i) {
      if (!SignUpdate(argv[3], argv[i], &error)) {
        std::cerr << "tarvolo-service: " << error << "\n";
        return 1;
      }
    }
    return 0;
  }
  return -1;
}

}  // namespace tv
