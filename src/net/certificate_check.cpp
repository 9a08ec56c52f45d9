#include "net/certificate_check.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

#include "net/transport.h"

namespace tv {
namespace {

template <auto Free>
struct Freer {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};
using X509Ptr = std::unique_ptr<X509, Freer<X509_free>>;
using StorePtr = std::unique_ptr<X509_STORE, Freer<X509_STORE_free>>;
using ContextPtr = std::unique_ptr<X509_STORE_CTX, Freer<X509_STORE_CTX_free>>;

void FreeCertificates(STACK_OF(X509) * stack) { sk_X509_pop_free(stack, X509_free); }
using StackPtr = std::unique_ptr<STACK_OF(X509), Freer<FreeCertificates>>;

X509Ptr Parse(const std::string& der) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
  return X509Ptr(d2i_X509(nullptr, &bytes, static_cast<long>(der.size())));
}

bool IsIpAddress(std::string_view host) {
  return !host.empty() && (host.find(':') != std::string_view::npos ||
                           host.find_first_not_of("0123456789.") == std::string_view::npos);
}

}  // namespace

std::string VerifyResultReason(long verify_result) {
  switch (verify_result) {
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return "证书尚未生效";
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return "证书已过期";
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      return "证书的签发机构不受信任";
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return "证书不是为这个主机签发的";
    default:
      return {};
  }
}

std::string CheckCertificateChain(const std::vector<std::string>& der_chain,
                                  std::string_view host) {
  if (der_chain.empty()) return "证书校验失败 (服务器没有给出证书)";
  X509Ptr leaf = Parse(der_chain.front());
  StackPtr intermediates(sk_X509_new_null());
  if (!leaf || !intermediates) return "证书校验失败 (证书无法读取)";
  for (std::size_t i = 1; i < der_chain.size(); ++i) {
    X509Ptr cert = Parse(der_chain[i]);
    if (cert && sk_X509_push(intermediates.get(), cert.get()) > 0) cert.release();
  }
  StorePtr store(X509_STORE_new());
  ContextPtr context(X509_STORE_CTX_new());
  if (!store || !context) return "证书校验失败 (内存不足)";
  X509_STORE_set_default_paths(store.get());
  const std::string extra = ExtraCaFile();
  if (!extra.empty() && X509_STORE_load_file(store.get(), extra.c_str()) != 1) {
    return "额外的证书文件 " + extra + " 无法读取";
  }
  if (X509_STORE_CTX_init(context.get(), store.get(), leaf.get(), intermediates.get()) != 1) {
    return "证书校验失败 (内存不足)";
  }
  X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
  X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(context.get());
  const std::string name(host);
  if (IsIpAddress(name)) {
    X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str());
  } else {
    X509_VERIFY_PARAM_set1_host(param, name.c_str(), name.size());
  }
  if (X509_verify_cert(context.get()) == 1) return {};
  const int result = X509_STORE_CTX_get_error(context.get());
  std::string reason = VerifyResultReason(result);
  if (reason.empty()) {
    reason = std::string("证书校验失败 (") + X509_verify_cert_error_string(result) + ")";
  }
  return reason;
}

}  // namespace tv
