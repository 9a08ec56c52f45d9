#include "web_form.h"

#include <sodium.h>

#include <array>

#include "core/ascii.h"
#include "core/gbk.h"
#include "session_key.h"

namespace tv {
namespace {

constexpr char kStyle[] =
    "body{font-family:\"Noto Sans CJK SC\",\"WenQuanYi Zen Hei\",sans-serif;font-size:14px;"
    "margin:0;background:#f4f7fb;color:#222;line-height:1.5}"
    "header{background:#0050a0;color:#fff;padding:8px 12px}header a{color:#fff;margin-right:12px}"
    "main{padding:8px 12px;max-width:1100px}h1{font-size:18px;color:#0050a0;margin:8px 0}"
    "h1+p{margin-top:0}table{border-collapse:collapse;width:100%;background:#fff}"
    "td,th{border:1px solid #c6ccd6;padding:4px 6px;text-align:left;vertical-align:top}"
    "th{background:#dde6f5;white-space:nowrap}td.n{white-space:nowrap}"
    ".msg{background:#fff;border:1px solid #c6ccd6;border-radius:4px;margin:8px 0;padding:8px}"
    ".msg .meta{color:#555;font-size:13px}.msg .content{margin:6px 0;word-break:break-all;"
    "white-space:pre-wrap}.st{display:inline-block;padding:0 6px;border-radius:3px;color:#fff;"
    "font-size:12px}.st-live{background:#2a8a2a}.st-closed{background:#a06000}"
    ".st-gone{background:#888}.actions form{display:inline-block;margin:0 6px 0 0}"
    "button,input[type=submit]{font-size:14px;padding:3px 10px;margin:2px 0}"
    "input[type=text],input[type=password],input[type=number],select{font-size:14px;padding:3px;"
    "max-width:100%}.note{background:#fff8e0;border:1px solid #f0a000;padding:6px;margin:8px 0}"
    ".err{background:#fde8e8;border:1px solid #c00;padding:6px;margin:8px 0}"
    ".form p{margin:6px 0}.form label{display:inline-block;min-width:9em}"
    ".wide{overflow-x:auto}.chart{background:#fff;border:1px solid #c6ccd6;margin:4px 8px 8px 0;"
    "display:inline-block;vertical-align:top;padding:4px}.chart b{font-size:13px}"
    "nav.pages a{margin-right:8px}"
    "@media (max-width:600px){main{padding:4px 6px}.form label{display:block}"
    "td,th{padding:3px}}";

}  // namespace

std::string HtmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string Text(std::string_view gbk) { return HtmlEscape(GbkToUtf8(gbk)); }

std::string HtmlPage(std::string_view title_utf8, std::string_view body_utf8) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"gbk\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>";
  page.append(title_utf8);
  page += "</title><style>";
  page += kStyle;
  page += "</style></head><body>\n";
  page.append(body_utf8);
  page += "\n</body></html>\n";
  return Utf8ToGbk(page);
}

Answer PageAnswer(int status, std::string_view title_utf8, std::string_view body_utf8) {
  Answer a(status, HtmlPage(title_utf8, body_utf8), "text/html; charset=GBK");
  a.extra_header =
      "Cache-Control: no-store\r\nX-Frame-Options: DENY\r\nX-Content-Type-Options: nosniff\r\n"
      "Content-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; img-src data:; "
      "form-action 'self'; frame-ancestors 'none'";
  return a;
}

Answer SeeOther(std::string_view location, std::string_view set_cookie) {
  Answer a(303, "", "text/plain");
  a.extra_header = "Location: " + std::string(location) + "\r\nCache-Control: no-store";
  if (!set_cookie.empty()) a.extra_header += "\r\nSet-Cookie: " + std::string(set_cookie);
  return a;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t semi = header.find(';');
    std::string_view pair = header.substr(0, semi);
    header = semi == std::string_view::npos ? std::string_view() : header.substr(semi + 1);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    const std::size_t eq = pair.find('=');
    if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
      return std::string(pair.substr(eq + 1));
    }
  }
  return {};
}

std::string SessionCookie(std::string_view name, std::string_view value, std::string_view path,
                          long max_age) {
  return std::string(name) + "=" + std::string(value) + "; Path=" + std::string(path) +
         "; Max-Age=" + std::to_string(max_age) + "; HttpOnly; SameSite=Strict";
}

std::string FormToken(std::string_view session_key) {
  return SessionKeyHash("form token of " + std::string(session_key));
}

bool IsFormToken(std::string_view session_key, std::string_view token) {
  const std::string want = FormToken(session_key);
  return !session_key.empty() && token.size() == want.size() &&
         sodium_memcmp(token.data(), want.data(), want.size()) == 0;
}

std::optional<Query> FormOf(const HttpRequest& request) {
  if (request.method == "POST") {
    const std::string_view type = request.content_type.substr(0, request.content_type.find(';'));
    if (!EqualsNoCase(type, "application/x-www-form-urlencoded")) return std::nullopt;
    return Query::Parse(request.body);
  }
  const std::size_t mark = request.target.find('?');
  return Query::Parse(mark == std::string_view::npos ? std::string_view()
                                                     : request.target.substr(mark + 1));
}

std::string MessageTypeName(int type) {
  if (type == 0) return "货源";
  if (type == 1) return "车源";
  return "信息";
}

std::string Hidden(std::string_view name, std::string_view value_utf8) {
  return "<input type=\"hidden\" name=\"" + std::string(name) + "\" value=\"" +
         HtmlEscape(value_utf8) + "\">";
}

}  // namespace tv
