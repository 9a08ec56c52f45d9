#pragma once
// The member's session with the service: the key its login got, added to
// every request of a member page (net/member_key.h), and renewed when the
// service refuses it (it restarted on a new store, or the key ran out): one
// silent login with the member's own user name and password, then the request
// once more with the new key. Every network job of the window and of
// tarvolo-cli goes through Fetch, so no caller handles a key of its own.
// Safe on any thread: jobs on several workers may meet a refused key at once,
// and only the first of them logs in again.
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "net/login_answer.h"
#include "net/transport.h"

namespace tv {

class MemberSession {
 public:
  // The login request (user name and password as typed, GBK).
  using Login = std::function<LoginAnswer(const std::string& host, const std::string& user,
                                          const std::string& password)>;
  // One exchange with the service (FetchMemberPage in the program).
  using Exchange = std::function<MemberPageAnswer(std::string_view verb, std::string_view host,
                                                  std::string_view path)>;

  explicit MemberSession(Login login, Exchange exchange = FetchMemberPage);

  // After a member's login: whom to log in again as, and the key it got
  // (empty from a service that gives none).
  void Begin(std::string user, std::string password, std::string key);
  // A guest, or a member the service shows nothing: no key, no renewal.
  void End();

  std::string Key() const;
  // How many silent logins renewed the key so far.
  int Renewals() const;

  // FetchEncodedPage, with the key on member pages and one renewal when the
  // service refuses it. Blocking: worker threads.
  std::string Fetch(std::string_view verb, std::string_view host, std::string_view path);

 private:
  // A key other than `refused`: the one another job got meanwhile, or a new
  // login's. Empty when there is none to be had.
  std::string Renew(std::string_view host, const std::string& refused);

  Login login_;
  Exchange exchange_;
  mutable std::mutex mutex_;  // the four below
  std::string user_;
  std::string password_;
  std::string key_;
  int renewals_ = 0;
  std::mutex renewing_;  // one silent login at a time
};

}  // namespace tv
