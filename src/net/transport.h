#pragma once
// The HTTP transport: one blocking exchange per call, nothing shared between
// calls. Host text is "name[:port]" (plain HTTP, port 80 when absent) or
// "https://name[:port]" (TLS, port 443 when absent; net/service_host.h).
// Results are GBK bytes, or tv::kError ("Error") on any failure.
//
// TLS: TLS 1.2 or newer, the peer's certificate verified against the
// system's store (ca-certificates) and the extra CA file, if one is set. A
// host given with "https://" is never tried in plain HTTP.
#include <functional>
#include <string>
#include <string_view>

namespace tv {

// An extra CA certificate file (PEM) trusted beside the system's store, for
// a self-hosted service; empty: the system's store alone. Set at start-up.
void SetExtraCaFile(std::string path);
// Called, on the thread of the request, when a TLS connection fails its
// handshake or its verification, with the notice for the member (GBK): it
// names the host and the reason. Set at start-up; empty: nothing is called.
void SetSecureConnectionFailureHandler(std::function<void(const std::string& gbk_notice)> handler);
// The extra CA file set (empty: none).
std::string ExtraCaFile();
// Tells that handler of a secure connection to `host` that failed for
// `reason_utf8` (also for connections made elsewhere than here).
void ReportSecureConnectionFailure(std::string_view host, const std::string& reason_utf8);

std::string FetchPage(std::string_view verb, std::string_view host, std::string_view path);
// FetchPage, then the lenient base64 decoding of the body (DecodeBase64Lenient
// of net/base64.h), cut at the first zero byte. "Error" is returned undecoded.
std::string FetchEncodedPage(std::string_view verb, std::string_view host, std::string_view path);
// FetchEncodedPage for a member page (net/member_key.h), and whether the
// service said that the member's key was refused.
struct MemberPageAnswer {
  std::string text;
  bool key_refused = false;
};
MemberPageAnswer FetchMemberPage(std::string_view verb, std::string_view host,
                                 std::string_view path);
// Whole URL to a file in 16,384-byte pieces; 0 on success, -1 on failure.
int DownloadToFile(const std::string& url, const std::string& file_path);

}  // namespace tv
