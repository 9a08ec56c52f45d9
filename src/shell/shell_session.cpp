#include "shell/shell_session.h"

#include "net/transport.h"
#include "settings/values.h"

namespace tv {

ShellSession::ShellSession(ShellEnvironment environment, QObject* parent)
    : QObject(parent),
      environment_(std::move(environment)),
      refresh_period_ms_(RefreshPeriodSeconds() * 1000) {}

void ShellSession::SetFeedHost(std::string host) {
  if (host == feed_host_) return;
  feed_host_ = std::move(host);
  emit feedHostChanged(QString::fromStdString(feed_host_));
}

std::string ShellSession::CurrentHost() const {
  return environment_.current_host ? environment_.current_host() : std::string();
}

bool ShellSession::Discover() const { return environment_.discover && environment_.discover(); }

std::string ShellSession::Fetch(std::string_view verb, std::string_view host,
                                std::string_view path) const {
  return environment_.fetch ? environment_.fetch(verb, host, path)
                            : FetchEncodedPage(verb, host, path);
}

void ShellSession::SignIn(const MemberProfile& profile, const LoginFlags& flags) {
  profile_ = profile;
  flags_ = flags;
  logged_in_ = true;
  feed_host_ = CurrentHost();
  emit loggedIn();
}

}  // namespace tv
