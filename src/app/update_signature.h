#pragma once
// The check a downloaded program passes before it is installed: a detached
// Ed25519 signature (libsodium), served beside the file as FILE.sig.
#include <string>
#include <string_view>

namespace tv {

// True when the file at `signature_path` is a signature of the whole file at
// `path` by the key `public_key_hex` (64 hex digits). A missing or unreadable
// file, a signature of another length, a malformed key: false.
bool VerifyUpdateSignature(const std::string& path, const std::string& signature_path,
                           std::string_view public_key_hex);

}  // namespace tv
