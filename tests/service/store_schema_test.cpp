// A database written by an older service: the store adds what its tables
// lack and serves what they hold.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "net/answers.h"
#include "service_client.h"

namespace tv::test {
namespace {

TEST(serviceStore, AnOlderDatabaseGetsTheColumnsItLacks) {
  LocalService scratch;  // only for its temp directory
  ASSERT_TRUE(scratch.ok()) << scratch.error();
  const std::string db = scratch.temp_dir() + "/older.db";
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
  // No "deal", "deleted", "qq" or "company" yet.
  const std::string older =
      "CREATE TABLE messages(id INTEGER PRIMARY KEY AUTOINCREMENT, city TEXT NOT NULL, "
      "start_city TEXT NOT NULL, type INTEGER NOT NULL, content TEXT NOT NULL, "
      "tel TEXT NOT NULL, flag INTEGER NOT NULL DEFAULT 0, time TEXT NOT NULL, "
      "created INTEGER NOT NULL);"
      "INSERT INTO messages(city, start_city, type, content, tel, time, created) VALUES('" +
      Utf8ToGbk("郑州") + "', '" + Utf8ToGbk("郑州") +
      "', 0, 'kept from before', '123456', '2026-01-02 03:04:05', 1767323045);";
  ASSERT_EQ(sqlite3_exec(raw, older.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(raw);

  LocalService service({"--db", db});
  ASSERT_TRUE(service.ok()) << service.error();
  ServiceClient client(service);
  const CountedPage page = ParseCountedPage(client.Get("GetSearchInfo.asp?action=GetTopDatas"));
  EXPECT_EQ(page.total, 1);
  ASSERT_EQ(page.records.size(), 1u);
  EXPECT_EQ(page.records[0].Content, "kept from before");
  EXPECT_EQ(page.records[0].Deal, "0");
}

}  // namespace
}  // namespace tv::test
