#pragma once
// Certificates of a test's own, made with the openssl command line in a
// folder: a CA, and server certificates for 127.0.0.1 and localhost that are
// sound, for another name, expired, or from a CA nobody trusts.
#include <string>

namespace tv {

class TestCa {
 public:
  explicit TestCa(const std::string& dir);
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // The CA a client is told to trust (PEM).
  std::string CaFile() const { return dir_ + "/ca.crt"; }
  // Certificate and key of one server: "good", "wrong-name", "expired",
  // "stranger" (signed by a CA of its own).
  std::string Cert(const std::string& which) const { return dir_ + "/" + which + ".crt"; }
  std::string Key(const std::string& which) const { return dir_ + "/" + which + ".key"; }

 private:
  std::string dir_;
  std::string error_;
};

}  // namespace tv
