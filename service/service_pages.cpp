#include "service_pages.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/version.h"
#include "net/base64.h"

namespace tv {
namespace {

constexpr std::string_view kClient = "/qavel/client/";
constexpr std::string_view kSoftware = "/qavel/software/";
// The program file the version file offers (the updater is "Update.exe").
constexpr std::string_view kProgramFile = "tarvolo";

}  // namespace

Answer BadRequest() { return {400, "Bad Request", "text/plain"}; }
Answer NotFound() { return {404, "Not Found", "text/plain"}; }
Answer NotStored() { return {503, "Service Unavailable", "text/plain"}; }
Answer Encoded(std::string_view gbk_text) { return {200, EncodeBase64(gbk_text), "text/plain"}; }
Answer Html(std::string gbk_html) { return {200, std::move(gbk_html), "text/html; charset=GBK"}; }

ServicePages::ServicePages(ServiceStore& store, const ServiceOptions& options, std::string own_host)
    : store_(store), options_(options), own_host_(std::move(own_host)), login_throttle_(store) {
  if (options_.offer_version.empty()) options_.offer_version = std::string(kClientVersion);
  AddRoutes();
}

void ServicePages::AddRoutes() {
  const bool portal = options_.role == ServiceRole::kPortal || options_.role == ServiceRole::kAll;
  const bool fallback = options_.role == ServiceRole::kFallback;
  const bool data = options_.role == ServiceRole::kData || options_.role == ServiceRole::kAll;
  auto client = [&](std::string_view page, Handler h, bool cacheable) {
    routes_.emplace(std::string(kClient) + std::string(page), Route{h, cacheable});
  };
  if (portal || fallback) client("getus.htm", &ServicePages::ServerList, false);
  if (!data) return;
  client("checkhost.htm", &ServicePages::CheckHost, false);
  client("UpdateVersion.htm", &ServicePages::UpdateVersion, false);
  client("client_login.asp", &ServicePages::Login, false);
  client("GetInfo.asp", &ServicePages::GetInfo, true);
  client("GetSearchInfo.asp", &ServicePages::GetSearchInfo, true);
  client("GetInfoByID.asp", &ServicePages::GetInfoById, true);
  client("GetDelInfo.asp", &ServicePages::GetDelInfo, true);
  client("GetSuccessInfo.asp", &ServicePages::GetSuccessInfo, true);
  client("GetTNums.asp", &ServicePages::GetTotals, true);
  client("GetNewString.asp", &ServicePages::GetNewString, false);
  client("SetInfo.asp", &ServicePages::SetInfo, false);
  client("Register.asp", &ServicePages::Register, false);
  client("GetFrindInfo.asp", &ServicePages::Friends, false);
  client("adv/adv01.asp", &ServicePages::Advert1, false);
  client("adv/adv02.asp", &ServicePages::Advert2, false);
  routes_.emplace("/qavel/manager/showmeminfo.asp", Route{&ServicePages::ShowMemberInfo, false});
}

std::vector<std::string> ServicePages::Paths() const {
  std::vector<std::string> out = {"/qavel/manager/myinfos.asp"};
  for (const auto& [path, route] : routes_) out.push_back(path);
  return out;
}

std::optional<Answer> ServicePages::Quick(std::string_view method, std::string_view target) {
  if (method != "GET" && method != "POST" && method != "HEAD") return Answer{405, "", "text/plain"};
  auto it = routes_.find(std::string(target.substr(0, target.find('?'))));
  if (it == routes_.end()) return std::nullopt;
  const Route& route = it->second;
  // Without a query: one with bad bytes still gets its 400 from Handle.
  if (route.handler == &ServicePages::CheckHost && target.find('?') == std::string_view::npos) {
    return CheckHost(Query(), {});
  }
  if (route.cacheable && options_.cache && store_.version_is_local()) {
    if (auto hit = cache_.Get(target, store_.version())) {
      return Answer{200, std::move(*hit), "text/plain"};
    }
  }
  return std::nullopt;
}

Answer ServicePages::Handle(std::string_view method, std::string_view target,
                            std::string_view host_header) {
  HttpRequest request;
  request.method = method;
  request.target = target;
  request.host = host_header;
  return Handle(request);
}

Answer ServicePages::Handle(const HttpRequest& request) {
  const std::string_view method = request.method, target = request.target,
                         host_header = request.host;
  if (auto quick = Quick(method, target)) return std::move(*quick);
  const std::size_t mark = target.find('?');
  const std::string_view path = target.substr(0, mark);
  const std::string_view raw_query =
      mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);

  const bool data_role = options_.role == ServiceRole::kData || options_.role == ServiceRole::kAll;
  if (data_role && path == "/qavel/manager/myinfos.asp") return MemberMessages(request);
  auto it = routes_.find(std::string(path));
  if (it == routes_.end()) {
    const bool data = options_.role == ServiceRole::kData || options_.role == ServiceRole::kAll;
    const bool portal = options_.role == ServiceRole::kPortal || data;
    if (data && path.starts_with(kSoftware)) return Download(path.substr(kSoftware.size()));
    if (portal) return SitePage(path);
    return NotFound();
  }
  const Route& route = it->second;
  const bool use_cache = route.cacheable && options_.cache;
  const std::uint64_t version = use_cache ? store_.version() : 0;
  if (use_cache && !store_.version_is_local()) {  // Quick could not look
    if (auto hit = cache_.Get(target, version)) return {200, std::move(*hit), "text/plain"};
  }
  auto query = Query::Parse(raw_query);
  if (!query) return BadRequest();
  if (route.handler == &ServicePages::Login) return LoginFrom(*query, request.peer);
  Answer answer = (this->*route.handler)(*query, host_header);
  if (use_cache && answer.status == 200) cache_.Put(target, version, answer.body);
  return answer;
}

Answer ServicePages::CheckHost(const Query&, std::string_view) {
  return {200, "TestOK", "text/plain; charset=GBK"};
}

Answer ServicePages::ServerList(const Query&, std::string_view) {
  const std::string hosts = options_.hosts.empty() ? own_host_ : options_.hosts;
  std::size_t count = 0;
  std::string_view rest = hosts;
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    if (!rest.substr(0, slash).empty()) ++count;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  const std::string text = std::to_string(count) + "@@" + hosts;
  // The fall-back host hands the list out encoded, the portal in plain text.
  if (options_.role == ServiceRole::kFallback) return Encoded(text);
  return {200, text, "text/plain; charset=GBK"};
}

Answer ServicePages::UpdateVersion(const Query&, std::string_view) {
  // Never the request's Host: whoever sends the request must not choose where
  // other clients download a program from (a cached or proxied answer would
  // carry it to them).
  const std::string& host = options_.public_host.empty() ? own_host_ : options_.public_host;
  const std::string address = host.starts_with("https://") ? host : "http://" + host;
  return {200,
          "Tarvolo#" + options_.offer_version + "#" + address + std::string(kSoftware) +
              std::string(kProgramFile) + "#",
          "text/plain; charset=GBK"};
}

Answer ServicePages::Download(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos || name.find("..") != name.npos) {
    return NotFound();
  }
  if (!options_.update_dir.empty()) {
    // Only files: a folder opens as a stream too, and would read as empty.
    const std::filesystem::path file =
        std::filesystem::path(options_.update_dir) / std::string(name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return NotFound();
    std::ifstream in(file, std::ios::binary);
    if (!in) return NotFound();
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return {200, bytes.str(), "application/octet-stream"};
  }
  // Without an update directory the offered files are small stand-ins: the
  // updater does nothing and the "program" says what it is.
  if (name == "Update.exe") {
    return {200, "#!/bin/sh\n# tarvolo-service stand-in updater: nothing to do\nexit 0\n",
            "application/octet-stream"};
  }
  if (name == kProgramFile) {
    return {200,
            "#!/bin/sh\necho 'tarvolo-service stand-in program " + options_.offer_version + "'\n",
            "application/octet-stream"};
  }
  return NotFound();
}

}  // namespace tv
