#include "admin_console.h"

#include <cstdio>
#include <ctime>

#include "admin_actions.h"
#include "core/gbk.h"
#include "password.h"
#include "session_key.h"
#include "web_form.h"

namespace tv {
namespace {

constexpr std::string_view kCookie = "tv_admin";
// Before a session: the sign-in form's own token rides on this cookie.
constexpr std::string_view kPreCookie = "tv_admin_pre";
constexpr int kRowsPerPage = 30;

std::string N(std::int64_t n) { return std::to_string(n); }

std::string When(std::int64_t t) { return t ? ServiceStore::TimeText(t) : std::string("—"); }

std::string MemberState(const Member& m) {
  if (m.disabled) return "<span class=\"st st-gone\">已停用</span>";
  if (!m.approved) return "<span class=\"st st-closed\">待审核</span>";
  return "<span class=\"st st-live\">正常</span>";
}

std::string MessageState(const MessageRow& r) {
  if (r.deleted) return "<span class=\"st st-gone\">已删除</span>";
  if (r.deal) return "<span class=\"st st-closed\">已成交</span>";
  return "<span class=\"st st-live\">在线</span>";
}

// "YYYY-MM-DD" as the local midnight that starts it; 0 when empty or bad.
std::time_t DayStart(const std::string& text) {
  std::tm tm{};
  if (text.size() != 10 || !strptime(text.c_str(), "%Y-%m-%d", &tm)) return 0;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// Links to the pages before and after `page` of `pages`; `base` ends in '?' or '&'.
std::string Pager(const std::string& base, std::int64_t page, std::int64_t pages) {
  if (pages <= 1) return {};
  std::string out = "<nav class=\"pages\">";
  if (page > 1) out += "<a href=\"" + HtmlEscape(base) + "page=" + N(page - 1) + "\">上一页</a>";
  out += "第 " + N(page) + " / " + N(pages) + " 页 ";
  if (page < pages) {
    out += "<a href=\"" + HtmlEscape(base) + "page=" + N(page + 1) + "\">下一页</a>";
  }
  return out + "</nav>";
}

std::int64_t PageOf(const Query& q, std::int64_t total) {
  const std::int64_t pages = std::max<std::int64_t>(1, (total + kRowsPerPage - 1) / kRowsPerPage);
  return std::clamp<std::int64_t>(ParseNumber(q.Get("page")).value_or(1), 1, pages);
}

std::int64_t PagesOf(std::int64_t total) {
  return std::max<std::int64_t>(1, (total + kRowsPerPage - 1) / kRowsPerPage);
}

// A query value for a link (GBK percent-encoded).
std::string Encoded(const std::string& gbk) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : gbk) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Form(const std::string& action, const std::string& token, const std::string& inner) {
  return "<form method=\"post\" action=\"" + action + "\">" + Hidden("token", token) + inner +
         "</form>";
}

std::string Button(const std::string& text) {
  return "<button type=\"submit\">" + text + "</button>";
}

// A new member password the operator hands on: 10 letters and digits.
std::string NewMemberPassword() {
  const std::string key = NewSessionKey().value_or(std::string());
  return key.substr(0, 10);
}

}  // namespace

AdminConsole::AdminConsole(ServiceStore& store, const ServiceOptions& options,
                           const ServiceMetrics& metrics,
                           std::function<ConnectionFigures()> connections)
    : store_(store),
      options_(options),
      metrics_(metrics),
      connections_(std::move(connections)),
      last_snapshot_(metrics.Take()),
      last_time_(std::chrono::steady_clock::now()) {}

std::optional<AdminConsole::Session> AdminConsole::SessionOf(const HttpRequest& request) {
  std::string key = CookieValue(request.cookie, kCookie);
  if (key.empty()) return std::nullopt;
  const auto idle = std::chrono::duration_cast<std::chrono::seconds>(kIdleLimit).count();
  auto op = store_.TouchOperatorSession(SessionKeyHash(key), std::time(nullptr), idle);
  if (!op) return std::nullopt;
  return Session{std::move(*op), std::move(key)};
}

Answer AdminConsole::Handle(const HttpRequest& request) {
  const std::string_view path = request.target.substr(0, request.target.find('?'));
  if (request.method != "GET" && request.method != "POST" && request.method != "HEAD") {
    return {405, "", "text/plain"};
  }
  if (path == "/metrics") {
    return {200, MetricsText(), "text/plain; version=0.0.4; charset=utf-8"};
  }
  auto form = FormOf(request);
  if (!form) return {400, "Bad Request", "text/plain"};
  if (path == "/login") {
    if (request.method == "POST") return SignIn(request, *form);
    return SignInPage({});
  }
  const auto session = SessionOf(request);
  if (!session) return SeeOther("/login");
  if (request.method == "POST") {
    // Every change comes from a form of this session.
    if (!IsFormToken(session->key, form->Get("token"))) {
      return Frame(*session, "拒绝",
                   "<p class=\"err\">表单已失效或不是从本控制台提交的，没有做任何修改。</p>");
    }
    if (path == "/logout") {
      store_.EndOperatorSession(SessionKeyHash(session->key));
      return SeeOther("/login", SessionCookie(kCookie, "", "/", 0));
    }
    if (path == "/member") return MemberAction(*session, *form);
    if (path == "/message") return MessageAction(*session, *form);
    return {404, "Not Found", "text/plain"};
  }
  if (path == "/" || path == "/health") return Health(*session);
  if (path == "/members") return Members(*session, *form);
  if (path == "/member") {
    const auto id = ParseNumber(form->Get("id"));
    if (!id) return {400, "Bad Request", "text/plain"};
    return MemberPage(*session, *id, {}, {});
  }
  if (path == "/messages") return Messages(*session, *form, {}, {});
  if (path == "/audit") return AuditPage(*session, *form);
  return {404, "Not Found", "text/plain"};
}

Answer AdminConsole::SignInPage(const std::string& error, int status) {
  const std::string nonce = NewSessionKey().value_or(std::string());
  std::string body =
      "<header>Tarvolo 运营控制台</header><main><h1>登录</h1>" +
      (error.empty() ? std::string() : "<p class=\"err\">" + HtmlEscape(error) + "</p>") +
      "<form class=\"form\" method=\"post\" action=\"/login\">" +
      Hidden("token", FormToken(nonce)) +
      "<p><label for=\"name\">用户名</label><input type=\"text\" id=\"name\" name=\"name\" "
      "autocomplete=\"username\"></p><p><label for=\"password\">密码</label><input "
      "type=\"password\" id=\"password\" name=\"password\" autocomplete=\"current-password\"></p>"
      "<p>" +
      Button("登录") + "</p></form></main>";
  Answer a = PageAnswer(status, "登录 - Tarvolo 运营控制台", body);
  a.extra_header += "\r\nSet-Cookie: " + SessionCookie(kPreCookie, nonce, "/login", 600);
  return a;
}

Answer AdminConsole::SignIn(const HttpRequest& request, const Query& form) {
  if (!IsFormToken(CookieValue(request.cookie, kPreCookie), form.Get("token"))) {
    return SignInPage("登录表单已失效，请重新输入。", 403);
  }
  const std::string name = form.Get("name");
  const auto now = SignInThrottle::Clock::now();
  const std::string who = "operator " + name, from = "address " + std::string(request.peer);
  const auto wait = std::max(throttle_.Wait(who, now), throttle_.Wait(from, now));
  if (wait.count() > 0) {
    std::fprintf(stderr, "tarvolo-service: console sign-in as %s from %s held back (%lld s)\n",
                 GbkToUtf8(name).c_str(), std::string(request.peer).c_str(),
                 static_cast<long long>(wait.count()));
    return SignInPage("失败次数太多，请 " + N(wait.count()) + " 秒后再试。", 429);
  }
  const auto hash = store_.OperatorHash(name);
  if (!hash || !VerifyOperatorPassword(*hash, form.Get("password"))) {
    throttle_.Failed(who, now);
    throttle_.Failed(from, now);
    std::fprintf(stderr, "tarvolo-service: console sign-in as %s from %s failed\n",
                 GbkToUtf8(name).c_str(), std::string(request.peer).c_str());
    return SignInPage("用户名或密码错误。");
  }
  throttle_.Succeeded(who);
  const auto key = NewSessionKey();
  const auto idle = std::chrono::duration_cast<std::chrono::seconds>(kIdleLimit).count();
  if (!key || !store_.AddOperatorSession(name, SessionKeyHash(*key), std::time(nullptr) + idle)) {
    return {500, "", "text/plain"};
  }
  std::fprintf(stderr, "tarvolo-service: console sign-in as %s from %s\n", GbkToUtf8(name).c_str(),
               std::string(request.peer).c_str());
  // The session cookie lives as long as the browser; the store ends it
  // after the idle limit.
  return SeeOther("/health",
                  std::string(kCookie) + "=" + *key + "; Path=/; HttpOnly; SameSite=Strict");
}

Answer AdminConsole::Frame(const Session& s, std::string_view title, const std::string& body) {
  std::string page =
      "<header><a href=\"/health\">运行状况</a><a href=\"/members\">会员</a>"
      "<a href=\"/messages\">信息</a><a href=\"/audit\">操作记录</a>"
      "<span style=\"float:right\">" +
      Text(s.op) + " " +
      Form("/logout", FormToken(s.key),
           "<button type=\"submit\" style=\"font-size:12px\">退出</button>")
          .insert(5, " style=\"display:inline\"") +
      "</span></header><main><h1>" + std::string(title) + "</h1>" + body + "</main>";
  return PageAnswer(200, std::string(title) + " - Tarvolo 运营控制台", page);
}

Answer AdminConsole::Confirm(const Session& s, const std::string& action_path, const Query& form,
                             const std::vector<std::string>& fields, const std::string& question,
                             const std::string& back) {
  std::string inner;
  for (const std::string& f : fields) {
    if (form.Has(f)) inner += Hidden(f, GbkToUtf8(form.Get(f)));
  }
  inner += Hidden("confirm", "1");
  const std::string body = "<div class=\"note\">" + question + "</div>" +
                           Form(action_path, FormToken(s.key),
                                inner + Button("确认") + " <a href=\"" + back + "\">取消</a>");
  return Frame(s, "请确认", body);
}

Answer AdminConsole::Members(const Session& s, const Query& q) {
  const std::string words = q.Get("q");
  const std::int64_t total = store_.CountMembers(words);
  const std::int64_t page = PageOf(q, total);
  std::string body =
      "<form method=\"get\" action=\"/members\"><input type=\"text\" name=\"q\" value=\"" +
      Text(words) + "\" placeholder=\"用户名、姓名、公司、城市或电话\"> " + Button("搜索") +
      "</form><p>共 " + N(total) +
      " 位会员。</p><div class=\"wide\"><table><tr><th>编号</th><th>用户名</th><th>姓名</th>"
      "<th>公司</th><th>城市</th><th>电话</th><th>类型</th><th>注册</th><th>最后登录</th>"
      "<th>今日发布</th><th>状态</th></tr>\n";
  for (const auto& row : store_.SearchMembers(words, (page - 1) * kRowsPerPage, kRowsPerPage)) {
    const Member& m = row.member;
    body += "<tr><td class=\"n\"><a href=\"/member?id=" + N(m.id) + "\">" + N(m.id) +
            "</a></td><td><a href=\"/member?id=" + N(m.id) + "\">" + Text(m.username) +
            "</a></td><td>" + Text(m.real_name) + "</td><td>" + Text(m.company) + "</td><td>" +
            Text(m.city) + "</td><td>" + Text(m.phone) + "</td><td class=\"n\">" +
            (m.member_status < 0 ? "普通" : "VIP") + "</td><td class=\"n\">" + When(m.created) +
            "</td><td class=\"n\">" + When(m.last_login) + "</td><td class=\"n\">" + N(row.today) +
            "</td><td class=\"n\">" + MemberState(m) + "</td></tr>\n";
  }
  body += "</table></div>" + Pager("/members?q=" + Encoded(words) + "&", page, PagesOf(total));
  return Frame(s, "会员", body);
}

Answer AdminConsole::MemberPage(const Session& s, std::int64_t id, const std::string& note,
                                const std::string& error) {
  const auto m = store_.FindMember(id);
  if (!m) return Frame(s, "会员", "<p class=\"err\">没有会员 " + N(id) + "。</p>");
  const std::string token = FormToken(s.key);
  std::string body;
  if (!note.empty()) body += "<p class=\"note\">" + HtmlEscape(note) + "</p>";
  if (!error.empty()) body += "<p class=\"err\">" + HtmlEscape(error) + "</p>";
  const auto row = [](const char* label, const std::string& value) {
    return std::string("<tr><th>") + label + "</th><td>" + value + "</td></tr>";
  };
  body += "<table>" + row("编号", N(m->id)) + row("用户名", Text(m->username)) +
          row("姓名", Text(m->real_name)) + row("公司", Text(m->company)) +
          row("所在地", Text(m->province) + " " + Text(m->city)) + row("电话", Text(m->phone)) +
          row("手机", Text(m->mobile)) + row("注册", When(m->created)) +
          row("最后登录", When(m->last_login)) + row("状态", MemberState(*m)) + "</table>";
  const std::string hidden_id = Hidden("id", N(id));
  body += "<h1>操作</h1><div class=\"actions\">";
  if (!m->approved)
    body += Form("/member", token, hidden_id + Hidden("do", "approve") + Button("通过审核"));
  body += m->disabled
              ? Form("/member", token, hidden_id + Hidden("do", "enable") + Button("启用"))
              : Form("/member", token, hidden_id + Hidden("do", "disable") + Button("停用"));
  body += Form("/member", token, hidden_id + Hidden("do", "password") + Button("重设密码"));
  body += "</div><h1>权限</h1><form class=\"form\" method=\"post\" action=\"/member\">" +
          Hidden("token", token) + hidden_id + Hidden("do", "rights");
  const auto yes_no = [](const char* name, bool on) {
    return std::string("<select name=\"") + name + "\" id=\"" + name + "\"><option value=\"1\"" +
           (on ? " selected" : "") + ">是</option><option value=\"0\"" + (on ? "" : " selected") +
           ">否</option></select>";
  };
  const auto number = [](const char* name, std::int64_t v) {
    return std::string("<input type=\"number\" name=\"") + name + "\" id=\"" + name +
           "\" value=\"" + N(v) + "\">";
  };
  body += "<p><label for=\"publish\">可以发布信息</label>" + yes_no("publish", m->publish_right) +
          "</p><p><label for=\"contact\">可以查看联系方式</label>" +
          yes_no("contact", m->contact_right) +
          "</p><p><label for=\"contact_wait\">查看联系方式等待（秒）</label>" +
          number("contact_wait", m->contact_wait_flag ? m->contact_wait_seconds : 0) +
          "</p><p><label for=\"publish_wait\">两次发布间隔（秒）</label>" +
          number("publish_wait", m->publish_wait_seconds) +
          "</p><p><label for=\"quota\">每日发布上限（-1 按服务设置 " + N(options_.quota) +
          "）</label>" + number("quota", m->daily_quota) +
          "</p><p><label for=\"info_num\">InfoNum</label>" + number("info_num", m->info_num) +
          "</p><p><label for=\"vip\">VIP 会员</label>" + yes_no("vip", m->member_status >= 0) +
          "</p><p>" + Button("保存权限") + " 会员下次登录时生效。</p></form>";
  body += "<p><a href=\"/messages?member=" + N(id) + "\">该会员发布的信息</a></p>";
  return Frame(s, "会员 " + N(id), body);
}

Answer AdminConsole::MemberAction(const Session& s, const Query& form) {
  const auto id = ParseNumber(form.Get("id"));
  if (!id) return {400, "Bad Request", "text/plain"};
  const auto m = store_.FindMember(*id);
  if (!m) return MemberPage(s, *id, {}, {});
  const std::string what = form.Get("do");
  const std::string back = "/member?id=" + N(*id);
  const std::string who = "会员 " + N(*id) + "（" + Text(m->username) + "）";
  std::vector<std::string> fields = {"id", "do"};
  std::string question;
  Member after = *m;
  std::vector<std::string> changes;
  if (what == "approve") {
    question = "通过" + who + "的注册审核？";
  } else if (what == "disable") {
    question = "停用" + who + "？停用后不能登录，也不能发布信息。";
  } else if (what == "enable") {
    question = "启用" + who + "？";
  } else if (what == "password") {
    question = "为" + who + "重设密码？新密码只显示一次，请转告会员。";
  } else if (what == "rights") {
    for (std::string_view name : RightNames()) {
      const std::string key(name);
      if (!form.Has(key)) continue;
      fields.push_back(key);
      changes.push_back(key + "=" + form.Get(key));
      std::string error;
      if (!SetRight(after, name, form.Get(key), &error)) return MemberPage(s, *id, {}, error);
    }
    question = "修改" + who + "的权限？<br>原来：" + HtmlEscape(RightsText(*m)) + "<br>改为：" +
               HtmlEscape(RightsText(after));
  } else {
    return {400, "Bad Request", "text/plain"};
  }
  if (form.Get("confirm") != "1") return Confirm(s, "/member", form, fields, question, back);

  OperatorActions actions(store_, GbkToUtf8(s.op));
  ActionResult r;
  if (what == "approve") r = actions.Approve(*id);
  if (what == "disable") r = actions.SetDisabled(*id, true);
  if (what == "enable") r = actions.SetDisabled(*id, false);
  if (what == "rights") r = actions.SetRights(*id, changes);
  if (what == "password") {
    const std::string password = NewMemberPassword();
    r = actions.ResetPassword(*id, password);
    if (r.ok) r.message += "新密码：" + password;
  }
  return r.ok ? MemberPage(s, *id, r.message, {}) : MemberPage(s, *id, {}, r.message);
}

Answer AdminConsole::Messages(const Session& s, const Query& q, const std::string& note,
                              const std::string& error) {
  MessageSearch f;
  const std::string words = q.Get("q"), member = q.Get("member"), city = q.Get("city"),
                    type = q.Get("type"), from = q.Get("from"), to = q.Get("to");
  if (!words.empty()) f.words = words;
  if (auto v = ParseNumber(member)) f.flag = *v;
  f.city = city;
  if (auto v = ParseNumber(type)) f.type = static_cast<int>(*v);
  f.from = DayStart(from);
  if (const std::time_t end = DayStart(to)) f.to = end + 24 * 60 * 60;
  f.with_deleted = true;
  const std::int64_t total = store_.CountSearch(f);
  const std::int64_t page = PageOf(q, total);
  const std::string token = FormToken(s.key);
  const auto input = [](const char* name, const std::string& value, const char* type_name,
                        const char* hint) {
    return std::string("<input type=\"") + type_name + "\" name=\"" + name + "\" value=\"" +
           Text(value) + "\" placeholder=\"" + hint + "\"> ";
  };
  std::string body;
  if (!note.empty()) body += "<p class=\"note\">" + HtmlEscape(note) + "</p>";
  if (!error.empty()) body += "<p class=\"err\">" + HtmlEscape(error) + "</p>";
  body += "<form method=\"get\" action=\"/messages\">" + input("q", words, "text", "内容") +
          input("member", member, "text", "会员编号") + input("city", city, "text", "城市") +
          "<select name=\"type\"><option value=\"\">全部</option><option value=\"0\"" +
          (type == "0" ? " selected" : "") + ">货源</option><option value=\"1\"" +
          (type == "1" ? " selected" : "") + ">车源</option></select> " +
          input("from", from, "date", "从") + input("to", to, "date", "到") + Button("搜索") +
          "</form><p>共 " + N(total) +
          " 条。</p><div class=\"wide\"><table><tr><th>编号</th><th>时间</th><th>会员</th>"
          "<th>类型</th><th>城市</th><th>内容</th><th>状态</th><th>操作</th></tr>\n";
  for (const auto& r : store_.SearchMessages(f, (page - 1) * kRowsPerPage, kRowsPerPage)) {
    body += "<tr><td class=\"n\">" + N(r.id) + "</td><td class=\"n\">" + Text(r.time) +
            "</td><td class=\"n\"><a href=\"/member?id=" + N(r.flag) + "\">" + N(r.flag) +
            "</a></td><td class=\"n\">" + MessageTypeName(r.type) + "</td><td class=\"n\">" +
            Text(r.city) + "</td><td>" + Text(r.content) + "</td><td class=\"n\">" +
            MessageState(r) + "</td><td class=\"n actions\">";
    if (!r.deleted) {
      body +=
          Form("/message", token, Hidden("id", N(r.id)) + Hidden("do", "delete") + Button("删除"));
      if (!r.deal) {
        body +=
            Form("/message", token, Hidden("id", N(r.id)) + Hidden("do", "close") + Button("成交"));
      }
    }
    body += "</td></tr>\n";
  }
  body += "</table></div>" + Pager("/messages?q=" + Encoded(words) + "&member=" + Encoded(member) +
                                       "&city=" + Encoded(city) + "&type=" + Encoded(type) +
                                       "&from=" + Encoded(from) + "&to=" + Encoded(to) + "&",
                                   page, PagesOf(total));
  return Frame(s, "信息", body);
}

Answer AdminConsole::MessageAction(const Session& s, const Query& form) {
  const auto id = ParseNumber(form.Get("id"));
  const std::string what = form.Get("do");
  if (!id || (what != "delete" && what != "close")) return {400, "Bad Request", "text/plain"};
  const auto m = store_.FindMessage(*id);
  if (!m) return Messages(s, Query(), {}, "没有信息 " + N(*id) + "。");
  if (form.Get("confirm") != "1") {
    const std::string question = std::string(what == "delete" ? "删除" : "标为成交") +
                                 "这条信息？<br>" + N(m->id) + " · " + Text(m->time) + " · 会员 " +
                                 N(m->flag) + "<br>" + Text(m->content);
    return Confirm(s, "/message", form, {"id", "do"}, question, "/messages");
  }
  OperatorActions actions(store_, GbkToUtf8(s.op));
  const ActionResult r = what == "delete" ? actions.DeleteMessage(*id) : actions.CloseMessage(*id);
  return r.ok ? Messages(s, Query(), r.message, {}) : Messages(s, Query(), {}, r.message);
}

Answer AdminConsole::AuditPage(const Session& s, const Query& q) {
  const std::int64_t total = store_.CountAudit();
  const std::int64_t page = PageOf(q, total);
  std::string body =
      "<p>操作员的每次操作都记录在这里，不能修改。共 " + N(total) +
      " 条。</p><div class=\"wide\"><table><tr><th>时间</th><th>操作员</th><th>操作</th>"
      "<th>对象</th><th>之前</th><th>之后</th></tr>\n";
  for (const auto& e : store_.Audit((page - 1) * kRowsPerPage, kRowsPerPage)) {
    // Stored in UTF-8 (operator names as typed, member texts converted).
    body += "<tr><td class=\"n\">" + When(e.at) + "</td><td>" + HtmlEscape(e.op) + "</td><td>" +
            HtmlEscape(e.action) + "</td><td>" + HtmlEscape(e.target) + "</td><td>" +
            HtmlEscape(e.before) + "</td><td>" + HtmlEscape(e.after) + "</td></tr>\n";
  }
  body += "</table></div>" + Pager("/audit?", page, PagesOf(total));
  return Frame(s, "操作记录", body);
}

}  // namespace tv
