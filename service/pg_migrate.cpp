#include "pg_migrate.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

#include "pg_db.h"
#include "schema.h"
#include "sql_db.h"

namespace tv {
namespace {

constexpr char kUsage[] =
    "usage: tarvolo-service migrate [--db URI | --db-file FILE]\n"
    "  Converts a PostgreSQL database made for GBK bytes (SQL_ASCII) into a UTF-8 one\n"
    "  under the same name; the old one stays as NAME_sql_ascii. Stop every data server\n"
    "  of the database first. The role of the URI owns the database and may create\n"
    "  databases (ALTER ROLE ... CREATEDB); grants to other roles are not carried over.\n"
    "  The database is --db, else the first line of --db-file, else $TARVOLO_SERVICE_DB.\n";

// Rows copied per round trip of the reading side.
constexpr int kChunk = 2000;

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (const char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

// The same connection settings with another database.
std::string WithDatabase(const std::string& conninfo, const std::string& database) {
  char* error = nullptr;
  PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
  PQfreemem(error);
  if (!options) return "";
  std::string out;
  for (PQconninfoOption* o = options; o->keyword; ++o) {
    const bool db = std::string_view(o->keyword) == "dbname";
    if (!db && (!o->val || !*o->val)) continue;
    out += o->keyword;
    out += "='";
    for (const char c : std::string_view(db ? database.c_str() : o->val)) {
      if (c == '\'' || c == '\\') out += '\\';
      out += c;
    }
    out += "' ";
  }
  PQconninfoFree(options);
  return out;
}

std::string One(SqlDb& db, const std::string& sql) {
  SqlStmt s(db, sql);
  return s.Step() ? s.Text(0) : "";
}

bool Fail(SqlDb& db, const std::string& what, std::string* report) {
  *report = what + ": " + db.LastError();
  return false;
}

std::vector<std::string> Columns(SqlDb& db, const std::string& table) {
  std::vector<std::string> out;
  SqlStmt s(db,
            "SELECT column_name FROM information_schema.columns WHERE table_schema = "
            "current_schema() AND table_name = ?1 ORDER BY ordinal_position");
  s.Bind(1, std::string_view(table));
  while (s.Step()) out.push_back(s.Text(0));
  return out;
}

// Copies one table inside the open transaction of `to`; counts its rows.
bool CopyTable(SqlDb& from, SqlDb& to, const TableShape& table, std::int64_t* rows,
               std::string* report) {
  const std::vector<std::string> columns = Columns(from, table.name);
  std::string list, params;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    list += (i ? ", " : "") + Quoted(columns[i]);
    params += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  if (!to.Exec("DELETE FROM " + table.name)) return Fail(to, "emptying " + table.name, report);
  const std::string insert = "INSERT INTO " + table.name + "(" + list + ") VALUES(" + params + ")";
  std::string select = "SELECT " + list + " FROM " + table.name;
  if (!table.id_column.empty()) {
    select += " WHERE " + table.id_column + " > ?1 ORDER BY " + table.id_column + " LIMIT " +
              std::to_string(kChunk);
  }
  std::int64_t after = -1;
  for (bool more = true; more;) {
    more = false;
    SqlStmt read(from, select);
    read.Bind(1, after);
    if (!read.valid()) return Fail(from, "reading " + table.name, report);
    while (read.Step()) {
      SqlStmt write(to, insert);
      for (std::size_t i = 0; i < columns.size(); ++i) {
        write.Bind(static_cast<int>(i + 1), std::string_view(read.Text(static_cast<int>(i))));
      }
      if (!write.Run()) return Fail(to, "copying " + table.name, report);
      ++*rows;
      if (!table.id_column.empty()) {
        after = read.Int(0);
        more = true;
      }
    }
  }
  if (!table.id_column.empty()) {
    // Identifiers go on from the highest copied one.
    const std::string& id = table.id_column;
    if (!to.Exec("SELECT setval(pg_get_serial_sequence('" + table.name + "', '" + id + "'), MAX(" +
                 id + ")) FROM " + table.name + " HAVING COUNT(*) > 0")) {
      return Fail(to, "numbering " + table.name, report);
    }
  }
  return true;
}

std::int64_t Count(SqlDb& db, const std::string& table) {
  SqlStmt s(db, "SELECT COUNT(*) FROM " + table);
  return s.Step() ? s.Int(0) : -1;
}

}  // namespace

bool MigrateToUtf8(const std::string& conninfo, std::string* report) {
  std::string error;
  auto old = OpenPostgres(conninfo, &error);
  if (!old) {
    *report = "cannot connect: " + error;
    return false;
  }
  const std::string name = One(*old, "SELECT current_database()");
  const std::string encoding = One(*old, "SELECT current_setting('server_encoding')");
  if (encoding == "UTF8") {
    *report = "the database " + name + " is UTF8 already; nothing to do";
    return true;
  }
  if (encoding != "SQL_ASCII") {
    *report = "the database " + name + " has encoding " + encoding + "; only SQL_ASCII converts";
    return false;
  }
  const std::string others = One(*old,
                                 "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = "
                                 "current_database() AND pid <> pg_backend_pid()");
  if (others != "0") {
    *report = others + " other connection(s) to " + name + ": stop its data servers first";
    return false;
  }
  // Columns an older service did not have yet come first, so both sides agree.
  if (!ApplySchema(*old, SqlEngine::kPostgres, &error)) {
    *report = "bringing " + name + " up to date: " + error;
    return false;
  }

  auto admin = OpenPostgres(WithDatabase(conninfo, "postgres"), &error);
  if (!admin) admin = OpenPostgres(WithDatabase(conninfo, "template1"), &error);
  if (!admin) {
    *report = "cannot connect to the cluster's maintenance database: " + error;
    return false;
  }
  const std::string fresh_name = name + "_utf8", kept_name = name + "_sql_ascii";
  for (const std::string& taken : {fresh_name, kept_name}) {
    SqlStmt s(*admin, "SELECT 1 FROM pg_database WHERE datname = ?1");
    s.Bind(1, std::string_view(taken));
    if (s.Step()) {
      *report = "a database " + taken + " exists already (from an earlier run?); drop or rename it";
      return false;
    }
  }
  // As createdb makes it when the cluster is UTF-8; otherwise UTF-8 with the
  // C locale, which goes with any encoding.
  const bool utf8_cluster =
      One(*admin,
          "SELECT pg_encoding_to_char(encoding) FROM pg_database WHERE datname = 'template1'") ==
      "UTF8";
  if (!admin->Exec("CREATE DATABASE " + Quoted(fresh_name) +
                   (utf8_cluster ? ""
                                 : " ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C' "
                                   "TEMPLATE template0"))) {
    return Fail(*admin, "creating " + fresh_name, report);
  }
  const auto drop_fresh = [&] { admin->Exec("DROP DATABASE IF EXISTS " + Quoted(fresh_name)); };

  std::string summary;
  {
    auto fresh = OpenPostgres(WithDatabase(conninfo, fresh_name), &error);
    if (!fresh || !ApplySchema(*fresh, SqlEngine::kPostgres, &error)) {
      fresh.reset();
      drop_fresh();
      *report = "preparing " + fresh_name + ": " + error;
      return false;
    }
    bool ok = fresh->Exec("BEGIN") && old->Exec("BEGIN ISOLATION LEVEL REPEATABLE READ");
    for (const TableShape& table : PostgresTables()) {
      if (!ok) break;
      std::int64_t rows = 0;
      ok = CopyTable(*old, *fresh, table, &rows, report);
      if (ok && rows != Count(*old, table.name)) {
        *report = table.name + ": the copy has " + std::to_string(rows) + " rows";
        ok = false;
      }
      if (ok && rows > 0) summary += " " + table.name + " " + std::to_string(rows) + ",";
    }
    if (ok && !fresh->Exec("COMMIT")) ok = Fail(*fresh, "committing", report);
    old->Exec("ROLLBACK");
    if (!ok) {
      if (report->empty()) *report = "copying: " + fresh->LastError();
      fresh.reset();
      old.reset();
      drop_fresh();
      return false;
    }
  }
  old.reset();
  if (!admin->Exec("ALTER DATABASE " + Quoted(name) + " RENAME TO " + Quoted(kept_name))) {
    Fail(*admin, "renaming " + name, report);
    drop_fresh();
    return false;
  }
  if (!admin->Exec("ALTER DATABASE " + Quoted(fresh_name) + " RENAME TO " + Quoted(name))) {
    Fail(*admin, "renaming " + fresh_name, report);
    admin->Exec("ALTER DATABASE " + Quoted(kept_name) + " RENAME TO " + Quoted(name));
    drop_fresh();
    return false;
  }
  if (!summary.empty()) summary.pop_back();
  *report = "the database " + name + " is UTF8 now (copied:" + summary + "); the old one is " +
            kept_name + ", to drop once the servers run well";
  return true;
}

int RunMigrateCommand(int argc, char** argv) {
  if (argc < 2 || std::string_view(argv[1]) != "migrate") return -1;
  std::string db;
  if (const char* env = std::getenv("TARVOLO_SERVICE_DB"); env && *env) db = env;
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--db" && i + 1 < argc) {
      db = argv[++i];
    } else if (a == "--db-file" && i + 1 < argc) {
      std::ifstream in(argv[++i]);
      if (!std::getline(in, db) || db.empty()) {
        std::cerr << "tarvolo-service migrate: cannot read --db-file\n";
        return 2;
      }
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (!IsPostgresUri(db)) {
    std::cerr << "tarvolo-service migrate: a postgresql:// URI, please\n" << kUsage;
    return 2;
  }
  std::string report;
  const bool ok = MigrateToUtf8(db, &report);
  (ok ? std::cout : std::cerr) << "tarvolo-service migrate: " << report << "\n";
  return ok ? 0 : 1;
}

}  // namespace tv
