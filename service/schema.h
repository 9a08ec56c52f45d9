#pragma once
// The store's tables, described once; each engine gets its own statements to
// create them and to add the columns an older database lacks.
#include <string>

#include "sql_db.h"

namespace tv {

// Brings a database up to the description: creates what is missing and adds
// missing columns to existing tables. False with `error` set on failure.
bool ApplySchema(SqlDb& db, SqlEngine engine, std::string* error);

}  // namespace tv
