#include "tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <utility>  // before Boost 1.74's Asio, which uses std::exchange without it

#include <boost/asio/ssl/error.hpp>

namespace tv {
namespace {

namespace ssl = boost::asio::ssl;

// TLS 1.2 suites with forward secrecy and authenticated encryption only.
constexpr char kTls12Ciphers[] =
    "ECDHE-ECDSA-AES128-GCM-SHA256:ECDHE-RSA-AES128-GCM-SHA256:"
    "ECDHE-ECDSA-AES256-GCM-SHA384:ECDHE-RSA-AES256-GCM-SHA384:"
    "ECDHE-ECDSA-CHACHA20-POLY1305:ECDHE-RSA-CHACHA20-POLY1305";

std::string OpenSslReason() {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return "unknown error";
  const char* reason = ERR_reason_error_string(code);
  return reason ? reason : "error " + std::to_string(code);
}

}  // namespace

std::shared_ptr<ssl::context> MakeServerTlsContext(const std::string& cert_file,
                                                   const std::string& key_file,
                                                   std::string* error) {
  auto context = std::make_shared<ssl::context>(ssl::context::tls_server);
  SSL_CTX* native = context->native_handle();
  SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
  SSL_CTX_set_options(native, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  SSL_CTX_set_cipher_list(native, kTls12Ciphers);
  ERR_clear_error();
  if (SSL_CTX_use_certificate_chain_file(native, cert_file.c_str()) != 1) {
    if (error) *error = "cannot use the certificate " + cert_file + ": " + OpenSslReason();
    return nullptr;
  }
  if (SSL_CTX_use_PrivateKey_file(native, key_file.c_str(), SSL_FILETYPE_PEM) != 1) {
    if (error) *error = "cannot use the key " + key_file + ": " + OpenSslReason();
    return nullptr;
  }
  if (SSL_CTX_check_private_key(native) != 1) {
    if (error) *error = "the key " + key_file + " does not belong to the certificate " + cert_file;
    ERR_clear_error();
    return nullptr;
  }
  return context;
}

bool IsPlainHttpOnTls(const boost::system::error_code& ec) {
  return ec.category() == boost::asio::error::get_ssl_category() &&
         ERR_GET_REASON(static_cast<unsigned long>(ec.value())) == SSL_R_HTTP_REQUEST;
}

}  // namespace tv
