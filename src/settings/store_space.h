#pragma once
// The member's own stores (settings, subscriptions, blocked members) report
// how their writes end here. A write the disk had no room for tells the
// member once; the stores keep running on what they hold, and the next
// writes that fail stay quiet until one is stored again (then a later full
// disk is told anew).
struct sqlite3;

namespace tv {

// A write on `db` ended: `done` when its statement (or every statement of
// its transaction, and the COMMIT) went through; `changes_before` is
// sqlite3_total_changes(db) from before it began, so a write that changed
// nothing proves nothing about the disk, nor does a statement done inside a
// transaction not yet committed. Call it before any ROLLBACK: a failure is
// read from the connection's last error.
void NoteStoreWrite(sqlite3* db, bool done, int changes_before);

// True from a write the disk had no room for until one is stored again: the
// member has been told, and a caller's own notice of a failed write would
// only repeat it.
bool StoreDiskFull();

}  // namespace tv
