#include "settings/blocked_members.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/gbk.h"

namespace tv {
namespace {

std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }

TEST(BlockedMembers, KeptInTheirOwnFileAcrossRunsUntilUnblocked) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tv_blocked_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "blocked.db").string();
  {
    BlockedMembers list(path);
    ASSERT_TRUE(list.Persistent());
    EXPECT_FALSE(list.Blocked("10001"));
    EXPECT_TRUE(list.Block({"10001", G("郑州宏达物流"), G("0371-6588 号"), 100}));
    EXPECT_TRUE(list.Block({"10002", G("武汉"), "13900000000", 200}));
    EXPECT_FALSE(list.Block({"", G("无"), "", 0}));
    EXPECT_TRUE(list.Block({"10001", G("宏达"), "888", 300}));  // seen again: refreshed
  }
  {
    BlockedMembers list(path);
    ASSERT_EQ(list.List().size(), 2u);
    EXPECT_EQ(list.List()[0].number, "10001");
    EXPECT_EQ(list.List()[0].company, G("宏达"));
    EXPECT_EQ(list.List()[0].tel, "888");
    EXPECT_EQ(list.List()[0].blocked_at, 300);
    EXPECT_EQ(list.List()[1].company, G("武汉"));
    EXPECT_TRUE(list.Blocked("10002"));
    EXPECT_FALSE(list.Blocked("1000"));
    list.Unblock("10001");
    EXPECT_FALSE(list.Blocked("10001"));
  }
  BlockedMembers list(path);
  ASSERT_EQ(list.List().size(), 1u);
  EXPECT_EQ(list.List()[0].number, "10002");
  // Where no file can be made, the list still works for the run.
  BlockedMembers nowhere((dir / "no" / "such" / "blocked.db").string());
  EXPECT_FALSE(nowhere.Persistent());
  EXPECT_TRUE(nowhere.Block({"7", "", "", 0}));
  EXPECT_TRUE(nowhere.Blocked("7"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tv
