#pragma once
// The feed controllers against real tarvolo-service processes: a feed wired
// to the transport, a discovery over a fixed list of hosts (or the one the
// test gives), and direct looks into the service's database to compare what
// the grid shows.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/background_job.h"
#include "demo_publish.h"
#include "feed/feed_controller.h"
#include "feed_test_util.h"
#include "local_service.h"
#include "net/query_encoding.h"
#include "net/transport.h"

namespace tv::feed_test {

// One SQL statement on the service's database; `take` reads the first
// column of every row.
template <typename T, typename Take>
std::vector<T> SqlColumn(const std::string& db_path, const std::string& sql, Take take) {
  std::vector<T> out;
  sqlite3* db = nullptr;
  if (sqlite3_open(db_path.c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return out;
  }
  sqlite3_busy_timeout(db, 5000);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
    while (sqlite3_step(stmt) == SQLITE_ROW) out.push_back(take(stmt));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return out;
}

// The first column of every row as a number.
inline std::vector<std::int64_t> SqlNumbers(const std::string& db_path, const std::string& sql) {
  return SqlColumn<std::int64_t>(db_path, sql,
                                 [](sqlite3_stmt* s) { return sqlite3_column_int64(s, 0); });
}

// The first column of the first row as its bytes (GBK as stored); "" when none.
inline std::string SqlText(const std::string& db_path, const std::string& sql) {
  const auto texts = SqlColumn<std::string>(db_path, sql, [](sqlite3_stmt* s) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 0));
    return std::string(bytes == nullptr ? "" : bytes,
                       static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
  });
  return texts.empty() ? std::string() : texts.front();
}

// One SQL statement on the service's database (SQLite or PostgreSQL); the
// first column of every row as a number.
using SqlQuery = std::function<std::vector<std::int64_t>(const std::string& sql)>;

inline SqlQuery SqliteQuery(std::string db_path) {
  return
      [db_path = std::move(db_path)](const std::string& sql) { return SqlNumbers(db_path, sql); };
}

inline std::int64_t NewestIn(const SqlQuery& db) {
  const auto newest = db("SELECT max(id) FROM messages");
  return newest.empty() ? 0 : newest[0];
}

inline std::int64_t MemberId(const std::string& db_path, const std::string& username) {
  auto ids = SqlNumbers(db_path, "SELECT id FROM members WHERE username = '" + username + "'");
  return ids.empty() ? 0 : ids.front();
}

// Publishes through the service's own page, as a client does (`type` "0"
// cargo, "1" trucks): `user` is a demo member.
inline bool Publish(const std::string& host, const std::string& user, const std::string& city_gbk,
                    const std::string& content_gbk, const std::string& type = "0") {
  return PublishAsDemoMember(host, user, city_gbk, content_gbk, type);
}

// A feed on real hosts. Discovery checks `hosts` in order and takes the
// first that answers "TestOK".
class ServiceFeed {
 public:
  explicit ServiceFeed(std::vector<std::string> hosts) : hosts_(std::move(hosts)), store(grid) {
    current_ = hosts_.front();
    Attach(
        [this] {
          for (const auto& host : hosts_) {
            if (FetchPage("GET", host, "/qavel/client/checkhost.htm") == "TestOK") {
              std::lock_guard lock(mutex_);
              current_ = host;
              return true;
            }
          }
          return false;
        },
        [this] {
          std::lock_guard lock(mutex_);
          return current_;
        });
  }
  // A feed that starts on current_host() and moves where `discover` finds a
  // server, as the client wires its own discovery (both run on workers).
  ServiceFeed(std::function<bool()> discover, std::function<std::string()> current_host)
      : store(grid) {
    Attach(std::move(discover), std::move(current_host));
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

  void Attach(std::function<bool()> discover, std::function<std::string()> current_host) {
    FeedServices s;
    s.current_host = current_host;
    s.discover = [this, discover = std::move(discover)] {
      ++discoveries_tried;
      const bool found = discover();
      if (found) ++discoveries_found;
      return found;
    };
    feed = std::make_unique<FeedController>(store, s);
    feed->SetFeedHost(current_host());
    feed->SetRefreshPeriodMs(100);
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

constexpr int kWaitMs = 15000;

inline bool StrictlyFalling(const std::vector<std::int64_t>& ids) {
  return std::adjacent_find(ids.begin(), ids.end(), std::less_equal<>()) == ids.end();
}

// Waits until the feed holds `id` or newer on top.
inline bool WaitForNewest(ServiceFeed& f, std::int64_t id, int ms = kWaitMs) {
  return QTest::qWaitFor([&] { return f.Newest() >= id; }, ms);
}

// Waits until the feed has answered `n` more polls for new records.
inline bool WaitForPolls(ServiceFeed& f, int n) {
  int polls = 0;
  auto c =
      QObject::connect(f.feed.get(), &FeedController::newRecordsApplied, [&](int) { ++polls; });
  const bool seen = QTest::qWaitFor([&] { return polls >= n; }, kWaitMs);
  QObject::disconnect(c);
  return seen;
}

// Every message the database holds after `after` up to the feed's newest must
// be on top exactly once; messages deleted meanwhile may be missing.
inline void ExpectEveryMessageOnce(ServiceFeed& f, const SqlQuery& db, std::int64_t after,
                                   const char* label) {
  const std::int64_t newest = f.Newest();
  const std::string range =
      " id > " + std::to_string(after) + " AND id <= " + std::to_string(newest);
  const auto published = db("SELECT id FROM messages WHERE" + range);
  const auto live = db("SELECT id FROM messages WHERE deleted = 0 AND" + range);
  std::vector<std::int64_t> shown;
  for (std::int64_t id : f.TopIds()) {
    if (id > after) shown.push_back(id);
  }
  const std::set<std::int64_t> shown_set(shown.begin(), shown.end());
  const std::set<std::int64_t> published_set(published.begin(), published.end());
  std::size_t missing = 0;
  for (std::int64_t id : live) missing += shown_set.count(id) == 0;
  std::size_t foreign = 0;
  for (std::int64_t id : shown) foreign += published_set.count(id) == 0;
  std::printf("[%s] published %zu, shown %zu, duplicates %zu, missing %zu\n", label,
              published.size(), shown.size(), shown.size() - shown_set.size(), missing);
  EXPECT_GT(published.size(), 0u);
  EXPECT_EQ(shown.size(), shown_set.size()) << "duplicates";
  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(foreign, 0u);
  EXPECT_TRUE(StrictlyFalling(shown));
}

// A member number no publisher has: staff messages ("0") are not the member's own.
constexpr std::int64_t kNobody = 987654321;

// Shows the whole country and lets a few polls run; gives the newest id held
// before anything goes wrong.
inline std::int64_t FollowWholeCountry(ServiceFeed& f) {
  f.store.Member().user_id = kNobody;
  f.store.View().regions = {G("全国信息")};
  f.feed->ReloadFirstPage();
  f.WaitReady();
  const std::int64_t start = f.Newest();
  EXPECT_TRUE(WaitForPolls(f, 3));
  return start;
}

inline int OutageMessages() {
  const char* v = std::getenv("TARVOLO_FEED_OUTAGE_MESSAGES");
  return v != nullptr && std::atoi(v) > 0 ? std::atoi(v) : 20;
}

// An outage lasts until the feed has found its server gone (it looked for
// another) and OutageMessages() new messages went into `db` meanwhile.
inline bool SitOutOutage(ServiceFeed& f, const SqlQuery& db) {
  const int tried = f.discoveries_tried.load();
  const std::int64_t newest = NewestIn(db);
  return QTest::qWaitFor(
      [&] {
        return f.discoveries_tried.load() > tried && NewestIn(db) >= newest + OutageMessages();
      },
      kWaitMs);
}

}  // namespace tv::feed_test
