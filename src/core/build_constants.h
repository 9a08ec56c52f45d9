#pragma once
// Fixed values of this build, and the environment overrides that point a
// client at another service (the local service in development and tests).
#include <string>
#include <string_view>

namespace tv {

// The service's public web host; the server list is asked for here first.
inline constexpr std::string_view kPortalHost = "www.tarvolo.cn";
// A second host of the service, answering the server list in base64.
inline constexpr std::string_view kFallbackHost = "list.tarvolo.cn";
// The web site whose pages the menus open.
inline constexpr std::string_view kWebHost = "www.tarvolo.cn";
// The title and hotline used when the member's profile leaves them empty.
inline constexpr std::string_view kProductTitleUtf8 = "Tarvolo 配货信息网 www.tarvolo.cn";
inline constexpr std::string_view kHotlineUtf8 = "客服热线:400-810-6688";
// The extra line of the About box.
inline constexpr std::string_view kAboutLineUtf8 = "Tarvolo 配货信息客户端";

// host[:port] texts, each from its environment variable when that is set and
// not empty: TARVOLO_PORTAL_HOST, TARVOLO_FALLBACK_HOST, TARVOLO_WEB_HOST.
std::string PortalHost();
std::string FallbackHost();
std::string WebHost();

}  // namespace tv
