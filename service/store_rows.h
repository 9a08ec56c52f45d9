#pragma once
// The store's row readers, shared by its source files.
#include <ctime>

#include "sql_db.h"
#include "store.h"

namespace tv::store_rows {

// SELECT lists whose columns the readers below take in order.
extern const char kMessageColumns[];
extern const char kMemberColumns[];
MessageRow ReadMessage(const SqlStmt& s);
// Column 25 of kMemberColumns is the password hash, which the member leaves out.
Member ReadMember(const SqlStmt& s);
// The start of the local calendar day of `now`.
std::time_t LocalMidnight(std::time_t now);

}  // namespace tv::store_rows
