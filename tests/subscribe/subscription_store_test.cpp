// The subscriptions' own file: the member's list, the kept matches and
// where each poll goes on from, across a restart and beside a second
// program.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "core/notice.h"
#include "small_disk.h"
#include "subscribe/subscription_store.h"

namespace tv {
namespace {

class SubscriptionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tv-subs-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    path_ = (dir_ / "nested" / "subscriptions.db").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::unique_ptr<SubscriptionStore> Open() {
    auto store = SubscriptionStore::Open(path_);
    EXPECT_TRUE(store);
    return store;
  }

  static Subscription Named(const char* utf8) {
    Subscription s;
    s.name = Utf8ToGbk(utf8);
    s.departures = {Utf8ToGbk("济宁")};
    s.destinations = {Utf8ToGbk("北京"), Utf8ToGbk("山东省")};
    s.kind = SubscriptionKind::kTruck;
    s.excluded_words = {Utf8ToGbk("危险品")};
    s.alerts = {false, true, true};
    return s;
  }

  static InfoRecord Record(int id) {
    InfoRecord r;
    r.InfoID = std::to_string(id);
    r.City = Utf8ToGbk("济宁");
    r.Type = "0";
    r.Content = Utf8ToGbk("钢材") + std::to_string(id);
    r.Time = "2026-12-11 9:00:00";
    return r;
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(SubscriptionStoreTest, KeepsTheMembersListInOrderAndAtMostTen) {
  auto store = Open();
  ASSERT_TRUE(store);
  std::vector<std::int64_t> ids;
  for (int i = 0; i < kMaxSubscriptions; ++i) {
    Subscription s = Named(("路线" + std::to_string(i)).c_str());
    ASSERT_TRUE(store->Add(s));
    ids.push_back(s.id);
  }
  Subscription eleventh = Named("第十一");
  EXPECT_FALSE(store->Add(eleventh));
  EXPECT_EQ(eleventh.id, 0);

  // Read back whole, in order; moved, paused, edited, removed.
  std::vector<Subscription> list = store->List();
  ASSERT_EQ(list.size(), 10u);
  Subscription expected = Named("路线3");
  expected.id = ids[3];
  EXPECT_EQ(list[3], expected);
  ASSERT_TRUE(store->Move(ids[9], 0));
  ASSERT_TRUE(store->Move(ids[1], 99));
  ASSERT_TRUE(store->SetPaused(ids[2], true));
  expected.name = Utf8ToGbk("回家");
  expected.must_words = {Utf8ToGbk("平板")};
  ASSERT_TRUE(store->Update(expected));
  ASSERT_TRUE(store->Remove(ids[4]));
  EXPECT_FALSE(store->Remove(ids[4]));
  EXPECT_FALSE(store->SetPaused(ids[4], true));
  list = store->List();
  std::vector<std::int64_t> order;
  for (const Subscription& s : list) order.push_back(s.id);
  EXPECT_EQ(order, (std::vector<std::int64_t>{ids[9], ids[0], ids[2], ids[3], ids[5], ids[6],
                                              ids[7], ids[8], ids[1]}));
  EXPECT_TRUE(list[2].paused);
  EXPECT_EQ(list[3], expected);
  // A place is free again.
  EXPECT_TRUE(store->Add(eleventh));
}

TEST_F(SubscriptionStoreTest, KeepsTheLastMatchesOnceEachWithTheirReadMarks) {
  auto store = Open();
  ASSERT_TRUE(store);
  Subscription a = Named("甲");
  Subscription b = Named("乙");
  ASSERT_TRUE(store->Add(a));
  ASSERT_TRUE(store->Add(b));

  EXPECT_EQ(store->AddMatches(a.id, {Record(1), Record(2), Record(3)}), 3);
  // The same message again (a poll repeated after an outage): not twice.
  EXPECT_EQ(store->AddMatches(a.id, {Record(3), Record(4)}), 1);
  EXPECT_EQ(store->AddMatches(b.id, {Record(3)}), 1);
  std::vector<StoredMatch> kept = store->Matches(a.id);
  ASSERT_EQ(kept.size(), 4u);
  EXPECT_EQ(kept.front().record, Record(4));
  EXPECT_EQ(kept.back().record, Record(1));
  EXPECT_EQ(store->UnreadCount(a.id), 4);
  ASSERT_TRUE(store->MarkSeen(a.id, "3"));
  EXPECT_EQ(store->UnreadCount(a.id), 3);
  EXPECT_EQ(store->UnreadCount(b.id), 1);  // the other's mark is its own
  EXPECT_TRUE(store->Matches(a.id)[1].seen);

  // Only the newest are kept.
  std::vector<InfoRecord> many;
  for (int id = 100; id < 100 + SubscriptionStore::kKeptMatches + 20; ++id) {
    many.push_back(Record(id));
  }
  EXPECT_EQ(store->AddMatches(a.id, many), SubscriptionStore::kKeptMatches + 20);
  kept = store->Matches(a.id);
  ASSERT_EQ(kept.size(), static_cast<std::size_t>(SubscriptionStore::kKeptMatches));
  EXPECT_EQ(kept.front().record.InfoID, std::to_string(100 + SubscriptionStore::kKeptMatches + 19));
  EXPECT_EQ(kept.back().record.InfoID, "120");

  // Removing a subscription takes its matches along.
  ASSERT_TRUE(store->Remove(a.id));
  EXPECT_TRUE(store->Matches(a.id).empty());
  EXPECT_EQ(store->Matches(b.id).size(), 1u);

  // A new name keeps the matches; another route (or kind, or words) is
  // another search: its matches and its place in the list start afresh.
  ASSERT_TRUE(store->SetNewestId(b.id, "500"));
  b.name = Utf8ToGbk("乙二");
  b.alerts.chime = true;
  ASSERT_TRUE(store->Update(b));
  EXPECT_EQ(store->Matches(b.id).size(), 1u);
  EXPECT_EQ(store->NewestId(b.id), "500");
  b.destinations = {Utf8ToGbk("上海")};
  ASSERT_TRUE(store->Update(b));
  EXPECT_TRUE(store->Matches(b.id).empty());
  EXPECT_EQ(store->NewestId(b.id), "");
  EXPECT_EQ(store->Find(b.id)->name, Utf8ToGbk("乙二"));
}

TEST_F(SubscriptionStoreTest, SurvivesARestartAndIsSharedWithASecondProgram) {
  std::int64_t id = 0;
  {
    auto store = Open();
    ASSERT_TRUE(store);
    Subscription s = Named("回家");
    ASSERT_TRUE(store->Add(s));
    id = s.id;
    ASSERT_TRUE(store->AddMatches(id, {Record(7)}) == 1);
    ASSERT_TRUE(store->SetNewestId(id, "9"));
    ASSERT_TRUE(store->SetOption("quiet", "22:00-06:00"));
    // tarvolo-cli beside the window: each sees what the other wrote.
    auto other = Open();
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->SetPaused(id, true));
    EXPECT_TRUE(store->Find(id)->paused);
  }
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  auto store = Open();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->NewestId(id), "9");
  EXPECT_EQ(store->Matches(id).size(), 1u);
  EXPECT_EQ(store->Option("quiet"), "22:00-06:00");
  EXPECT_FALSE(store->Option("absent"));
}

TEST_F(SubscriptionStoreTest, LivesBesideTheSettingsAndRefusesAForeignFile) {
  ASSERT_EQ(setenv("TARVOLO_SETTINGS", "/somewhere/tarvolo/settings.db", 1), 0);
  EXPECT_EQ(SubscriptionStore::DefaultPath(), "/somewhere/tarvolo/subscriptions.db");
  unsetenv("TARVOLO_SETTINGS");

  std::filesystem::create_directories(dir_);
  const std::string foreign = (dir_ / "foreign.db").string();
  FILE* file = std::fopen(foreign.c_str(), "w");
  ASSERT_TRUE(file);
  std::fputs("not a database, but long enough to be read as a header of one......", file);
  std::fclose(file);
  EXPECT_FALSE(SubscriptionStore::Open(foreign));
}

// On a disk that fills up the member is told once, what was kept stays, and
// the matches that could not be kept are kept when they come again with room.
TEST_F(SubscriptionStoreTest, AFullDiskIsToldOnceAndLosesNothingKept) {
  SmallDisk disk(2 << 20);
  if (!disk.ok()) GTEST_SKIP() << disk.error();
  path_ = disk.dir() + "/subscriptions.db";
  ScopedNoticeRecorder recorder;
  {
    auto store = Open();
    ASSERT_TRUE(store);
    Subscription route = Named("路线");
    ASSERT_TRUE(store->Add(route));
    ASSERT_EQ(store->AddMatches(route.id, {Record(1), Record(2)}), 2);
    ASSERT_TRUE(store->SetNewestId(route.id, "2"));
    ASSERT_GT(disk.Fill(), 0u);

    Subscription second = Named("第二");
    EXPECT_FALSE(store->Add(second));
    EXPECT_EQ(store->AddMatches(route.id, {Record(3), Record(4)}), -1);
    EXPECT_FALSE(store->SetNewestId(route.id, "4"));
    EXPECT_FALSE(store->SetPaused(route.id, true));
    ASSERT_EQ(recorder.notices.size(), 1u);
    EXPECT_NE(GbkToUtf8(recorder.notices[0]).find("磁盘已满"), std::string::npos);
    EXPECT_EQ(store->Matches(route.id).size(), 2u);
    EXPECT_EQ(store->NewestId(route.id), "2");

    disk.Free();
    EXPECT_EQ(store->AddMatches(route.id, {Record(2), Record(3), Record(4)}), 2);
    EXPECT_TRUE(store->SetNewestId(route.id, "4"));
  }
  auto reopened = Open();
  ASSERT_TRUE(reopened);
  const std::vector<Subscription> list = reopened->List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_FALSE(list[0].paused);
  const std::vector<StoredMatch> kept = reopened->Matches(list[0].id);
  ASSERT_EQ(kept.size(), 4u);
  EXPECT_EQ(kept.front().record.InfoID, "4");
  EXPECT_EQ(kept.back().record.InfoID, "1");
  EXPECT_EQ(reopened->NewestId(list[0].id), "4");
  EXPECT_EQ(recorder.notices.size(), 1u);
}

}  // namespace
}  // namespace tv
