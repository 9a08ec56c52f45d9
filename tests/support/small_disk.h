#pragma once
// A file system that fills up: a tmpfs of a few megabytes mounted over a new
// folder, in a mount namespace of the test process's own (so the mount is
// seen by this process and the programs it starts, and goes with it). Fill()
// takes every free byte with a filler file, so that the next write that needs
// a new block fails with ENOSPC as on a full disk; Free() gives them back.
//
//   SmallDisk disk(4 << 20);
//   if (!disk.ok()) GTEST_SKIP() << disk.error();   // no right to mount here
//   ... files under disk.dir() ...
//   disk.Fill();
//
// Mounting needs the right to make a mount namespace (root, or a user
// namespace that allows it); where the test has none, ok() is false.
#include <cstddef>
#include <string>

namespace tv {

class SmallDisk {
 public:
  explicit SmallDisk(std::size_t bytes);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool ok() const { return mounted_; }
  const std::string& error() const { return error_; }
  const std::string& dir() const { return dir_; }

  // Writes the filler until the file system refuses a byte more; returns the
  // bytes it took.
  std::size_t Fill();
  // Removes the filler.
  void Free();

 private:
  std::string dir_;
  std::string error_;
  bool mounted_ = false;
};

}  // namespace tv
