// "我发布的信息": a member's own messages, readable at any width, and what the
// member may do with them: withdraw one (撤回), mark it closed (成交) or
// publish it again now (a bump, as a loop re-send does). Anyone may look at
// the list; only the member acts, signed in with its password once (or with
// the session key of its client's login), through a cookie that only this
// server reads and a form token on every form.
#include <ctime>

#include "core/gbk.h"
#include "net/member_key.h"
#include "password.h"
#include "service_pages.h"
#include "session_key.h"
#include "web_form.h"

namespace tv {
namespace {

constexpr std::string_view kPath = "/qavel/manager/myinfos.asp";
constexpr std::string_view kCookie = "tv_member";
constexpr std::string_view kCookiePath = "/qavel/manager/";
// A browser session of the member page; the client's own key lives longer.
constexpr long kWebSessionSeconds = 2 * 60 * 60;
constexpr int kRowsPerPage = 30;

std::string PageAddress(std::int64_t member, std::string_view done = {}) {
  std::string out = std::string(kPath) + "?userid=" + std::to_string(member);
  if (!done.empty()) out += "&done=" + std::string(done);
  return out;
}

std::string StatusOf(const MessageRow& r) {
  if (r.deleted) return "<span class=\"st st-gone\">已撤回</span>";
  if (r.deal) return "<span class=\"st st-closed\">已成交</span>";
  return "<span class=\"st st-live\">在线</span>";
}

std::string RouteText(const MessageRow& r) {
  if (r.start_city.empty() || r.start_city == r.city) return Text(r.city);
  return Text(r.start_city) + " → " + Text(r.city);
}

struct ActionInfo {
  std::string_view name;  // the form's "do"
  const char* verb;       // on its button
  const char* question;   // on the confirmation page
};

constexpr ActionInfo kActions[] = {
    {"withdraw", "撤回", "撤回这条信息？各客户端将在下次检查删除记录时把它从列表中去掉。"},
    {"close", "成交", "把这条信息标为已成交？各客户端将在下次检查成交记录时标出它。"},
    {"bump", "重新发布",
     "现在重新发布这条信息？旧的一条撤回，新的一条排在最前面，计入今日发布数量。"},
};

const ActionInfo* FindAction(std::string_view name) {
  for (const auto& a : kActions) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

std::string DoneText(std::string_view done) {
  if (done == "withdraw") return "信息已撤回。";
  if (done == "close") return "信息已标为成交。";
  if (done == "bump") return "信息已重新发布。";
  if (done == "in") return "已登录，可以管理您的信息。";
  if (done == "out") return "已退出。";
  return {};
}

std::string ActionForm(const ActionInfo& a, std::int64_t member, std::int64_t id,
                       const std::string& token) {
  return "<form method=\"post\" action=\"" + std::string(kPath) + "\">" +
         Hidden("userid", std::to_string(member)) + Hidden("id", std::to_string(id)) +
         Hidden("do", a.name) + Hidden("token", token) + "<button type=\"submit\">" + a.verb +
         "</button></form>";
}

}  // namespace

std::optional<std::int64_t> ServicePages::MemberOfCookie(const HttpRequest& request,
                                                         std::string* key) {
  *key = CookieValue(request.cookie, kCookie);
  if (key->empty()) return std::nullopt;
  return store_.SessionMember(SessionKeyHash(*key), std::time(nullptr));
}

Answer ServicePages::MemberMessages(const HttpRequest& request) {
  auto form = FormOf(request);
  if (!form) return BadRequest();
  const auto member = ParseNumber(form->Get("userid"));
  if (!member) return BadRequest();
  std::string key;
  const auto viewer = MemberOfCookie(request, &key);
  const bool own = viewer && *viewer == *member;

  if (request.method != "POST") {
    // The client opens the page with the session key of its login: it
    // becomes a browser session of the page's own, and the key leaves the
    // address at once.
    if (const std::string* client_key = form->Find(kSessionKeyParam); client_key) {
      const auto owner = store_.SessionMember(SessionKeyHash(*client_key), std::time(nullptr));
      if (owner && *owner == *member) return StartMemberSession(*member, "in");
      return SeeOther(PageAddress(*member));
    }
    return MemberList(*member, *form, own ? key : std::string(), viewer, {});
  }

  const std::string action = form->Get("do");
  if (action == "login") return MemberSignIn(*member, *form, request);
  if (action == "logout") {
    if (!key.empty()) store_.EndMemberSession(SessionKeyHash(key));
    return SeeOther(PageAddress(*member, "out"), SessionCookie(kCookie, "", kCookiePath, 0));
  }
  const ActionInfo* info = FindAction(action);
  const auto id = ParseNumber(form->Get("id"));
  if (!info || !id) return BadRequest();
  // Only the member, from a form of its own session, on its own message.
  const auto message = store_.FindMessage(*id);
  if (!own || !IsFormToken(key, form->Get("token")) || !message || message->flag != *member) {
    return PageAnswer(403, "我发布的信息",
                      "<main><h1>无权操作</h1><p class=\"err\">只有发布这条信息的会员本人"
                      "登录后才能操作它。</p><p><a href=\"" +
                          PageAddress(*member) + "\">返回</a></p></main>");
  }
  if (form->Get("confirm") != "1") {
    std::string body = "<main><h1>请确认</h1><div class=\"msg\"><div class=\"meta\">" +
                       Text(message->time) + " · " + MessageTypeName(message->type) + " · " +
                       RouteText(*message) + " " + StatusOf(*message) +
                       "</div><div class=\"content\">" + Text(message->content) +
                       "</div></div><p>" + info->question + "</p><form method=\"post\" action=\"" +
                       std::string(kPath) + "\">" + Hidden("userid", std::to_string(*member)) +
                       Hidden("id", std::to_string(*id)) + Hidden("do", info->name) +
                       Hidden("token", form->Get("token")) + Hidden("confirm", "1") +
                       "<button type=\"submit\">确认" + info->verb + "</button> <a href=\"" +
                       PageAddress(*member) + "\">取消</a></form></main>";
    return PageAnswer(200, "请确认", body);
  }
  std::string error;
  if (action == "withdraw") {
    if (message->deleted || !store_.DeleteMessage(*id)) error = "这条信息已经撤回了。";
  } else if (action == "close") {
    if (message->deleted || message->deal || !store_.CloseMessage(*id)) {
      error = "只有在线的信息才能标为成交。";
    }
  } else {
    error = Bump(*message);
  }
  if (!error.empty()) return MemberList(*member, *form, key, viewer, error);
  return SeeOther(PageAddress(*member, action));
}

std::string ServicePages::Bump(const MessageRow& message) {
  const auto member = store_.FindMember(message.flag);
  if (!member || !member->publish_right || !member->approved || member->disabled) {
    return "您暂时没有发布信息的权限。";
  }
  const std::time_t now = std::time(nullptr);
  const std::time_t since = now - store_.LastPublished(message.flag);
  if (since < member->publish_wait_seconds) {
    return "发布太频繁了，请 " + std::to_string(member->publish_wait_seconds - since) +
           " 秒后再试。";
  }
  NewMessage m;
  m.city = message.city;
  m.start_city = message.start_city;
  m.type = message.type;
  m.content = message.content;
  m.tel = message.tel;
  m.qq = message.qq;
  m.company = message.company;
  m.flag = message.flag;
  PublishPolicy policy;
  policy.daily_quota = QuotaOf(*member);
  policy.bump = true;
  switch (store_.Publish(m, policy, nullptr)) {
    case PublishResult::kAdded:
      return {};
    case PublishResult::kDuplicate:  // not for a bump
    case PublishResult::kQuotaFull:
      return "今天的发布数量已满，明天再发吧。";
    case PublishResult::kNotStored:
      return "信息没能保存，请稍后再试。";
    case PublishResult::kNoRight:
      break;
  }
  return "您暂时没有发布信息的权限。";
}

int ServicePages::QuotaOf(const Member& member) const {
  return member.daily_quota >= 0 ? member.daily_quota : options_.quota;
}

Answer ServicePages::StartMemberSession(std::int64_t member, std::string_view done) {
  const auto key = NewSessionKey();
  if (!key ||
      !store_.AddSession(member, SessionKeyHash(*key), std::time(nullptr) + kWebSessionSeconds)) {
    return {500, "", "text/plain"};
  }
  return SeeOther(PageAddress(member, done),
                  SessionCookie(kCookie, *key, kCookiePath, kWebSessionSeconds));
}

Answer ServicePages::MemberSignIn(std::int64_t member, const Query& form,
                                  const HttpRequest& request) {
  const auto now = SignInThrottle::Clock::now();
  const std::string who = "member " + std::to_string(member);
  const std::string from = "address " + std::string(request.peer);
  const auto wait = std::max(throttle_.Wait(who, now), throttle_.Wait(from, now));
  if (wait.count() > 0) {
    return MemberList(member, form, {}, std::nullopt,
                      "密码错误次数太多，请 " + std::to_string(wait.count()) + " 秒后再试。");
  }
  const auto found = store_.FindMember(member);
  const auto login = found ? store_.FindLogin(found->username) : std::nullopt;
  if (!login || login->first.id != member || !VerifyPassword(login->second, form.Get("password"))) {
    throttle_.Failed(who, now);
    throttle_.Failed(from, now);
    return MemberList(member, form, {}, std::nullopt, "密码错误。");
  }
  if (login->first.disabled) return MemberList(member, form, {}, std::nullopt, "该会员已停用。");
  throttle_.Succeeded(who);
  return StartMemberSession(member, "in");
}

Answer ServicePages::MemberList(std::int64_t member, const Query& form, const std::string& key,
                                std::optional<std::int64_t> viewer, const std::string& error) {
  const bool own = !key.empty();
  const std::int64_t total = store_.CountMemberMessages(member);
  const std::int64_t pages = std::max<std::int64_t>(1, (total + kRowsPerPage - 1) / kRowsPerPage);
  const std::int64_t page =
      std::clamp<std::int64_t>(ParseNumber(form.Get("page")).value_or(1), 1, pages);
  const auto rows = store_.MemberMessages(member, (page - 1) * kRowsPerPage, kRowsPerPage);

  std::string body = "<header>Tarvolo 配货信息网 · 会员 " + std::to_string(member);
  if (own) {
    body += " · <form method=\"post\" action=\"" + std::string(kPath) +
            "\" style=\"display:inline\">" + Hidden("userid", std::to_string(member)) +
            Hidden("do", "logout") + "<button type=\"submit\">退出</button></form>";
  }
  body += "</header><main><h1>我发布的信息</h1><p>共 " + std::to_string(total) +
          " 条，按发布时间从新到旧。</p>\n";
  if (const std::string done = DoneText(form.Get("done")); !done.empty() && error.empty()) {
    body += "<p class=\"note\">" + done + "</p>";
  }
  if (!error.empty()) body += "<p class=\"err\">" + HtmlEscape(error) + "</p>";
  if (!own) {
    if (viewer) {
      body += "<p class=\"note\">您登录的是会员 " + std::to_string(*viewer) +
              "，只能管理自己发布的信息。</p>";
    }
    body += "<form class=\"form\" method=\"post\" action=\"" + std::string(kPath) + "\"><p>" +
            Hidden("userid", std::to_string(member)) + Hidden("do", "login") +
            "<label for=\"pw\">会员 " + std::to_string(member) +
            " 的密码</label><input type=\"password\" id=\"pw\" name=\"password\" "
            "autocomplete=\"current-password\"> <button type=\"submit\">登录后管理</button>"
            "</p></form>\n";
  }
  const std::string token = own ? FormToken(key) : std::string();
  for (const auto& r : rows) {
    body += "<div class=\"msg\" id=\"m" + std::to_string(r.id) + "\"><div class=\"meta\">" +
            Text(r.time) + " · " + MessageTypeName(r.type) + " · " + RouteText(r) + " " +
            StatusOf(r);
    if (r.resent > 0) body += " · 重发 " + std::to_string(r.resent) + " 次";
    body += "</div><div class=\"content\">" + Text(r.content) + "</div><div class=\"meta\">" +
            Text(r.tel) + "</div>";
    if (own) {
      body += "<div class=\"actions\">";
      if (!r.deleted) body += ActionForm(kActions[0], member, r.id, token);
      if (!r.deleted && !r.deal) body += ActionForm(kActions[1], member, r.id, token);
      body += ActionForm(kActions[2], member, r.id, token);
      body += "</div>";
    }
    body += "</div>\n";
  }
  if (pages > 1) {
    body += "<nav class=\"pages\">";
    if (page > 1) {
      body += "<a href=\"" + PageAddress(member) + "&amp;page=" + std::to_string(page - 1) +
              "\">上一页</a>";
    }
    body += "第 " + std::to_string(page) + " / " + std::to_string(pages) + " 页 ";
    if (page < pages) {
      body += "<a href=\"" + PageAddress(member) + "&amp;page=" + std::to_string(page + 1) +
              "\">下一页</a>";
    }
    body += "</nav>";
  }
  body += "</main>";
  return PageAnswer(200, "我发布的信息", body);
}

}  // namespace tv
