#pragma once
// Every page of the service: one entry point that takes the request line's
// verb and target and gives the answer. Pure of HTTP details, so the server
// loop stays a thin shell and the pages can be exercised directly.
#include <cstdint>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "answer.h"
#include "answer_cache.h"
#include "login_throttle.h"
#include "options.h"
#include "query.h"
#include "request.h"
#include "sign_in_throttle.h"
#include "store.h"

namespace tv {

class ServicePages {
 public:
  // `own_host` is "host:port" as the server list hands it out by default.
  ServicePages(ServiceStore& store, const ServiceOptions& options, std::string own_host);

  Answer Handle(const HttpRequest& request);
  // A request without cookie or body; `host_header` is the request's Host
  // (used for absolute addresses).
  Answer Handle(std::string_view method, std::string_view target, std::string_view host_header);
  // The answer when it costs no store work (a cached list, a fixed page, a
  // refused verb), else nullopt: the server gives these without a worker.
  std::optional<Answer> Quick(std::string_view method, std::string_view target);

  // The paths of the pages this server answers (what the metrics count apart).
  std::vector<std::string> Paths() const;

  // Records per page of every list.
  static constexpr int kPageSize = 30;

 private:
  using Handler = Answer (ServicePages::*)(const Query&, std::string_view host_header);
  struct Route {
    Handler handler;
    bool cacheable;  // built only from messages and logs: reusable per store version
  };

  // Discovery, version and downloads.
  Answer CheckHost(const Query&, std::string_view);
  Answer ServerList(const Query&, std::string_view);
  Answer UpdateVersion(const Query&, std::string_view);
  // Message lists and their logs (pages_messages.cpp).
  Answer GetInfo(const Query&, std::string_view);
  Answer GetSearchInfo(const Query&, std::string_view);
  Answer GetInfoById(const Query&, std::string_view);
  Answer GetDelInfo(const Query&, std::string_view);
  Answer GetSuccessInfo(const Query&, std::string_view);
  Answer GetTotals(const Query&, std::string_view);
  Answer GetNewString(const Query&, std::string_view);
  Answer SetInfo(const Query&, std::string_view);
  // Members (pages_members.cpp).
  // The route's entry; LoginFrom does the work with the client's address.
  Answer Login(const Query&, std::string_view);
  Answer LoginFrom(const Query&, std::string_view peer);
  Answer Register(const Query&, std::string_view);
  Answer Friends(const Query&, std::string_view);
  // HTML (web_pages.cpp).
  Answer Advert1(const Query&, std::string_view);
  Answer Advert2(const Query&, std::string_view);
  Answer ShowMemberInfo(const Query&, std::string_view);

  // "我发布的信息" (member_pages.cpp).
  Answer MemberMessages(const HttpRequest& request);
  Answer MemberList(std::int64_t member, const Query& form, const std::string& session_key,
                    std::optional<std::int64_t> viewer, const std::string& error);
  Answer MemberSignIn(std::int64_t member, const Query& form, const HttpRequest& request);
  Answer StartMemberSession(std::int64_t member, std::string_view done);
  // The member of the page's session cookie; `key` gets the cookie's key.
  std::optional<std::int64_t> MemberOfCookie(const HttpRequest& request, std::string* key);
  // Publishes `message` again now; empty, or why not (UTF-8).
  std::string Bump(const MessageRow& message);
  // The member's messages per day.
  int QuotaOf(const Member& member) const;

  // Member rights (member_rights.cpp). Whether the request may act for
  // `member`: it carries a running session key of that member, or no key
  // where the operator allows unsigned members.
  bool ActsFor(const Query& q, std::int64_t member);
  // A publication's company, net phone and contact line are the member's own.
  static bool IsOwnPublication(const Member& member, const Query& q);

  Answer MessageList(int page, const Query& q);
  Answer LogList(LogKind kind, const Query& q, std::string_view list_action);
  Answer SitePage(std::string_view path);
  Answer Download(std::string_view name);

  void AddRoutes();

  ServiceStore& store_;
  ServiceOptions options_;
  std::string own_host_;
  LoginThrottle login_throttle_;
  std::unordered_map<std::string, Route> routes_;
  AnswerCache cache_;
  SignInThrottle throttle_;
};

// Shared by the page files.
Answer BadRequest();
Answer NotFound();
// The database did not take a change: the client reads it as a failed
// request (its "Error") and may send it again.
Answer NotStored();
Answer Encoded(std::string_view gbk_text);
Answer Html(std::string gbk_html);
// The page's own refusal `word`, with the header that tells our client its
// session key was not taken (it logs in again and repeats the request).
Answer KeyRefused(std::string_view word);

}  // namespace tv
