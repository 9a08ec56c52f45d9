#pragma once
// The store's tables, described once; each engine gets its own statements to
// create them and to add the columns an older database lacks.
#include <string>
#include <vector>

#include "sql_db.h"

namespace tv {

// Brings a database up to the description: creates what is missing and adds
// missing columns to existing tables. False with `error` set on failure.
bool ApplySchema(SqlDb& db, SqlEngine engine, std::string* error);

// The tables of a shared (PostgreSQL) store, each before those that refer to
// it, with the column that identifies a row ("" for a single-row table).
struct TableShape {
  std::string name;
  std::string id_column;
};
std::vector<TableShape> PostgresTables();

// PostgreSQL: `operand` with its ASCII letters lowered and nothing else, in
// any database locale (what the unique name indexes hold).
std::string PgNoCase(const std::string& operand);

}  // namespace tv
