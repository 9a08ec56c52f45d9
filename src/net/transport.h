#pragma once
// The HTTP transport: one blocking exchange per call, nothing shared between
// calls. Host text is "name" or "name:port" (port 80 when absent). Results are
// GBK bytes, or tv::kError ("Error") on any failure.
#include <string>
#include <string_view>

namespace tv {

std::string FetchPage(std::string_view verb, std::string_view host, std::string_view path);
// FetchPage, then the lenient base64 decoding of the body (DecodeBase64Lenient
// of net/base64.h), cut at the first zero byte. "Error" is returned undecoded.
std::string FetchEncodedPage(std::string_view verb, std::string_view host, std::string_view path);
// Whole URL to a file in 16,384-byte pieces; 0 on success, -1 on failure.
int DownloadToFile(const std::string& url, const std::string& file_path);

}  // namespace tv
