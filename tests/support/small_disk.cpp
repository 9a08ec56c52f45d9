#include "small_disk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tv {
namespace {

// The process moves into a mount namespace of its own once; every later
// mount stays inside it.
bool OwnMountNamespace(std::string* error) {
  static int result = -1;
  static std::string why;
  if (result < 0) {
    result = 0;
    if (unshare(CLONE_NEWNS) != 0) {
      why = std::string("cannot make a mount namespace: ") + std::strerror(errno);
    } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      why = std::string("cannot make the mounts private: ") + std::strerror(errno);
    } else {
      result = 1;
    }
  }
  if (result == 0) *error = why;
  return result == 1;
}

std::string FillerPath(const std::string& dir) { return dir + "/filler"; }

}  // namespace

SmallDisk::SmallDisk(std::size_t bytes) {
  std::string pattern = "/tmp/tarvolo-small-disk-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    error_ = std::string("mkdtemp: ") + std::strerror(errno);
    return;
  }
  dir_ = pattern;
  if (!OwnMountNamespace(&error_)) return;
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
  if (mount("tarvolo-small-disk", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) !=
      0) {
    error_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

SmallDisk::~SmallDisk() {
  if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
  if (!dir_.empty()) rmdir(dir_.c_str());
}

std::size_t SmallDisk::Fill() {
  const int fd = open(FillerPath(dir_).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0) return 0;
  // Large pieces first, then single bytes: the last partly used block goes too.
  std::size_t taken = 0;
  const std::vector<char> piece(64 * 1024, 'x');
  for (std::size_t size : {piece.size(), std::size_t{4096}, std::size_t{1}}) {
    for (;;) {
      const ssize_t n = write(fd, piece.data(), size);
      if (n <= 0) break;
      taken += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return taken;
}

void SmallDisk::Free() { unlink(FillerPath(dir_).c_str()); }

}  // namespace tv
