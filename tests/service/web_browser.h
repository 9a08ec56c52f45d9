#pragma once
// A browser's part for the service's HTML pages in tests: one cookie jar,
// forms posted as a browser posts them, the page text in UTF-8.
#include <httplib.h>

#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "core/gbk.h"
#include "net/query_encoding.h"

namespace tv::test {

struct WebPage {
  int status = 0;
  std::string text;  // UTF-8
  std::string location, set_cookie;
};

class WebBrowser {
 public:
  WebBrowser(std::string host, int port) : client_(std::move(host), port) {}

  WebPage Get(const std::string& path) { return Take(client_.Get(path, Headers())); }
  // Fields as UTF-8 pairs; sent in GBK, as our pages declare it.
  WebPage Post(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string body;
    for (const auto& [k, v] : fields) {
      if (!body.empty()) body += '&';
      body += k + "=" + EncodeQueryValue(Utf8ToGbk(v));
    }
    return Take(client_.Post(path, Headers(), body, "application/x-www-form-urlencoded"));
  }
  // The value of the form field `name` in `page` (the first one).
  static std::string Field(const WebPage& page, const std::string& name) {
    std::smatch m;
    const std::regex re("name=\"" + name + "\" value=\"([^\"]*)\"");
    return std::regex_search(page.text, m, re) ? m[1].str() : std::string();
  }
  std::map<std::string, std::string>& cookies() { return cookies_; }

 private:
  httplib::Headers Headers() const {
    std::string cookie;
    for (const auto& [k, v] : cookies_) {
      if (!cookie.empty()) cookie += "; ";
      cookie += k + "=" + v;
    }
    if (cookie.empty()) return {};
    return {{"Cookie", cookie}};
  }
  WebPage Take(const httplib::Result& r) {
    WebPage page;
    if (!r) return page;
    page.status = r->status;
    page.text = GbkToUtf8(r->body);
    page.location = r->get_header_value("Location");
    page.set_cookie = r->get_header_value("Set-Cookie");
    if (!page.set_cookie.empty()) {
      const std::string pair = page.set_cookie.substr(0, page.set_cookie.find(';'));
      const std::size_t eq = pair.find('=');
      const std::string value = pair.substr(eq + 1);
      if (value.empty() || page.set_cookie.find("Max-Age=0") != std::string::npos) {
        cookies_.erase(pair.substr(0, eq));
      } else {
        cookies_[pair.substr(0, eq)] = value;
      }
    }
    return page;
  }

  httplib::Client client_;
  std::map<std::string, std::string> cookies_;
};

}  // namespace tv::test
