// The settings and the blocked members on a disk that fills up: the member is
// told once, what is stored stays sound, and writes go on once there is room.
#include <gtest/gtest.h>

#include <string>

#include "core/gbk.h"
#include "core/notice.h"
#include "settings/blocked_members.h"
#include "settings/store.h"
#include "settings/values.h"
#include "small_disk.h"

namespace tv {
namespace {

constexpr std::size_t kDiskBytes = 2 << 20;

bool ToldDiskFull(const NoticeRecorder& recorder, std::size_t times) {
  std::size_t told = 0;
  for (const std::string& text : recorder.notices) {
    if (GbkToUtf8(text).find("磁盘已满") != std::string::npos) ++told;
  }
  return told == times && recorder.notices.size() == times;
}

TEST(SettingsFullDisk, ToldOnceKeepsWhatIsStoredAndWritesAgainWithRoom) {
  SmallDisk disk(kDiskBytes);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  const std::string path = disk.dir() + "/settings.db";
  const std::string long_text(400, 'v');
  ScopedNoticeRecorder recorder;
  {
    UseSettingsStore(SettingsStore::Open(path));
    SettingsStore* store = &Settings();
    ASSERT_TRUE(store->Write(kMainKey, "kept", "before"));
    ASSERT_GT(disk.Fill(), 0u);

    // Every kind of write fails, and the member hears of it once (not also
    // with the notice of a setting that could not be written).
    for (int i = 0; i < 5; ++i) {
      EXPECT_FALSE(store->Write(kMainKey, "new" + std::to_string(i), long_text)) << i;
    }
    EXPECT_FALSE(SetFontSize(30));
    EXPECT_FALSE(store->CreateKey(std::string(kHistoryKey)));
    EXPECT_FALSE(store->Write(kMainKey, "kept", long_text));
    EXPECT_TRUE(ToldDiskFull(recorder, 1)) << recorder.notices.size();
    EXPECT_EQ(store->Read(kMainKey, "kept"), "before");
    EXPECT_EQ(store->Read(kMainKey, "new0"), "Error");

    disk.Free();
    EXPECT_TRUE(store->Write(kMainKey, "new0", long_text));
    EXPECT_TRUE(store->CreateKey(std::string(kHistoryKey)));
    EXPECT_EQ(store->Read(kMainKey, "new0"), long_text);

    // A disk that fills again after a write went through is told again.
    ASSERT_GT(disk.Fill(), 0u);
    EXPECT_FALSE(store->Write(kMainKey, "new1", long_text));
    EXPECT_FALSE(store->Write(kMainKey, "new2", long_text));
    EXPECT_TRUE(ToldDiskFull(recorder, 2)) << recorder.notices.size();
    disk.Free();
    UseSettingsStore(nullptr);
  }
  // The file opens sound (a damaged one would have been moved aside) with
  // every write that went through.
  auto reopened = SettingsStore::Open(path);
  EXPECT_TRUE(reopened->MovedAsidePath().empty());
  EXPECT_EQ(reopened->Read(kMainKey, "kept"), "before");
  EXPECT_EQ(reopened->Read(kMainKey, "new0"), long_text);
  EXPECT_EQ(reopened->Read(kMainKey, "new1"), "Error");
  EXPECT_TRUE(reopened->KeyExists(kHistoryKey));
}

TEST(SettingsFullDisk, BlocksMadeOnAFullDiskHoldAndReachTheFileWithRoom) {
  SmallDisk disk(kDiskBytes);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  const std::string path = disk.dir() + "/blocked.db";
  ScopedNoticeRecorder recorder;
  {
    BlockedMembers list(path);
    ASSERT_TRUE(list.Persistent());
    ASSERT_TRUE(list.Block({"10001", "a", "1", 100}));
    auto settings = SettingsStore::Open(disk.dir() + "/settings.db");
    ASSERT_GT(disk.Fill(), 0u);
    // Held in memory for this run; the settings beside it fail as well, and
    // the member is told once for both.
    EXPECT_TRUE(list.Block({"10002", "b", "2", 200}));
    EXPECT_TRUE(list.Block({"10003", "c", "3", 300}));
    list.Unblock("10001");
    EXPECT_FALSE(settings->Write(kMainKey, "x", std::string(400, 'x')));
    EXPECT_TRUE(list.Blocked("10002"));
    EXPECT_FALSE(list.Blocked("10001"));
    EXPECT_TRUE(ToldDiskFull(recorder, 1)) << recorder.notices.size();

    // The next change with room brings the file up to the list.
    disk.Free();
    list.Block({"10004", "d", "4", 400});
  }
  BlockedMembers reopened(path);
  ASSERT_EQ(reopened.List().size(), 3u);
  EXPECT_EQ(reopened.List()[0].number, "10004");
  EXPECT_EQ(reopened.List()[1].number, "10003");
  EXPECT_EQ(reopened.List()[2].number, "10002");
  EXPECT_EQ(reopened.List()[2].company, "b");
  EXPECT_FALSE(reopened.Blocked("10001"));
}

}  // namespace
}  // namespace tv
