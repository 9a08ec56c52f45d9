#include "app/version_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "app/update_key.h"
#include "app/update_signature.h"
#include "core/gbk.h"
#include "net/service_host.h"
#include "net/transport.h"
#include "net/version_answer.h"
#include "platform/platform.h"

namespace tv {
namespace {

// Downloads `url` to `path` and its signature (`url` + ".sig") beside it, and
// checks the one against the other. A file that fails is removed.
enum class Fetched { kOk, kDownloadFailed, kBadSignature };
Fetched FetchSigned(const std::string& url, const std::string& path, std::string_view key_hex) {
  const std::string signature = path + ".sig";
  if (DownloadToFile(url, path) != 0) {
    // A download that broke off midway leaves nothing half-written behind.
    ::unlink(path.c_str());
    return Fetched::kDownloadFailed;
  }
  const bool verified = DownloadToFile(url + ".sig", signature) == 0 &&
                        VerifyUpdateSignature(path, signature, key_hex);
  ::unlink(signature.c_str());
  if (verified) return Fetched::kOk;
  ::unlink(path.c_str());
  return Fetched::kBadSignature;
}

}  // namespace

UpdateCheck CheckForUpdate(const UpdateEnvironment& env) {
  UpdateCheck check;
  std::string body = FetchPage("GET", env.host, "/qavel/client/UpdateVersion.htm");
  if (body == kError) return check;
  VersionAnswer offered = ParseVersionAnswer(body);
  if (!VersionLess(env.current_version, offered.version)) return check;
  check.offered_version = offered.version;
  const bool may_replace =
      env.may_replace ? env.may_replace(env.program_path) : MayReplaceProgram(env.program_path);
  if (!may_replace) {
    check.outcome = UpdateOutcome::kNewerVersionOffered;
    return check;
  }
  check.outcome = UpdateOutcome::kDownloadFailed;

  if (env.caption) env.caption(TV_TEXT("正在升级,请稍候..."));
  const std::string directory = ProgramDirectory(env.program_path);
  const std::string new_program = directory + ProgramBaseName(env.program_path) + ".CRS";
  const std::string updater = UpdaterPath(directory);
  const std::string_view key =
      env.public_key_hex.empty() ? kUpdatePublicKeyHex : std::string_view(env.public_key_hex);
  // Nothing downloaded runs or replaces anything unless its signature by our
  // key verifies: the update address may be anyone's on the way.
  const Fetched program = FetchSigned(offered.program_url, new_program, key);
  if (program != Fetched::kOk) {
    if (program == Fetched::kBadSignature) check.outcome = UpdateOutcome::kSignatureFailed;
    return check;
  }
  const Fetched helper =
      FetchSigned(ServiceUrl(env.host, "/qavel/software/Update.exe"), updater, key);
  if (helper != Fetched::kOk) {
    ::unlink(new_program.c_str());
    if (helper == Fetched::kBadSignature) check.outcome = UpdateOutcome::kSignatureFailed;
    return check;
  }
  // Downloaded programs run as their owner only.
  ::chmod(new_program.c_str(), 0700);
  ::chmod(updater.c_str(), 0700);
  if (env.caption) env.caption(TV_TEXT("升级成功,正在加载!"));
  auto start = env.start_updater ? env.start_updater : StartUpdaterDetached;
  if (!start(updater, new_program, env.program_path)) {
    ::unlink(new_program.c_str());
    return check;
  }
  check.outcome = UpdateOutcome::kUpdaterStarted;
  return check;
}

bool MayReplaceProgram(const std::string& program_path, const std::string& dpkg_info_dir) {
  if (program_path.empty()) return false;
  const std::string directory = ProgramDirectory(program_path);
  if (::access(directory.c_str(), W_OK) != 0) return false;
  std::ifstream list(dpkg_info_dir + "/tarvolo.list");
  for (std::string line; std::getline(list, line);) {
    if (line == program_path) return false;
  }
  return true;
}

bool StartUpdaterDetached(const std::string& updater, const std::string& new_program,
                          const std::string& program_path) {
  return StartDetached(updater, {std::to_string(::getpid()), new_program, program_path});
}

}  // namespace tv
