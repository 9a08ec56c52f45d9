#include "schema.h"

#include <set>

namespace tv {
namespace {

enum class Type { kId, kInt, kText };

struct Column {
  const char* name;
  Type type;
  const char* default_value = nullptr;  // nullptr: none (the value is always given)
  bool unique_nocase = false;           // unique without regard to ASCII letter case
  const char* references = nullptr;     // a table whose "id" this column holds
};

struct Table {
  const char* name;
  std::vector<Column> columns;
  const char* unique = nullptr;  // a UNIQUE(...) column list
  long long first_id = 1;        // the first identifier handed out
  bool single_row = false;       // one row, made with the table
  bool shared_only = false;      // only where several servers share the store
};

struct Index {
  const char* name;
  const char* table;
  const char* columns;
};

const std::vector<Table>& Tables() {
  static const std::vector<Table> tables = {
      {"messages",
       {{"id", Type::kId},
        {"city", Type::kText},
        {"start_city", Type::kText},
        {"type", Type::kInt},
        {"content", Type::kText},
        {"tel", Type::kText},
        {"qq", Type::kText, "''"},
        {"company", Type::kText, "''"},
        {"flag", Type::kInt, "0"},
        {"deal", Type::kInt, "0"},
        {"time", Type::kText},
        {"created", Type::kInt},
        // 1: withdrawn or deleted; 2: replaced by a re-send of its text.
        {"deleted", Type::kInt, "0"},
        {"resent", Type::kInt, "0"}}},  // re-sends of the text before this copy
      {"deleted_log", {{"log_id", Type::kId}, {"info_id", Type::kInt}, {"at", Type::kInt}}},
      {"closed_log", {{"log_id", Type::kId}, {"info_id", Type::kInt}, {"at", Type::kInt}}},
      {"members",
       {{"id", Type::kId},
        {"username", Type::kText, nullptr, true},
        {"pass_hash", Type::kText},
        {"real_name", Type::kText, "''"},
        {"sex", Type::kText, "''"},
        {"company", Type::kText, "''"},
        {"phone", Type::kText, "''"},
        {"mobile", Type::kText, "''"},
        {"net_phone", Type::kText, "''"},
        {"extension", Type::kText, "''"},
        {"city", Type::kText, "''"},
        {"province", Type::kText, "''"},
        {"url", Type::kText, "''"},
        {"email", Type::kText, "''"},
        {"address", Type::kText, "''"},
        {"post", Type::kText, "''"},
        {"town", Type::kText, "''"},
        {"member_status", Type::kInt, "1"},
        {"contact_wait_flag", Type::kInt, "0"},
        {"contact_wait_seconds", Type::kInt, "0"},
        {"contact_right", Type::kInt, "1"},
        {"approved", Type::kInt, "1"},
        {"publish_right", Type::kInt, "1"},
        {"publish_wait_seconds", Type::kInt, "0"},
        {"info_num", Type::kInt, "1"},
        {"content_limit", Type::kInt, "100"},
        {"created", Type::kInt},
        {"daily_quota", Type::kInt, "-1"},  // -1: the service's --quota
        {"disabled", Type::kInt, "0"},
        {"last_login", Type::kInt, "0"}},
       nullptr,
       10001},  // member numbers start at 10001, as the service's always looked
      {"friends",
       {{"entry_id", Type::kId},
        {"owner", Type::kInt, nullptr, false, "members"},
        {"friend_id", Type::kInt, nullptr, false, "members"},
        {"company", Type::kText, "''"},
        {"qq", Type::kText, "''"},
        {"net_phone", Type::kText, "''"}},
       "owner, friend_id"},
      // Sessions of logged-in members, by the hash of their key.
      {"sessions",
       {{"id", Type::kId},
        {"key_hash", Type::kText},
        {"member", Type::kInt, nullptr, false, "members"},
        {"expires", Type::kInt}},
       "key_hash"},
      // The operators of the web console and their sessions (by the hash of
      // the key; the expiry moves on with every use).
      {"operators",
       {{"id", Type::kId},
        {"name", Type::kText, nullptr, true},
        {"pass_hash", Type::kText},
        {"created", Type::kInt}}},
      {"operator_sessions",
       {{"id", Type::kId},
        {"key_hash", Type::kText},
        {"op_name", Type::kText},
        {"expires", Type::kInt}},
       "key_hash"},
      // What operators changed: who, when, what, before and after.
      {"audit_log",
       {{"id", Type::kId},
        {"at", Type::kInt},
        {"op_name", Type::kText},
        {"action", Type::kText},
        {"target", Type::kText},
        {"before_text", Type::kText, "''"},
        {"after_text", Type::kText, "''"}}},
      // Failed logins per user name and per client address ("user NAME",
      // "addr ADDRESS"), in milliseconds; shared by the servers of a store.
      {"login_failures",
       {{"id", Type::kId},
        {"login_key", Type::kText},
        {"failures", Type::kInt, "0"},
        {"last_failure", Type::kInt, "0"},
        {"held_until", Type::kInt, "0"}},
       "login_key"},
      // Servers that share a store learn from here whether their cached
      // answers still hold: every write of messages or logs counts up.
      {"store_state", {{"version", Type::kInt, "0"}}, nullptr, 1, true, true},
  };
  return tables;
}

const std::vector<Index>& Indexes() {
  static const std::vector<Index> indexes = {
      {"messages_by_flag", "messages", "flag, created"},
      {"messages_city_view", "messages", "city, deleted, type"},
      {"messages_start_city_view", "messages", "start_city, deleted, type"},
      {"sessions_by_expiry", "sessions", "expires"},
      {"login_failures_by_time", "login_failures", "last_failure"},
      {"messages_by_created", "messages", "created"},
  };
  return indexes;
}

std::string ColumnSql(const Table& t, const Column& c, SqlEngine engine) {
  const bool pg = engine == SqlEngine::kPostgres;
  std::string s = std::string(c.name) + " ";
  switch (c.type) {
    case Type::kId:
      return s + (pg ? "BIGINT GENERATED BY DEFAULT AS IDENTITY (START WITH " +
                           std::to_string(t.first_id) + ") PRIMARY KEY"
                     : "INTEGER PRIMARY KEY AUTOINCREMENT");
    case Type::kInt:
      s += pg ? "BIGINT NOT NULL" : "INTEGER NOT NULL";
      break;
    case Type::kText:
      s += "TEXT NOT NULL";
      break;
  }
  if (c.default_value) s += std::string(" DEFAULT ") + c.default_value;
  // PostgreSQL gets a unique index on lower(name) instead.
  if (c.unique_nocase && !pg) s += " UNIQUE COLLATE NOCASE";
  if (c.references) s += std::string(" REFERENCES ") + c.references + "(id)";
  return s;
}

// "Names one of the listed words", as the SQLite connections get it from C++:
// a match must start on a character boundary. A database without an encoding
// of its own holds GBK bytes (a lead byte 0x81-0xFE and its trail byte are
// one character) ...
constexpr char kNamesAnyGbkFunction[] = R"sql(
CREATE OR REPLACE FUNCTION tv_names_any(t text, list text) RETURNS boolean
LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $fn$
DECLARE
  b bytea := convert_to(t, 'SQL_ASCII');
  n int := length(b);
  word text;
  w bytea;
  m int;
  i int;
BEGIN
  FOREACH word IN ARRAY string_to_array(list, ',') LOOP
    CONTINUE WHEN word = '';
    w := convert_to(word, 'SQL_ASCII');
    CONTINUE WHEN position(w IN b) = 0;
    m := length(w);
    i := 0;
    WHILE i + m <= n LOOP
      IF substring(b FROM i + 1 FOR m) = w THEN
        RETURN true;
      END IF;
      IF get_byte(b, i) BETWEEN 129 AND 254 AND i + 1 < n THEN
        i := i + 2;
      ELSE
        i := i + 1;
      END IF;
    END LOOP;
  END LOOP;
  RETURN false;
END
$fn$)sql";

// ... a UTF-8 one holds characters, and its byte sequences never match inside
// another character.
constexpr char kNamesAnyUtf8Function[] = R"sql(
CREATE OR REPLACE FUNCTION tv_names_any(t text, list text) RETURNS boolean
LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS $fn$
  SELECT EXISTS (SELECT 1 FROM unnest(string_to_array(list, ',')) AS word
                 WHERE word <> '' AND strpos(t, word) > 0)
$fn$)sql";

// True when the database keeps bytes as they come (SQL_ASCII).
bool HoldsBytes(SqlDb& db) {
  SqlStmt s(db, "SELECT current_setting('server_encoding')");
  return s.Step() && s.Text(0) == "SQL_ASCII";
}

std::set<std::string> ExistingColumns(SqlDb& db, SqlEngine engine, const char* table) {
  std::set<std::string> out;
  if (engine == SqlEngine::kSqlite) {
    SqlStmt s(db, std::string("SELECT name FROM pragma_table_info('") + table + "')");
    while (s.Step()) out.insert(s.Text(0));
  } else {
    SqlStmt s(db,
              "SELECT column_name FROM information_schema.columns "
              "WHERE table_schema = current_schema() AND table_name = ?1");
    s.Bind(1, std::string_view(table));
    while (s.Step()) out.insert(s.Text(0));
  }
  return out;
}

}  // namespace

namespace {

// The tables' own statements, then (`after`) what needs their columns.
void Statements(SqlEngine engine, bool holds_bytes, std::vector<std::string>* tables,
                std::vector<std::string>* after) {
  const bool pg = engine == SqlEngine::kPostgres;
  std::vector<std::string>& out = *tables;
  for (const Table& t : Tables()) {
    if (t.shared_only && !pg) continue;
    std::string sql = std::string("CREATE TABLE IF NOT EXISTS ") + t.name + "(";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
      if (i) sql += ", ";
      sql += ColumnSql(t, t.columns[i], engine);
    }
    if (t.unique) sql += std::string(", UNIQUE(") + t.unique + ")";
    out.push_back(sql + ")");
    for (const Column& c : t.columns) {
      if (c.unique_nocase && pg) {
        // ASCII letters only, as SQLite's NOCASE, whatever the database's
        // locale. The index of older databases (lower() under their C
        // locale, the same thing) gives way to it.
        const std::string index = std::string(t.name) + "_" + c.name + "_nocase";
        after->push_back("CREATE UNIQUE INDEX IF NOT EXISTS " + index + "_c ON " + t.name + "(" +
                         PgNoCase(c.name) + ")");
        after->push_back("DROP INDEX IF EXISTS " + index);
      }
    }
    if (t.single_row) {
      const Column& first = t.columns.front();
      after->push_back(std::string("INSERT INTO ") + t.name + "(" + first.name + ") SELECT " +
                       first.default_value + " WHERE NOT EXISTS (SELECT 1 FROM " + t.name + ")");
    }
    if (t.first_id != 1 && !pg) {
      after->push_back(std::string("INSERT INTO sqlite_sequence(name, seq) SELECT '") + t.name +
                       "', " + std::to_string(t.first_id - 1) +
                       " WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = '" + t.name +
                       "')");
    }
  }
  for (const Index& i : Indexes()) {
    after->push_back(std::string("CREATE INDEX IF NOT EXISTS ") + i.name + " ON " + i.table + "(" +
                     i.columns + ")");
  }
  if (pg) after->push_back(holds_bytes ? kNamesAnyGbkFunction : kNamesAnyUtf8Function);
}

}  // namespace

std::vector<TableShape> PostgresTables() {
  std::vector<TableShape> out;
  for (const Table& t : Tables()) {
    const Column& first = t.columns.front();
    out.push_back({t.name, first.type == Type::kId ? first.name : ""});
  }
  return out;
}

std::string PgNoCase(const std::string& operand) {
  return "lower(CAST(" + operand + " AS text) COLLATE \"C\")";
}

bool ApplySchema(SqlDb& db, SqlEngine engine, std::string* error) {
  auto fail = [&] {
    if (error) *error = db.LastError();
    db.Exec("ROLLBACK");
    return false;
  };
  // Several servers may start on one new database at once: one at a time.
  if (!db.Exec(engine == SqlEngine::kPostgres ? "BEGIN; SELECT pg_advisory_xact_lock(7301001)"
                                              : "BEGIN IMMEDIATE")) {
    return fail();
  }
  std::vector<std::string> tables, after;
  Statements(engine, engine == SqlEngine::kPostgres && HoldsBytes(db), &tables, &after);
  for (const std::string& sql : tables) {
    if (!db.Exec(sql)) return fail();
  }
  for (const Table& t : Tables()) {
    if (t.shared_only && engine != SqlEngine::kPostgres) continue;
    const auto existing = ExistingColumns(db, engine, t.name);
    for (const Column& c : t.columns) {
      if (c.type == Type::kId || existing.count(c.name)) continue;
      // Rows already there take the column's default (or the type's own).
      std::string column = ColumnSql(t, c, engine);
      if (!c.default_value) column += c.type == Type::kText ? " DEFAULT ''" : " DEFAULT 0";
      if (!db.Exec(std::string("ALTER TABLE ") + t.name + " ADD COLUMN " + column)) {
        return fail();
      }
    }
  }
  for (const std::string& sql : after) {
    if (!db.Exec(sql)) return fail();
  }
  if (!db.Exec("COMMIT")) return fail();
  return true;
}

}  // namespace tv
