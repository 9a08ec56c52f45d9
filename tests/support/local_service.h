#pragma once
// A real tarvolo-service on an ephemeral loopback port, for integration tests.
//
//   tv::LocalService service({"--demo"});          // fresh temp database
//   ASSERT_TRUE(service.ok()) << service.error();
//   tv::FetchEncodedPage("GET", service.host(), "/qavel/client/GetTNums.asp?action=getnum");
//
// Any option of the service may be passed (--demo, --approve, --quota 3,
// --role fallback, --offer-version 9.0.0.0, --simulate 1 ...); --listen and,
// unless given, --db are filled in here. With --tls-cert and --tls-key the
// service speaks HTTPS on that address (host() is then "https://..."), or,
// given --tls-listen too, beside it on tls_host(). What the service logs is
// kept (Log()) and copied to the test's standard error when it stops. The
// destructor stops the process (SIGTERM, then SIGKILL after a few seconds)
// and removes the temp directory.
// Link `tv_test_support`; it makes the test depend on the service being built.
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tv {

class LocalService {
 public:
  LocalService();
  explicit LocalService(std::vector<std::string> args);
  ~LocalService();
  LocalService(const LocalService&) = delete;
  LocalService& operator=(const LocalService&) = delete;

  bool ok() const { return pid_ > 0 && port_ > 0; }
  const std::string& error() const { return error_; }
  // "127.0.0.1:PORT" ("https://127.0.0.1:PORT" for a TLS-only service): the
  // host text the transport takes.
  const std::string& host() const { return host_; }
  int port() const { return port_; }
  // "https://127.0.0.1:PORT" of a service with a TLS address beside its
  // plain one, else empty.
  const std::string& tls_host() const { return tls_host_; }
  // Everything the service wrote to its standard error so far.
  std::string Log() const;
  // The operator's console, when started with --admin-listen (else 0).
  int console_port() const { return console_port_; }
  // The database file in use (inside the temp directory unless --db was given).
  const std::string& db_path() const { return db_path_; }
  // The temp directory owned by this instance (removed by the destructor).
  const std::string& temp_dir() const { return temp_dir_; }

  // Stops the process now; returns its exit status (or -1). Idempotent.
  int Stop();
  // Kills the process with SIGKILL, as a crash would end it.
  void Kill();
  // Stops the process and starts the service again on the same port with the
  // same options and a new database of its own (demo members come back under
  // their numbers): a service that has forgotten every session. Not for a
  // service started with --db.
  bool RestartOnNewStore();

  // The service binary: $TARVOLO_SERVICE, else the service's test build
  // ($TARVOLO_BUILD_DIR/tests/support/tarvolo-service-test, else the path
  // compiled in).
  static std::string BinaryPath();

  // Where services started without --db keep their store: a SQLite file in
  // their temp directory, unless a test program gives each a new database of
  // its own through `maker` (its --db value; "" fails the start).
  static void SetStoreMaker(std::function<std::string()> maker);

 private:
  void Start(std::vector<std::string> args);

  std::vector<std::string> args_;  // as given
  pid_t pid_ = -1;
  int port_ = 0;
  int console_port_ = 0;
  std::string host_;
  std::string tls_host_;
  std::string log_path_;
  std::string db_path_;
  std::string temp_dir_;
  std::string error_;
};

}  // namespace tv
