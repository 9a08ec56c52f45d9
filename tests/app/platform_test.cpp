// The platform layer: the single-instance lock, the logon start list, the
// program's names, the updater clean-up, detached starts, window lookup.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app_fixture.h"
#include "platform/platform.h"
#include "settings/store.h"

namespace tv {
namespace {

TEST(InstanceLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
  TempSettings dir;
  const std::string path = dir.Dir() + "/instance.lock";
  auto first = std::make_unique<InstanceLock>(path);
  ASSERT_TRUE(first->TryAcquire());
  InstanceLock second(path);
  EXPECT_FALSE(second.TryAcquire());
  first.reset();
  EXPECT_TRUE(second.TryAcquire());
}

TEST(InstanceLockTest, AClientOnItsOwnSettingsStoreLocksBesideIt) {
  const char* saved = std::getenv("TARVOLO_SETTINGS");
  std::string keep = saved ? saved : "";
  ::setenv("TARVOLO_SETTINGS", "/tmp/x/settings.db", 1);
  EXPECT_EQ(DefaultInstanceLockPath(), "/tmp/x/settings.db.lock");
  ::unsetenv("TARVOLO_SETTINGS");
  EXPECT_EQ(DefaultInstanceLockPath().substr(DefaultInstanceLockPath().rfind('/')),
            "/tarvolo-instance.lock");
  if (saved) ::setenv("TARVOLO_SETTINGS", keep.c_str(), 1);
}

TEST(StartupListTest, OnlyEntriesWithTheExactProgramPathAreRemoved) {
  TempSettings settings;
  ASSERT_TRUE(CreateSettingKey(kRunKey));
  const std::string program = "/opt/tarvolo/tarvolo";
  WriteSetting(kRunKey, "Tarvolo", program);
  WriteSetting(kRunKey, "Again", program);
  WriteSetting(kRunKey, "Upper", "/opt/Tarvolo/tarvolo");
  WriteSetting(kRunKey, "Other", "/usr/bin/other");
  EXPECT_EQ(CleanStartupList(program), 2);
  std::vector<std::string> left;
  for (const auto& v : EnumerateSettings(kRunKey)) left.push_back(v.name);
  EXPECT_EQ(left, (std::vector<std::string>{"Upper", "Other"}));
}

TEST(ProgramNamesTest, DirectoryAndBaseName) {
  struct Case {
    const char* path;
    const char* directory;
    const char* base;
  };
  for (const Case& c :
       {Case{"/opt/tarvolo/tarvolo", "/opt/tarvolo/", "tarvolo"},
        Case{"/opt/x/tarvolo.exe", "/opt/x/", "tarvolo"}, Case{"tarvolo", "./", "tarvolo"}}) {
    EXPECT_EQ(ProgramDirectory(c.path), c.directory) << c.path;
    EXPECT_EQ(ProgramBaseName(c.path), c.base) << c.path;
  }
  EXPECT_EQ(UpdaterPath("/opt/x/"), "/opt/x/UpDate.exe");
  auto self = ProgramPath();
  ASSERT_TRUE(self.has_value());
  EXPECT_EQ(ProgramBaseName(*self), "app_tests");
}

TEST(UpdaterFileTest, IsDeletedOnceAndAMissingFileIsGivenUpOn) {
  TempSettings dir;
  const std::string path = UpdaterPath(dir.Dir() + "/");
  std::ofstream(path) << "old updater";
  EXPECT_TRUE(DeleteUpdaterFile(path, 10, 1));
  EXPECT_FALSE(DeleteUpdaterFile(path, 3, 1));
}

// Only a file that is there and cannot be removed is waited for; a start
// without a left-over updater must not pause at all.
TEST(UpdaterFileTest, WaitsOnlyWhileTheFileIsThereAndStuck) {
  namespace fs = std::filesystem;
  enum class Setup { kMissing, kMissingFolder, kFile, kStuck, kFreedAtSecondPause, kGoneAtPause };
  struct Case {
    const char* name;
    Setup setup;
    bool deleted;
    int pauses;
  };
  const Case cases[] = {
      {"missing", Setup::kMissing, false, 0},
      {"folder of the path missing", Setup::kMissingFolder, false, 0},
      {"plain file", Setup::kFile, true, 0},
      {"cannot be removed", Setup::kStuck, false, 9},
      {"freed after a while", Setup::kFreedAtSecondPause, true, 2},
      {"removed by someone else", Setup::kGoneAtPause, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempSettings dir;
    std::string path = UpdaterPath(dir.Dir() + "/");
    // A folder in the file's place fails to unlink like a file that is held.
    if (c.setup == Setup::kMissingFolder) path = UpdaterPath(dir.Dir() + "/gone/");
    if (c.setup == Setup::kFile) std::ofstream(path) << "old updater";
    if (c.setup == Setup::kStuck || c.setup == Setup::kFreedAtSecondPause ||
        c.setup == Setup::kGoneAtPause) {
      fs::create_directories(path + "/inside");
    }
    int pauses = 0;
    const bool deleted = DeleteUpdaterFile(path, 10, [&] {
      ++pauses;
      if ((c.setup == Setup::kFreedAtSecondPause && pauses == 2) ||
          (c.setup == Setup::kGoneAtPause && pauses == 1)) {
        fs::remove_all(path);
        if (c.setup == Setup::kFreedAtSecondPause) std::ofstream(path) << "old updater";
      }
    });
    EXPECT_EQ(deleted, c.deleted);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_FALSE(fs::exists(path) && c.deleted);
  }
}

TEST(StartDetachedTest, ReportsWhetherTheProgramStarted) {
  TempSettings dir;
  const std::string marker = dir.Dir() + "/started";
  EXPECT_TRUE(StartDetached("/bin/sh", {"-c", "echo ok > '" + marker + "'"}));
  EXPECT_TRUE(WaitFor([&] { return std::ifstream(marker).good(); }, 10000));
  EXPECT_FALSE(StartDetached(dir.Dir() + "/no-such-program"));
}

TEST(FindProgramTest, LooksAlongThePath) {
  EXPECT_TRUE(FindProgram({"no-such-program-here", "sh"}).has_value());
  EXPECT_FALSE(FindProgram({"no-such-program-here"}).has_value());
}

TEST(TopLevelWindowTest, NothingIsFoundWithoutAnX11Display) {
  const char* saved = std::getenv("DISPLAY");
  std::string keep = saved ? saved : "";
  ::unsetenv("DISPLAY");
  EXPECT_FALSE(TopLevelWindowExists("Tarvolo"));
  ::setenv("DISPLAY", ":987", 1);  // no server there
  EXPECT_FALSE(TopLevelWindowExists("Tarvolo"));
  if (saved) {
    ::setenv("DISPLAY", keep.c_str(), 1);
  } else {
    ::unsetenv("DISPLAY");
  }
}

}  // namespace
}  // namespace tv
