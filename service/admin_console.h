#pragma once
// The operator's web console, served only on the --admin-listen address:
// sign-in, members, messages, the audit log, the health page, and /metrics
// in the Prometheus text format. Plain server-rendered HTML (GBK, our own
// small stylesheet, no script); every change asks for confirmation first.
//
// Security: operators sign in with a name and password (Argon2id hashes,
// `tarvolo-service admin add`); failures are slowed down per name and per
// address. A session is a random key in an HttpOnly, SameSite=Strict cookie;
// the store keeps its hash, and the session ends after 30 minutes without a
// request. Every form carries a token derived from the session key, and a
// form without it changes nothing. Without a session every page but the
// sign-in page sends the browser to sign in; /metrics needs none (scrapers
// have none; the address is the operator's own).
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "answer.h"
#include "metrics.h"
#include "options.h"
#include "query.h"
#include "request.h"
#include "sign_in_throttle.h"
#include "store.h"

namespace tv {

// What the HTTP core of the public address tells about its connections.
struct ConnectionFigures {
  std::size_t open = 0;
  std::uint64_t slow_closed = 0;
};

class AdminConsole {
 public:
  static constexpr std::chrono::minutes kIdleLimit{30};

  AdminConsole(ServiceStore& store, const ServiceOptions& options, const ServiceMetrics& metrics,
               std::function<ConnectionFigures()> connections);

  Answer Handle(const HttpRequest& request);

  // The metrics in the Prometheus text format.
  std::string MetricsText();

 private:
  struct Session {
    std::string op, key;
  };
  std::optional<Session> SessionOf(const HttpRequest& request);

  Answer SignInPage(const std::string& error, int status = 200);
  Answer SignIn(const HttpRequest& request, const Query& form);
  Answer Members(const Session& s, const Query& q);
  Answer MemberPage(const Session& s, std::int64_t id, const std::string& note,
                    const std::string& error);
  Answer MemberAction(const Session& s, const Query& form);
  Answer Messages(const Session& s, const Query& q, const std::string& note,
                  const std::string& error);
  Answer MessageAction(const Session& s, const Query& form);
  Answer AuditPage(const Session& s, const Query& q);
  Answer Health(const Session& s);
  // A confirmation page that posts `form` again with confirm=1.
  Answer Confirm(const Session& s, const std::string& action_path, const Query& form,
                 const std::vector<std::string>& fields, const std::string& question,
                 const std::string& back);
  // The frame of every console page.
  Answer Frame(const Session& s, std::string_view title, const std::string& body);

  ServiceStore& store_;
  ServiceOptions options_;
  const ServiceMetrics& metrics_;
  std::function<ConnectionFigures()> connections_;
  SignInThrottle throttle_;
  // The health page's rates: the figures of its last view.
  std::mutex rate_mutex_;
  ServiceMetrics::Snapshot last_snapshot_;
  std::chrono::steady_clock::time_point last_time_;
};

}  // namespace tv
