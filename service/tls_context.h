#pragma once
// The service's TLS settings, in one place: TLS 1.2 and 1.3 only, forward-
// secret AEAD ciphers for 1.2 (1.3 has nothing else), the certificate chain
// and key from PEM files.
#include <memory>
#include <string>

#include <boost/asio/ssl/context.hpp>

namespace tv {

// nullptr with `error` set when a file cannot be read or the key does not
// belong to the certificate.
std::shared_ptr<boost::asio::ssl::context> MakeServerTlsContext(const std::string& cert_file,
                                                                const std::string& key_file,
                                                                std::string* error);

// Whether a failed handshake was a plain HTTP request sent to the TLS address.
bool IsPlainHttpOnTls(const boost::system::error_code& ec);

}  // namespace tv
