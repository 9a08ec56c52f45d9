#pragma once
// The feed controllers against real tarvolo-service processes: a feed wired
// to the transport, a discovery over a fixed list of hosts, and direct looks
// into the service's database to compare what the grid shows.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QTest>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/background_job.h"
#include "feed/feed_controller.h"
#include "feed_test_util.h"
#include "local_service.h"
#include "net/query_encoding.h"
#include "net/transport.h"

namespace tv::feed_test {

// One SQL statement on the service's database; the first column of every
// row as a number.
inline std::vector<std::int64_t> SqlNumbers(const std::string& db_path, const std::string& sql) {
  std::vector<std::int64_t> out;
  sqlite3* db = nullptr;
  if (sqlite3_open(db_path.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return out;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) out.push_back(sqlite3_column_int64(stmt, 0));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

inline std::int64_t MemberId(const std::string& db_path, const std::string& username) {
  auto ids = SqlNumbers(db_path, "SELECT id FROM members WHERE username = '" + username + "'");
  return ids.empty() ? 0 : ids.front();
}

// Publishes through the service's own page, as a client does.
inline bool Publish(const std::string& host, std::int64_t flag, const std::string& city_gbk,
                    const std::string& content_gbk) {
  const std::string path = "/qavel/client/SetInfo.asp?action=Client_AddInfo&AddSign=NewInfo" +
                           std::string("&Msg_Code=") + EncodeQueryValue(city_gbk) +
                           "&Msg_StartCity=" + EncodeQueryValue(city_gbk) +
                           "&Msg_Type=0&Msg_Content=" + EncodeQueryValue(content_gbk) +
                           "&Msg_Tel=13900000000&Msg_Flag=" + std::to_string(flag);
  return FetchEncodedPage("POST", host, path) == "AddOK";
}

// A feed on real hosts. Discovery checks `hosts` in order and takes the
// first that answers "TestOK".
class ServiceFeed {
 public:
  explicit ServiceFeed(std::vector<std::string> hosts) : hosts_(std::move(hosts)), store(grid) {
    current_ = hosts_.front();
    FeedServices s;
    s.current_host = [this] {
      std::lock_guard lock(mutex_);
      return current_;
    };
    s.discover = [this] {
      ++discoveries_tried;
      for (const auto& host : hosts_) {
        if (FetchPage("GET", host, "/qavel/client/checkhost.htm") == "TestOK") {
          std::lock_guard lock(mutex_);
          current_ = host;
          ++discoveries_found;
          return true;
        }
      }
      return false;
    };
    feed = std::make_unique<FeedController>(store, s);
    feed->SetFeedHost(hosts_.front());
    feed->SetRefreshPeriodMs(100);
  }
  // A poll still on a worker calls back into this fixture (discover,
  // current_host): let it finish before the members it reads go away.
  ~ServiceFeed() {
    feed.reset();
    WaitForBackgroundJobs(30000);
  }
  ServiceFeed(const ServiceFeed&) = delete;
  ServiceFeed& operator=(const ServiceFeed&) = delete;

  void WaitReady() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return feed->PageReady(); }, 10000));
  }
  // The ids of the filled rows from the top.
  std::vector<std::int64_t> TopIds() const {
    std::vector<std::int64_t> ids;
    for (int row = 0; row < grid.RowCount(); ++row) {
      const std::string_view id = grid.CellText(row, kColInfoId);
      if (id.empty()) break;
      ids.push_back(std::stoll(std::string(id)));
    }
    return ids;
  }
  std::int64_t Newest() const {
    const std::string id = store.NewestId();
    return id.empty() ? 0 : std::stoll(id);
  }

  std::vector<std::string> hosts_;
  std::mutex mutex_;
  std::string current_;
  std::atomic<int> discoveries_tried{0};
  std::atomic<int> discoveries_found{0};
  TestGrid grid;
  FeedStore store;
  std::unique_ptr<FeedController> feed;
};

}  // namespace tv::feed_test
