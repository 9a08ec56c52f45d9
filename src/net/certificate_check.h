#pragma once
// A server certificate chain checked the way the transport checks one: against
// the system's store and the extra CA file (net/transport.h), for the host
// that was asked for. For what verifies certificates by other means (the web
// engine's pages) and must trust the same CAs.
#include <string>
#include <string_view>
#include <vector>

namespace tv {

// The member's words (UTF-8) for an OpenSSL verification result
// (X509_V_ERR_*); empty when there is no word for it.
std::string VerifyResultReason(long verify_result);

// Empty when the chain (DER, the server's certificate first) is trusted for
// `host` ("name" or an IP address, without port); otherwise why not (UTF-8).
std::string CheckCertificateChain(const std::vector<std::string>& der_chain,
                                  std::string_view host);

}  // namespace tv
