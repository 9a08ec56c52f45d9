#pragma once
// The version check of every login and the self-update it may start.
// Blocking; runs on a worker. Plain C++.
#include <functional>
#include <string>
#include <string_view>

namespace tv {

enum class UpdateOutcome {
  kNoUpdate,        // no version file, or nothing newer offered
  kDownloadFailed,  // a newer version, but a download failed: go on as we are
  kUpdaterStarted,  // the updater runs; the client must end now
};

struct UpdateEnvironment {
  std::string host;          // the current data server
  std::string program_path;  // the running executable
  std::string_view current_version;
  std::function<void(std::string_view gbk_caption)> caption;  // progress texts
  // Starts the updater file (tests replace it); false when it did not start.
  std::function<bool(const std::string& updater, const std::string& new_program,
                     const std::string& program_path)>
      start_updater;
};

// Asks the current host which version it offers and, when that is newer,
// downloads the new program beside the running one (base name + ".CRS") and
// the updater ("UpDate.exe"), both executable for their owner only, and starts
// the updater. Returns after the start; ending the client is the caller's.
UpdateOutcome CheckForUpdate(const UpdateEnvironment& env);

// The usual updater start: `updater` with the client's pid, the new program
// and the program path, detached.
bool StartUpdaterDetached(const std::string& updater, const std::string& new_program,
                          const std::string& program_path);

}  // namespace tv
