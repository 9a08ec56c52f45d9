#include "update_signer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <vector>

#include "local_service.h"

extern char** environ;

namespace tv {
namespace {

// Runs the service binary with `args`; its exit status, or -1.
int RunService(std::vector<std::string> args) {
  std::string binary = LocalService::BinaryPath();
  std::vector<char*> argv{binary.data()};
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, binary.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

UpdateSigner::UpdateSigner(const std::string& dir, const std::string& key_name)
    : key_file_(dir + "/" + key_name) {
  if (RunService({"gen-update-key", key_file_}) != 0) {
    error_ = "gen-update-key failed for " + key_file_;
    return;
  }
  std::ifstream in(key_file_ + ".pub");
  std::getline(in, public_hex_);
  if (public_hex_.size() != 64) {
    error_ = "no public key in " + key_file_ + ".pub";
    public_hex_.clear();
  }
}

bool UpdateSigner::Sign(const std::string& file) {
  if (RunService({"sign-update", "--key", key_file_, file}) == 0) return true;
  error_ = "sign-update failed for " + file;
  return false;
}

}  // namespace tv
