#include "net/transport.h"

#include "net/base64.h"
#include "net/certificate_check.h"
#include "net/member_key.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <utility>

#include "core/ascii.h"
#include "core/gbk.h"
#include "net/service_host.h"
#include "net/transport_testing.h"

namespace tv {
namespace {

// No answer of the service comes near this; a larger announcement is a broken
// or hostile server, and nothing of that size is allocated.
constexpr long long kMaxContentLength = 16LL * 1024 * 1024;
constexpr long kConnectTimeoutSeconds = 30;
constexpr std::size_t kDownloadPiece = 16384;

std::atomic<long> g_stall_timeout_seconds{60};

void EnsureCurlInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// "Agent" and the milliseconds since system start, wrapped to a signed
// 32-bit number the way a 32-bit tick counter prints.
std::string AgentString() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const unsigned long long ms =
      static_cast<unsigned long long>(now.tv_sec) * 1000ULL + now.tv_nsec / 1000000;
  const auto ticks = static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
  char agent[32];
  std::snprintf(agent, sizeof agent, "Agent%ld", static_cast<long>(ticks));
  return agent;
}

// What TLS connections trust beyond the system's store, and whom they tell
// when one fails. Set at start-up, read by every request.
struct TlsSettings {
  std::mutex mutex;
  std::string extra_ca_file;
  // The system's bundle followed by the extra file, read once per file.
  std::string bundle_for;
  std::string bundle;
  std::function<void(const std::string&)> on_failure;
};

TlsSettings& Tls() {
  static TlsSettings settings;
  return settings;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// What a TLS exchange needs beyond the handle's options: its CA bundle (kept
// alive until the transfer ends) and the text of a failure.
struct TlsExchange {
  std::string bundle;
  char error[CURL_ERROR_SIZE] = {};
  std::string setup_problem;  // UTF-8; the exchange is not tried
};

// TLS 1.2 or newer, peer and name verified, the extra CA trusted beside the
// system's store. False (with `exchange.setup_problem`) when the extra CA
// file cannot be read: nothing is sent then.
bool SetTlsOptions(CURL* curl, TlsExchange& exchange) {
  curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.error);
  TlsSettings& tls = Tls();
  std::lock_guard lock(tls.mutex);
  if (tls.extra_ca_file.empty()) return true;
  if (tls.bundle_for != tls.extra_ca_file) {
    // libcurl's own default bundle (the system's), then ours.
    char* system_bundle = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CAINFO, &system_bundle);
    std::string system_bytes;
    std::string extra_bytes;
    if (system_bundle != nullptr) ReadWholeFile(system_bundle, &system_bytes);
    if (!ReadWholeFile(tls.extra_ca_file, &extra_bytes) || extra_bytes.empty()) {
      exchange.setup_problem = "额外的证书文件 " + tls.extra_ca_file + " 无法读取";
      return false;
    }
    tls.bundle = system_bytes + "\n" + extra_bytes;
    tls.bundle_for = tls.extra_ca_file;
  }
  exchange.bundle = tls.bundle;
  curl_blob blob{exchange.bundle.data(), exchange.bundle.size(), CURL_BLOB_NOCOPY};
  curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &blob);
  return true;
}

bool IsTlsFailure(CURLcode rc) {
  switch (rc) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_CRL_BADFILE:
      return true;
    default:
      return false;
  }
}

// The member's words for why the connection was refused (UTF-8). The
// verification result is OpenSSL's X509_V_ERR_* code.
std::string TlsFailureReason(CURL* curl, CURLcode rc, const TlsExchange& exchange) {
  if (!exchange.setup_problem.empty()) return exchange.setup_problem;
  long verify = 0;
  curl_easy_getinfo(curl, CURLINFO_SSL_VERIFYRESULT, &verify);
  const std::string detail = exchange.error[0] != '\0' ? exchange.error : curl_easy_strerror(rc);
  if (rc == CURLE_PEER_FAILED_VERIFICATION) {
    // libcurl checks the name itself once the chain is sound.
    if (detail.find("subject name") != std::string::npos) return "证书不是为这个主机签发的";
    if (std::string reason = VerifyResultReason(verify); !reason.empty()) return reason;
    return "证书校验失败 (" + detail + ")";
  }
  return "安全连接失败 (" + detail + ")";
}

}  // namespace

void ReportSecureConnectionFailure(std::string_view host, const std::string& reason_utf8) {
  std::function<void(const std::string&)> handler;
  {
    TlsSettings& tls = Tls();
    std::lock_guard lock(tls.mutex);
    handler = tls.on_failure;
  }
  if (!handler) return;
  handler(Utf8ToGbk("无法与 ") + std::string(host) + Utf8ToGbk(" 建立安全连接: " + reason_utf8));
}

std::string ExtraCaFile() {
  TlsSettings& tls = Tls();
  std::lock_guard lock(tls.mutex);
  return tls.extra_ca_file;
}

namespace {

// Content-Length as a plain non-negative decimal; anything else is refused.
std::optional<long long> ParseContentLength(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                           text.back() == '\n')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kMaxContentLength) return std::nullopt;
  }
  return value;
}

// Headers of the final response. A new status line starts over, so an
// interim or proxy response never lends its Content-Length to the real one.
struct HeaderState {
  bool has_length = false;
  bool length_valid = false;
  long long length = 0;
  bool key_refused = false;  // our service's word that the member's key is not (or no longer) valid
};

// "Name: value" when the line is that header (any letter case), else nullopt.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || !StartsWithNoCase(line, name) || line[name.size()] != ':')
    return std::nullopt;
  std::string_view value = line.substr(name.size() + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' ||
                            value.back() == '\n')) {
    value.remove_suffix(1);
  }
  return value;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<HeaderState*>(user);
  const std::string_view line(data, size * count);
  if (StartsWithNoCase(line, "HTTP/")) {
    *state = HeaderState{};
  } else if (StartsWithNoCase(line, "Content-Length:")) {
    const auto length = ParseContentLength(line.substr(15));
    state->has_length = true;
    state->length_valid = length.has_value();
    state->length = length.value_or(0);
  } else if (auto session = HeaderValue(line, kSessionHeader)) {
    state->key_refused = EqualsNoCase(*session, kSessionRefused);
  }
  return size * count;
}

struct FetchState {
  HeaderState headers;
  std::string body;
};

std::size_t OnFetchBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<FetchState*>(user);
  const std::size_t n = size * count;
  // No usable Content-Length: the answer fails anyway, so stop reading now
  // rather than hold an unbounded body.
  if (!state->headers.has_length || !state->headers.length_valid) return 0;
  if (state->body.empty()) state->body.reserve(static_cast<std::size_t>(state->headers.length));
  const std::size_t room = static_cast<std::size_t>(state->headers.length) - state->body.size();
  state->body.append(data, n < room ? n : room);
  return n;
}

struct CurlHandle {
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  ~CurlHandle() {
    if (curl != nullptr) curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
  }
  void AddHeader(const char* header) { headers = curl_slist_append(headers, header); }
};

// Options every exchange shares: agent, time limits, no signals (workers),
// the proxy of the environment (libcurl's default).
void SetCommonOptions(CURL* curl, const std::string& agent) {
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, g_stall_timeout_seconds.load());
}

}  // namespace

void SetStallTimeoutForTesting(std::chrono::seconds seconds) {
  g_stall_timeout_seconds = static_cast<long>(seconds.count());
}

void SetExtraCaFile(std::string path) {
  TlsSettings& tls = Tls();
  std::lock_guard lock(tls.mutex);
  tls.extra_ca_file = std::move(path);
  tls.bundle_for.clear();
  tls.bundle.clear();
}

void SetSecureConnectionFailureHandler(std::function<void(const std::string&)> handler) {
  TlsSettings& tls = Tls();
  std::lock_guard lock(tls.mutex);
  tls.on_failure = std::move(handler);
}

namespace {

std::string Fetch(std::string_view verb, std::string_view host, std::string_view path,
                  bool* key_refused) {
  const std::string error(kError);
  // The host comes from a server list: nothing in it may reach into the rest
  // of the URL.
  const std::optional<ServiceHost> service = ParseServiceHost(host);
  if (!service || path.empty() || path.front() != '/') return error;
  if (verb != "GET" && verb != "POST") return error;
  EnsureCurlInitialised();
  CurlHandle handle;
  if (handle.curl == nullptr) return error;
  CURL* curl = handle.curl;

  const std::string url =
      (service->tls ? "https://" : "http://") + service->authority + std::string(path);
  const std::string agent = AgentString();
  SetCommonOptions(curl, agent);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  // A TLS host is reached over TLS or not at all.
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, service->tls ? "https" : "http");
  TlsExchange tls;
  if (service->tls && !SetTlsOptions(curl, tls)) {
    ReportSecureConnectionFailure(host, tls.setup_problem);
    return error;
  }
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  // The request carries nothing but the request line, Host and User-Agent.
  handle.AddHeader("Accept:");
  if (verb == "POST") {
    // All parameters travel in the query; the body is announced as empty.
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, 0L);
    handle.AddHeader("Content-Type:");
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);

  FetchState state;
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state.headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnFetchBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);

  const CURLcode rc = curl_easy_perform(curl);
  if (service->tls && IsTlsFailure(rc)) ReportSecureConnectionFailure(host, TlsFailureReason(curl, rc, tls));
  // A body shorter than announced is passed on with the bytes that came.
  if (rc != CURLE_OK && rc != CURLE_PARTIAL_FILE) return error;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200 || !state.headers.has_length || !state.headers.length_valid) return error;
  if (key_refused != nullptr) *key_refused = state.headers.key_refused;
  const std::size_t zero = state.body.find('\0');
  if (zero != std::string::npos) state.body.resize(zero);
  return std::move(state.body);
}

}  // namespace

std::string FetchPage(std::string_view verb, std::string_view host, std::string_view path) {
  return Fetch(verb, host, path, nullptr);
}

std::string FetchEncodedPage(std::string_view verb, std::string_view host, std::string_view path) {
  std::string body = FetchPage(verb, host, path);
  if (body == kError) return body;
  return DecodeBase64Lenient(body);
}

MemberPageAnswer FetchMemberPage(std::string_view verb, std::string_view host,
                                 std::string_view path) {
  MemberPageAnswer answer;
  answer.text = Fetch(verb, host, path, &answer.key_refused);
  if (answer.text != kError) answer.text = DecodeBase64Lenient(answer.text);
  return answer;
}

namespace {

struct DownloadState {
  CURL* curl = nullptr;
  const std::string* path = nullptr;
  int fd = -1;
  bool write_failed = false;
  ~DownloadState() {
    if (fd >= 0) ::close(fd);
  }
  bool Open() {
    if (fd < 0) fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd >= 0;
  }
};

bool WriteAll(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t written = ::write(fd, data, n);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    n -= static_cast<std::size_t>(written);
  }
  return true;
}

std::size_t OnDownloadBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<DownloadState*>(user);
  const std::size_t n = size * count;
  // An error page is not the file asked for: nothing is created for it.
  long status = 0;
  curl_easy_getinfo(state->curl, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return 0;
  if (!state->Open() || !WriteAll(state->fd, data, n)) {
    state->write_failed = true;
    return 0;
  }
  return n;
}

}  // namespace

int DownloadToFile(const std::string& url, const std::string& file_path) {
  EnsureCurlInitialised();
  CurlHandle handle;
  if (handle.curl == nullptr) return -1;
  CURL* curl = handle.curl;

  const std::string agent = AgentString();
  SetCommonOptions(curl, agent);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  // An address given with https:// is never followed into plain HTTP.
  const bool tls_only = StartsWithNoCase(url, "https://");
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, tls_only ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, tls_only ? "https" : "http,https");
  TlsExchange tls;
  if (!SetTlsOptions(curl, tls) && tls_only) {
    ReportSecureConnectionFailure(url, tls.setup_problem);
    return -1;
  }
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kDownloadPiece));
  // Always from the server itself, never from a cache on the way.
  handle.AddHeader("Accept: */*");
  handle.AddHeader("Pragma: no-cache");
  handle.AddHeader("Cache-Control: no-cache");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, handle.headers);

  // The file is created once the server has answered, as the body starts.
  DownloadState state;
  state.curl = curl;
  state.path = &file_path;
  HeaderState headers;
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnDownloadBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);

  // A body cut short of its announced length is a failed download: curl
  // reports it as a partial file.
  const CURLcode rc = curl_easy_perform(curl);
  if (IsTlsFailure(rc)) ReportSecureConnectionFailure(url, TlsFailureReason(curl, rc, tls));
  if (rc != CURLE_OK) return -1;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) return -1;
  if (!state.Open()) return -1;  // an empty body still makes the file
  return ::close(std::exchange(state.fd, -1)) == 0 ? 0 : -1;
}

}  // namespace tv
