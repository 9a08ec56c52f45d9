#include "app/member_session.h"

#include "net/member_key.h"

namespace tv {

MemberSession::MemberSession(Login login, Exchange exchange)
    : login_(std::move(login)), exchange_(std::move(exchange)) {}

void MemberSession::Begin(std::string user, std::string password, std::string key) {
  std::lock_guard lock(mutex_);
  user_ = std::move(user);
  password_ = std::move(password);
  key_ = std::move(key);
}

void MemberSession::End() { Begin({}, {}, {}); }

std::string MemberSession::Key() const {
  std::lock_guard lock(mutex_);
  return key_;
}

int MemberSession::Renewals() const {
  std::lock_guard lock(mutex_);
  return renewals_;
}

std::string MemberSession::Fetch(std::string_view verb, std::string_view host,
                                 std::string_view path) {
  if (!IsMemberPage(path)) return exchange_(verb, host, path).text;
  const std::string key = Key();
  MemberPageAnswer answer = exchange_(verb, host, WithSessionKey(path, key));
  if (!answer.key_refused) return std::move(answer.text);
  const std::string renewed = Renew(host, key);
  // No new key: the page's own refusal stands, and its caller says so.
  if (renewed.empty()) return std::move(answer.text);
  return exchange_(verb, host, WithSessionKey(path, renewed)).text;
}

std::string MemberSession::Renew(std::string_view host, const std::string& refused) {
  std::lock_guard renewing(renewing_);
  std::string user, password;
  {
    std::lock_guard lock(mutex_);
    if (key_ != refused) return key_;
    if (user_.empty()) return {};
    user = user_;
    password = password_;
  }
  const LoginAnswer answer = login_(std::string(host), user, password);
  if (!answer.ok() || answer.profile.SessionKey.empty()) return {};
  std::lock_guard lock(mutex_);
  // A new Begin() (or End()) meanwhile wins over this renewal.
  if (key_ != refused || user_ != user) return key_;
  key_ = answer.profile.SessionKey;
  ++renewals_;
  return key_;
}

}  // namespace tv
