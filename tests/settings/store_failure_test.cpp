// A store that cannot be written, and a file that is not a sound database.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/store.h"
#include "temp_store.h"

namespace tv {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Replace(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs `body` after `protect` has write-protected something, where permissions
// bind: directly for an ordinary user; for root (who writes regardless) in a
// child process switched to the "nobody" user, to whom `dir` is handed first.
// False when neither is possible; the child's failures fail the test.
bool RunWherePermissionsBind(const std::string& dir, const std::function<bool()>& protect,
                             const std::function<void()>& body) {
  if (geteuid() != 0) {
    if (!protect()) return false;
    body();
    return true;
  }
  constexpr uid_t kNobody = 65534;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, ignored)) {
    if (chown(entry.path().c_str(), kNobody, kNobody) != 0) return false;
  }
  if (chown(dir.c_str(), kNobody, kNobody) != 0) return false;
  std::fflush(stdout);
  pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    constexpr int kCannot = 77;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(kCannot);
    if (!protect()) _exit(kCannot);
    body();
    std::fflush(stdout);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return false;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed as the nobody user";
  return true;
}

// chmod, then whether it binds.
bool WriteProtect(const std::string& path, mode_t mode) {
  return chmod(path.c_str(), mode) == 0 && access(path.c_str(), W_OK) != 0;
}

enum class Unwritable { kOpenedForReading, kReadOnlyFile, kReadOnlyFolder };

const char* UnwritableName(Unwritable way) {
  switch (way) {
    case Unwritable::kOpenedForReading:
      return "OpenedForReading";
    case Unwritable::kReadOnlyFile:
      return "ReadOnlyFile";
    case Unwritable::kReadOnlyFolder:
      return "ReadOnlyFolder";
  }
  return "Other";
}

void PrintTo(Unwritable way, std::ostream* out) { *out << UnwritableName(way); }

class UnwritableStoreTest : public ::testing::TestWithParam<Unwritable> {
 protected:
  void SetUp() override {
    auto store = SettingsStore::Open(path_);
    ASSERT_TRUE(store->Write(kMainKey, "autologintavrelomin", "0"));
    ASSERT_TRUE(store->CreateKey(kHistoryKey));
    ASSERT_TRUE(store->Write(kHistoryKey, "1", "message"));
  }

  // Runs `body` on the store made unwritable in the way of the parameter.
  void WithUnwritableStore(const std::function<void(std::unique_ptr<SettingsStore>)>& body) {
    if (GetParam() == Unwritable::kOpenedForReading) {
      body(SettingsStore::Open(path_, SettingsAccess::kReadOnly));
      return;
    }
    std::string target = GetParam() == Unwritable::kReadOnlyFile ? path_ : dir_.path();
    mode_t mode = GetParam() == Unwritable::kReadOnlyFile ? 0400 : 0500;
    bool ran = RunWherePermissionsBind(
        dir_.path(), [&] { return WriteProtect(target, mode); },
        [&] { body(SettingsStore::Open(path_)); });
    if (!ran) GTEST_SKIP() << "permissions cannot be made to bind here";
  }

  test::TempDir dir_;
  std::string path_ = dir_.File("settings.db");
};

TEST_P(UnwritableStoreTest, ReadsWorkAndEveryWriteFails) {
  WithUnwritableStore([](std::unique_ptr<SettingsStore> store) {
    EXPECT_EQ(store->Read(kMainKey, "autologintavrelomin"), "0");
    EXPECT_EQ(store->Read(kHistoryKey, "1"), "message");
    EXPECT_EQ(store->Enumerate(kHistoryKey).size(), 1u);
    EXPECT_FALSE(store->Write(kMainKey, "autologintavrelomin", "1"));
    EXPECT_FALSE(store->CreateKey(kLocalSearchKey));
    EXPECT_FALSE(store->DeleteValue(kHistoryKey, "1"));
    EXPECT_FALSE(store->DeleteKey(kHistoryKey));
    EXPECT_EQ(store->Read(kMainKey, "autologintavrelomin"), "0");
    EXPECT_EQ(store->Read(kHistoryKey, "1"), "message");
    EXPECT_TRUE(store->KeyExists(kHistoryKey));
    EXPECT_FALSE(store->KeyExists(kLocalSearchKey));
  });
}

TEST_P(UnwritableStoreTest, MemberWritesShowTheNoticeOthersStaySilent) {
  WithUnwritableStore([](std::unique_ptr<SettingsStore> store) {
    UseSettingsStore(std::move(store));
    ScopedNoticeRecorder notices;
    EXPECT_FALSE(WriteSettingOrWarn("autologintavrelomin", "1"));
    ASSERT_EQ(notices.notices.size(), 1u);
    EXPECT_EQ(notices.notices[0],
              Utf8ToGbk("写入注册表错误\n\n为了程序的正常运行,请检查注册表是否可写"));
    EXPECT_FALSE(WriteSetting(kMainKey, "GetServerUrltavrelomin2", "list"));
    EXPECT_EQ(notices.notices.size(), 1u);
    UseSettingsStore(nullptr);
  });
}

INSTANTIATE_TEST_SUITE_P(Ways, UnwritableStoreTest,
                         ::testing::Values(Unwritable::kOpenedForReading, Unwritable::kReadOnlyFile,
                                           Unwritable::kReadOnlyFolder),
                         [](const ::testing::TestParamInfo<Unwritable>& way) {
                           return std::string(UnwritableName(way.param));
                         });

TEST(WritableStore, MemberWriteShowsNothing) {
  test::TempDir dir;
  UseSettingsStore(SettingsStore::Open(dir.File("settings.db")));
  ScopedNoticeRecorder notices;
  EXPECT_TRUE(WriteSettingOrWarn("autologintavrelomin", "1"));
  EXPECT_EQ(ReadSetting(kMainKey, "AUTOLOGINtavrelomin"), "1");
  EXPECT_TRUE(notices.notices.empty());
  UseSettingsStore(nullptr);
}

TEST(UnopenableStore, ReadsGiveErrorAndWritesFail) {
  test::TempDir dir;
  Replace(dir.File("plain-file"), "x");  // a file where the folder should be
  auto store = SettingsStore::Open(dir.File("plain-file/settings.db"));
  EXPECT_EQ(store->Read(kMainKey, "PName"), "Error");
  EXPECT_FALSE(store->Write(kMainKey, "PName", "tarvolo"));
  EXPECT_FALSE(store->CreateKey(kHistoryKey));
  EXPECT_FALSE(store->KeyExists(kMainKey));
  EXPECT_TRUE(store->Enumerate(kMainKey).empty());
}

// A database whose inside has been overwritten: a sound header, broken pages.
// `rollback_journal`: as a database that never used a write-ahead log.
std::string BrokenDatabase(const std::string& path, bool rollback_journal) {
  {
    auto store = SettingsStore::Open(path);
    for (int i = 0; i < 40; ++i) {
      store->Write(kMainKey, "v" + std::to_string(i), std::string(450, 'a' + i % 26));
    }
  }
  std::string bytes = Contents(path);
  for (std::size_t i = 4096; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(i * 31);
  if (rollback_journal) bytes[18] = bytes[19] = 1;  // file format versions
  return bytes;
}

TEST(DamagedStore, IsMovedAsideUntouchedAndAFreshStoreStarts) {
  enum class Content { kText, kBrokenPages, kBrokenPagesRollback, kEmpty };
  struct Case {
    Content content;
    bool moved;
  };
  for (Case c : {Case{Content::kText, true}, Case{Content::kBrokenPages, true},
                 Case{Content::kBrokenPagesRollback, true}, Case{Content::kEmpty, false}}) {
    SCOPED_TRACE(static_cast<int>(c.content));
    test::TempDir dir;
    std::string path = dir.File("settings.db");
    std::string bytes;
    switch (c.content) {
      case Content::kText:
        bytes.assign(3000, 'x');
        break;
      case Content::kBrokenPages:
      case Content::kBrokenPagesRollback:
        bytes = BrokenDatabase(path, c.content == Content::kBrokenPagesRollback);
        break;
      case Content::kEmpty:
        break;
    }
    Replace(path, bytes);
    std::string moved_to;
    {
      auto store = SettingsStore::Open(path);
      moved_to = store->MovedAsidePath();
      EXPECT_TRUE(store->KeyExists(kMainKey));
      EXPECT_TRUE(store->Write(kMainKey, "PName", "tarvolo"));
      EXPECT_EQ(store->Read(kMainKey, "PName"), "tarvolo");
    }
    EXPECT_EQ(!moved_to.empty(), c.moved);
    if (c.moved) {
      EXPECT_EQ(moved_to.rfind(path + ".damaged-", 0), 0u) << moved_to;
      EXPECT_EQ(Contents(moved_to), bytes);
    }
    // The fresh store is a sound one: it opens again without being moved.
    EXPECT_EQ(SettingsStore::Open(path)->MovedAsidePath(), "");
  }
}

TEST(DamagedStore, TakesItsWriteAheadLogAlong) {
  test::TempDir dir;
  std::string path = dir.File("settings.db");
  const std::string log(5000, 'w');
  Replace(path, std::string(3000, 'x'));
  Replace(path + "-wal", log);
  std::string moved_to = SettingsStore::Open(path)->MovedAsidePath();
  ASSERT_NE(moved_to, "");
  EXPECT_EQ(Contents(moved_to + "-wal"), log);
  auto store = SettingsStore::Open(path);
  EXPECT_EQ(store->MovedAsidePath(), "");
  EXPECT_TRUE(store->Write(kMainKey, "PName", "tarvolo"));
}

TEST(DamagedStore, IsLeftAloneWhenItCannotBeMoved) {
  test::TempDir dir;
  std::string path = dir.File("settings.db");
  const std::string bytes(3000, 'x');
  Replace(path, bytes);
  auto store = SettingsStore::Open(path, SettingsAccess::kReadOnly);
  EXPECT_EQ(store->Read(kMainKey, "PName"), "Error");
  EXPECT_FALSE(store->Write(kMainKey, "PName", "tarvolo"));
  EXPECT_EQ(Contents(path), bytes);

  RunWherePermissionsBind(
      dir.path(), [&] { return WriteProtect(dir.path(), 0500); },
      [&] {
        auto in_locked_folder = SettingsStore::Open(path);
        EXPECT_FALSE(in_locked_folder->Write(kMainKey, "PName", "tarvolo"));
        EXPECT_EQ(in_locked_folder->MovedAsidePath(), "");
        EXPECT_EQ(Contents(path), bytes);
      });
}

}  // namespace
}  // namespace tv
