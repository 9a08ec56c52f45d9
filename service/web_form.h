#pragma once
// What the service's browser pages share: escaping, the page frame with its
// stylesheet, cookies, form tokens and redirects. Pages are written in UTF-8
// and leave as GBK; stored texts (GBK) go in through Text().
#include <string>
#include <string_view>

#include "answer.h"
#include "query.h"
#include "request.h"

namespace tv {

// `utf8` with the HTML special characters as entities.
std::string HtmlEscape(std::string_view utf8);
// A stored (GBK) text for a UTF-8 page, escaped.
std::string Text(std::string_view gbk);

// A whole page in GBK around a UTF-8 body: the charset declared, a viewport
// for phones, and our stylesheet. No script and nothing from elsewhere.
std::string HtmlPage(std::string_view title_utf8, std::string_view body_utf8);
// An answer with a page that no cache keeps.
Answer PageAnswer(int status, std::string_view title_utf8, std::string_view body_utf8);
// 303 to `location` (a path on this server), with an optional Set-Cookie line.
Answer SeeOther(std::string_view location, std::string_view set_cookie = {});

// The value of cookie `name` in a Cookie header, or empty.
std::string CookieValue(std::string_view header, std::string_view name);
// A Set-Cookie value: HttpOnly, SameSite=Strict, for `path`; `max_age`
// seconds (0: removes the cookie).
std::string SessionCookie(std::string_view name, std::string_view value, std::string_view path,
                          long max_age);

// The token every form of a session carries: derived from the session's own
// random key, so a page of another site cannot know it, and not the hash the
// store keeps, so a copy of the database does not give it either.
std::string FormToken(std::string_view session_key);
// Whether `token` is the form token of `session_key` (in constant time).
bool IsFormToken(std::string_view session_key, std::string_view token);

// The request's form: a POST body of application/x-www-form-urlencoded, or
// the query of a GET; nullopt when malformed.
std::optional<Query> FormOf(const HttpRequest& request);

// A message type as the pages name it (UTF-8): 货源, 车源 or 信息.
std::string MessageTypeName(int type);

// Hidden form fields and a submit button.
std::string Hidden(std::string_view name, std::string_view value_utf8);

}  // namespace tv
