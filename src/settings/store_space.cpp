#include "settings/store_space.h"

#include <sqlite3.h>

#include <atomic>

#include "core/gbk.h"
#include "core/notice.h"

namespace tv {
namespace {

// Set from the first write that found the disk full until one is stored.
std::atomic<bool> g_disk_full{false};

}  // namespace

void NoteStoreWrite(sqlite3* db, bool done, int changes_before) {
  if (done) {
    // Inside a transaction nothing is stored before its COMMIT.
    if (sqlite3_get_autocommit(db) != 0 && sqlite3_total_changes(db) != changes_before) {
      g_disk_full.store(false, std::memory_order_relaxed);
    }
    return;
  }
  if ((sqlite3_errcode(db) & 0xFF) == SQLITE_FULL &&
      !g_disk_full.exchange(true, std::memory_order_relaxed)) {
    ShowNotice(
        TV_TEXT("磁盘已满,设置和订阅暂时不能保存\n\n程序照常运行;腾出磁盘空间后会自动继续保存"));
  }
}

bool StoreDiskFull() { return g_disk_full.load(std::memory_order_relaxed); }

}  // namespace tv
