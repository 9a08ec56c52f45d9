#include "options.h"

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "query.h"

namespace tv {
namespace {

constexpr char kUsage[] =
    "usage: tarvolo-service [options]\n"
    "  --listen HOST:PORT     address to serve (default 127.0.0.1:8080; port 0: any free port)\n"
    "  --tls-cert FILE        serve HTTPS with this certificate chain (PEM; TLS 1.2 and 1.3)\n"
    "  --tls-key FILE         and this key (PEM); both are needed\n"
    "  --tls-listen HOST:PORT HTTPS on this address beside plain HTTP on --listen (without\n"
    "                         it, --listen speaks HTTPS only)\n"
    "  --db FILE|URI          SQLite file, created when missing (default tarvolo-service.db), or\n"
    "                         a postgresql:// URI of a database several servers may share\n"
    "                         (also from $TARVOLO_SERVICE_DB when --db is not given)\n"
    "  --db-file FILE         the --db value from the first line of FILE (keeps a password\n"
    "                         off the command line)\n"
    "  --demo                 fill an empty database with demo members and messages\n"
    "  --demo-count N         number of demo messages (default 3000)\n"
    "  --simulate SECONDS     publish one message every SECONDS, now and then delete or close one\n"
    "  --role ROLE            portal | fallback | data | all (default all)\n"
    "  --hosts LIST           '/'-separated data hosts the server list hands out (default: own)\n"
    "  --approve              registrations wait for approval (answer RegNoGo)\n"
    "  --offer-version V      version offered by UpdateVersion.htm (default: the client's own)\n"
    "  --quota N              messages a member may publish per day (default 100; 0: no limit)\n"
    "  --threads N            worker threads that build answers (default 16)\n"
    "  --io-threads N         connection threads (default: one per processor, at most 4)\n"
    "  --head-timeout SECONDS a request must arrive within this from its first byte (default 10)\n"
    "  --idle-timeout SECONDS an open connection may wait this long for a request (default 15)\n"
    "  --max-connections N    open connections at most (default: what the descriptor limit "
    "allows)\n"
    "  --no-cache             build every answer anew (for measurements)\n"
    "  --update-dir DIR       files served under /qavel/software/, each with its signature\n"
    "                         FILE.sig beside it (see sign-update below)\n"
    "  --public-host HOST:PORT the address clients reach this server at, for the update\n"
    "                         address of the version file (default: the --listen address)\n"
    "  --allow-unsigned-members  publishing and the friends list also for requests without\n"
    "                         the session key of the login (clients that do not send it);\n"
    "                         the published company and contact line must still be the\n"
    "                         member's own\n"
    "  --admin-listen HOST:PORT  the operator's web console and /metrics, on this address\n"
    "                         only (default: off); operators: tarvolo-service admin add NAME\n"
    "  --seed N               seed of the demo data and the simulation\n"
    "\n"
    "       tarvolo-service gen-update-key FILE\n"
    "  a new Ed25519 key pair for signing updates: FILE the secret key (mode 0600),\n"
    "  FILE.pub and standard output the public key, which a client build takes as\n"
    "  -DTARVOLO_UPDATE_PUBLIC_KEY=HEX\n"
    "       tarvolo-service sign-update --key FILE PROGRAM...\n"
    "  writes PROGRAM.sig, the detached signature the client checks before it\n"
    "  installs PROGRAM\n"
    "       tarvolo-service admin [--db FILE|URI] COMMAND ...\n"
    "  operator accounts and the console's actions from a shell (admin --help)\n"
    "       tarvolo-service migrate [--db URI | --db-file FILE]\n"
    "  a PostgreSQL database of GBK bytes (SQL_ASCII) becomes UTF-8 (migrate --help)\n";

bool ParseSeconds(std::string_view text, double min, double* out) {
  char* end = nullptr;
  const std::string s(text);
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end != '\0' || !(v >= min) || v > 1e9) return false;
  *out = v;
  return true;
}

bool ParseInt(std::string_view text, int min, int max, int* out) {
  auto v = ParseNumber(text);
  if (!v || *v < min || *v > max) return false;
  *out = static_cast<int>(*v);
  return true;
}

bool ParseAddress(std::string_view text, std::string* host, int* port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 ||
      !ParseInt(text.substr(colon + 1), 0, 65535, port)) {
    return false;
  }
  *host = std::string(text.substr(0, colon));
  return true;
}

}  // namespace

std::optional<ServiceOptions> ParseServiceOptions(int argc, char** argv, std::string* message,
                                                  bool* exit_ok) {
  ServiceOptions o;
  bool db_given = false;
  *exit_ok = false;
  auto fail = [&](const std::string& text) {
    *message = text + "\n" + kUsage;
    return std::nullopt;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    std::string_view v;
    if (arg == "--help" || arg == "-h") {
      *message = kUsage;
      *exit_ok = true;
      return std::nullopt;
    } else if (arg == "--demo") {
      o.demo = true;
    } else if (arg == "--approve") {
      o.approve = true;
    } else if (arg == "--no-cache") {
      o.cache = false;
    } else if (arg == "--allow-unsigned-members") {
      o.allow_unsigned_members = true;
    } else if (!value(&v)) {
      return fail("unknown option or missing value: " + std::string(arg));
    } else if (arg == "--listen") {
      if (!ParseAddress(v, &o.listen_host, &o.listen_port)) return fail("--listen wants HOST:PORT");
    } else if (arg == "--tls-listen") {
      if (!ParseAddress(v, &o.tls_listen_host, &o.tls_listen_port)) {
        return fail("--tls-listen wants HOST:PORT");
      }
    } else if (arg == "--tls-cert") {
      o.tls_cert = std::string(v);
    } else if (arg == "--tls-key") {
      o.tls_key = std::string(v);
    } else if (arg == "--admin-listen") {
      if (!ParseAddress(v, &o.admin_host, &o.admin_port)) {
        return fail("--admin-listen wants HOST:PORT");
      }
    } else if (arg == "--db") {
      o.db_path = std::string(v);
      db_given = true;
    } else if (arg == "--db-file") {
      std::ifstream in{std::string(v)};
      std::string line;
      if (!in || !std::getline(in, line)) return fail("--db-file: cannot read " + std::string(v));
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (line.empty()) return fail("--db-file: the first line is empty");
      o.db_path = line;
      db_given = true;
    } else if (arg == "--demo-count") {
      if (!ParseInt(v, 0, 1000000, &o.demo_count)) return fail("--demo-count wants a number");
    } else if (arg == "--simulate") {
      if (!ParseSeconds(v, 0.01, &o.simulate_seconds)) {
        return fail("--simulate wants a number of seconds (at least 0.01)");
      }
    } else if (arg == "--role") {
      if (v == "portal") {
        o.role = ServiceRole::kPortal;
      } else if (v == "fallback") {
        o.role = ServiceRole::kFallback;
      } else if (v == "data") {
        o.role = ServiceRole::kData;
      } else if (v == "all") {
        o.role = ServiceRole::kAll;
      } else {
        return fail("--role wants portal, fallback, data or all");
      }
    } else if (arg == "--hosts") {
      o.hosts = std::string(v);
    } else if (arg == "--offer-version") {
      o.offer_version = std::string(v);
    } else if (arg == "--quota") {
      if (!ParseInt(v, 0, 1000000, &o.quota)) return fail("--quota wants a number");
    } else if (arg == "--threads") {
      if (!ParseInt(v, 1, 1024, &o.threads)) return fail("--threads wants 1 to 1024");
    } else if (arg == "--io-threads") {
      if (!ParseInt(v, 1, 64, &o.io_threads)) return fail("--io-threads wants 1 to 64");
    } else if (arg == "--head-timeout") {
      if (!ParseSeconds(v, 0.1, &o.head_timeout)) return fail("--head-timeout wants seconds");
    } else if (arg == "--idle-timeout") {
      if (!ParseSeconds(v, 0.1, &o.idle_timeout)) return fail("--idle-timeout wants seconds");
    } else if (arg == "--max-connections") {
      if (!ParseInt(v, 1, 10000000, &o.max_connections)) {
        return fail("--max-connections wants a number");
      }
    } else if (arg == "--update-dir") {
      o.update_dir = std::string(v);
    } else if (arg == "--public-host") {
      if (v.empty() || v.find_first_of("/?#@ ") != std::string_view::npos) {
        return fail("--public-host wants HOST or HOST:PORT");
      }
      o.public_host = std::string(v);
    } else if (arg == "--seed") {
      int seed = 0;
      if (!ParseInt(v, 0, 2147483647, &seed)) return fail("--seed wants a number");
      o.seed = static_cast<unsigned>(seed);
    } else {
      return fail("unknown option: " + std::string(arg));
    }
  }
  if (o.tls_cert.empty() != o.tls_key.empty()) return fail("--tls-cert and --tls-key go together");
  if (!o.tls_listen_host.empty() && o.tls_cert.empty()) {
    return fail("--tls-listen wants --tls-cert and --tls-key");
  }
  if (const char* env = std::getenv("TARVOLO_SERVICE_DB"); !db_given && env && *env) {
    o.db_path = env;
  }
  return o;
}

}  // namespace tv
