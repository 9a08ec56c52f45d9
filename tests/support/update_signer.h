#pragma once
// A key pair of the test's own for signing update files, made and used
// through the real "tarvolo-service gen-update-key" and "sign-update". Never
// the key a client build ships with.
#include <string>

namespace tv {

class UpdateSigner {
 public:
  // Makes the key pair in `dir` (as KEY_NAME and KEY_NAME.pub).
  UpdateSigner(const std::string& dir, const std::string& key_name = "update.key");
  bool ok() const { return !public_hex_.empty(); }
  const std::string& error() const { return error_; }
  // The public key, as the client takes it (64 hex digits).
  const std::string& public_hex() const { return public_hex_; }
  // Writes FILE.sig; false (and error()) when the tool failed.
  bool Sign(const std::string& file);

 private:
  std::string key_file_;
  std::string public_hex_;
  std::string error_;
};

}  // namespace tv
