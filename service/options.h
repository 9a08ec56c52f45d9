#pragma once
// Command-line options of tarvolo-service.
#include <optional>
#include <string>

namespace tv {

enum class ServiceRole { kPortal, kFallback, kData, kAll };

struct ServiceOptions {
  std::string listen_host = "127.0.0.1";
  int listen_port = 8080;  // 0: any free port
  // HTTPS: the certificate chain and key (PEM). With a TLS address of its
  // own the service speaks TLS there beside plain HTTP on the listening
  // address; without one it speaks TLS on the listening address instead.
  std::string tls_cert;
  std::string tls_key;
  std::string tls_listen_host;  // empty: no address of its own
  int tls_listen_port = 0;
  std::string db_path = "tarvolo-service.db";  // or a postgresql:// URI
  bool demo = false;
  int demo_count = 3000;
  double simulate_seconds = 0;  // 0: no live traffic
  ServiceRole role = ServiceRole::kAll;
  std::string hosts;  // "/"-separated host list handed out; empty: our own address
  bool approve = false;
  std::string offer_version;  // empty: the client's own version
  int quota = 100;            // messages per member and day; 0: no limit
  int threads = 16;           // workers that build answers from the store
  int io_threads = 0;         // event-loop threads; 0: one per processor, at most 4
  double head_timeout = 10;   // seconds for a request from its first byte
  double idle_timeout = 15;   // seconds a connection may wait between requests
  int max_connections = 0;    // 0: as many as the descriptor limit allows
  bool cache = true;
  std::string update_dir;  // files served under /qavel/software/
  // "host:port" clients reach this server at, for the addresses it hands out
  // in its answers; empty: the listening address.
  std::string public_host;
  // Member pages accept requests without a session key (clients that do not
  // know keys); a key that is given must still be valid.
  bool allow_unsigned_members = false;
  // The operator's console and /metrics listen here only; empty: off.
  std::string admin_host;
  int admin_port = 0;
  unsigned seed = 20121210;
};

// nullopt with `message` set on a bad option; `message` also carries the
// usage text for --help (then `exit_ok` is true).
std::optional<ServiceOptions> ParseServiceOptions(int argc, char** argv, std::string* message,
                                                  bool* exit_ok);

}  // namespace tv
