#include "app/version_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "core/gbk.h"
#include "net/transport.h"
#include "net/version_answer.h"
#include "platform/platform.h"

namespace tv {
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
  if (DownloadToFile(offered.program_url, new_program) != 0) {
    // A download that broke off midway leaves nothing half-written behind.
    ::unlink(new_program.c_str());
    return check;
  }
  if (DownloadToFile("http://" + env.host + "/qavel/software/Update.exe", updater) != 0) {
    ::unlink(new_program.c_str());
    ::unlink(updater.c_str());
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
