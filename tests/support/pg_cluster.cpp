#include "pg_cluster.h"

#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tv::test {
namespace {

namespace fs = std::filesystem;

// Debian puts the server programs beside each other under its version.
std::string FindServerBin() {
  std::error_code ec;
  std::string best;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    const fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best) {
      best = bin.string();
    }
  }
  return best;
}

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
    port = ntohs(addr.sin_port);
  }
  close(fd);
  return port;
}

std::string Tail(const std::string& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  const std::string s = text.str();
  return s.size() > 2000 ? s.substr(s.size() - 2000) : s;
}

// The locale the system runs in when it is a UTF-8 one, else C.UTF-8 (which
// every Debian has).
std::string SystemLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    const std::string_view locale(value);
    if (locale.ends_with(".UTF-8") || locale.ends_with(".utf8")) return std::string(locale);
    break;
  }
  return "C.UTF-8";
}

}  // namespace

PgCluster::PgCluster() {
  bin_ = FindServerBin();
  if (bin_.empty()) {
    error_ =
        "PostgreSQL is missing (no /usr/lib/postgresql/*/bin/initdb): "
        "scripts/setup.sh installs the postgresql package";
    return;
  }
  std::string templ = (fs::temp_directory_path() / "tv-pg-XXXXXX").string();
  if (!mkdtemp(templ.data())) {
    error_ = "mkdtemp failed";
    return;
  }
  dir_ = templ;
  // The server refuses to run as root: the cluster belongs to "nobody" then.
  if (geteuid() == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody || chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
      error_ = "cannot hand " + dir_ + " to the user nobody";
      return;
    }
    user_ = "nobody";
  }
  if (!Run("'" + bin_ + "/initdb' -D '" + dir_ + "/data' -E UTF8 --locale=" + SystemLocale() +
           " -A trust " + "-U tarvolo --no-sync >'" + dir_ + "/initdb.log' 2>&1")) {
    error_ = "initdb failed: " + Tail(dir_ + "/initdb.log");
    return;
  }
  for (int attempt = 0; attempt < 3 && port_ == 0; ++attempt) {
    const int port = FreePort();
    if (StartOn(port)) port_ = port;
  }
  if (port_ == 0) error_ = "the PostgreSQL server did not start: " + Tail(dir_ + "/server.log");
}

std::string PgCluster::Options(int port) const {
  return "-c listen_addresses=127.0.0.1 -p " + std::to_string(port) + " -k " + dir_ +
         " -c fsync=off -c synchronous_commit=off -c full_page_writes=off"
         " -c max_connections=300";
}

bool PgCluster::StartOn(int port) {
  return Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -o '" + Options(port) + "' -l '" + dir_ +
             "/server.log' -w -t 60 start >/dev/null 2>&1");
}

bool PgCluster::Restart() {
  return ok() && Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -o '" + Options(port_) +
                     "' -l '" + dir_ + "/server.log' -m fast -w -t 60 restart >/dev/null 2>&1");
}

bool PgCluster::Stop() {
  return ok() &&
         Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -m fast -w -t 60 stop >/dev/null 2>&1");
}

bool PgCluster::Start() { return ok() && StartOn(port_); }

PgCluster::~PgCluster() {
  if (port_ > 0) {
    Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -m immediate -w stop >/dev/null 2>&1");
  }
  if (!dir_.empty()) {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
}

bool PgCluster::Run(const std::string& command) {
  const std::string as_user =
      user_.empty() ? command : "runuser -u " + user_ + " -- sh -c \"" + command + "\"";
  return std::system(as_user.c_str()) == 0;
}

std::string PgCluster::Uri(const std::string& database) const {
  return "postgresql://tarvolo@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

std::string PgCluster::NewDatabase(Recipe recipe) {
  if (!ok()) return "";
  const std::string name = "tv" + std::to_string(getpid()) + "_" + std::to_string(++databases_);
  PGconn* conn = PQconnectdb(Uri("postgres").c_str());
  bool made = false;
  if (PQstatus(conn) == CONNECTION_OK) {
    const char* how = recipe == Recipe::kSqlAscii
                          ? " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0"
                          : "";
    PGresult* r = PQexec(conn, ("CREATE DATABASE " + name + how).c_str());
    made = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!made) error_ = PQerrorMessage(conn);
    PQclear(r);
  } else {
    error_ = PQerrorMessage(conn);
  }
  PQfinish(conn);
  return made ? Uri(name) : "";
}

std::vector<std::int64_t> PgNumbers(const std::string& uri, const std::string& sql) {
  std::vector<std::int64_t> out;
  PGconn* conn = PQconnectdb(uri.c_str());
  if (PQstatus(conn) == CONNECTION_OK) {
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
      for (int row = 0; row < PQntuples(r); ++row) {
        out.push_back(PQgetisnull(r, row, 0) ? 0 : std::stoll(PQgetvalue(r, row, 0)));
      }
    }
    PQclear(r);
  }
  PQfinish(conn);
  return out;
}

bool PgExec(const std::string& uri, const std::string& sql) {
  PGconn* conn = PQconnectdb(uri.c_str());
  bool ok = false;
  if (PQstatus(conn) == CONNECTION_OK) {
    PGresult* r = PQexec(conn, sql.c_str());
    ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    PQclear(r);
  }
  PQfinish(conn);
  return ok;
}

std::vector<std::string> PgTexts(const std::string& uri, const std::string& sql) {
  std::vector<std::string> out;
  PGconn* conn = PQconnectdb(uri.c_str());
  if (PQstatus(conn) == CONNECTION_OK && PQsetClientEncoding(conn, "UTF8") == 0) {
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
      for (int row = 0; row < PQntuples(r); ++row) out.emplace_back(PQgetvalue(r, row, 0));
    }
    PQclear(r);
  }
  PQfinish(conn);
  return out;
}

}  // namespace tv::test
