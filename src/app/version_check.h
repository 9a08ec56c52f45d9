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
  // A newer version, but this copy is not ours to replace (a package
  // manager's): nothing downloaded, the member is told the version.
  kNewerVersionOffered,
  // A downloaded file's signature is missing or does not verify: nothing is
  // replaced or started, the member is told, the login goes on.
  kSignatureFailed,
};

struct UpdateCheck {
  UpdateOutcome outcome = UpdateOutcome::kNoUpdate;
  std::string offered_version;  // set whenever a newer version is offered
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
  // Whether this copy may replace itself (tests replace it); empty:
  // MayReplaceProgram.
  std::function<bool(const std::string& program_path)> may_replace;
  // The key the downloads must be signed with (hex); empty: the one built
  // in (kUpdatePublicKeyHex).
  std::string public_key_hex;
};

// Asks the current host which version it offers and, when that is newer and
// this copy may replace itself, downloads the new program beside the running
// one (base name + ".CRS") and the updater ("UpDate.exe"), each with the
// signature served beside it (URL + ".sig"); only when both verify are they
// made executable for their owner and the updater started. Returns after the start; ending
// the client is the caller's. A copy that may not replace itself only learns
// the offered version.
UpdateCheck CheckForUpdate(const UpdateEnvironment& env);

// A copy may replace itself when the user may write to its folder and it is
// not a file of the installed tarvolo package (whose list of files is
// `dpkg_info_dir`/tarvolo.list): a package manager's copy is updated by the
// package manager, even when the user (root) could write to it.
bool MayReplaceProgram(const std::string& program_path,
                       const std::string& dpkg_info_dir = "/var/lib/dpkg/info");

// The usual updater start: `updater` with the client's pid, the new program
// and the program path, detached.
bool StartUpdaterDetached(const std::string& updater, const std::string& new_program,
                          const std::string& program_path);

}  // namespace tv
