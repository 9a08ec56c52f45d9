#pragma once
// Talks to a LocalService through the project's own transport, the way the
// client does: GBK values through EncodeQueryValue, answers decoded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk.h"
#include "local_service.h"
#include "net/query_encoding.h"
#include "net/transport.h"

namespace tv::test {

// A UTF-8 text as the client puts it into a query: GBK, then percent-encoded.
inline std::string Q(std::string_view utf8) { return EncodeQueryValue(Utf8ToGbk(utf8)); }
inline std::string U(std::string_view gbk) { return GbkToUtf8(gbk); }

class ServiceClient {
 public:
  explicit ServiceClient(const LocalService& service) : host_(service.host()) {}
  // Data pages: base64 answers, decoded.
  std::string Get(const std::string& path) const {
    return FetchEncodedPage("GET", host_, "/qavel/client/" + path);
  }
  std::string Post(const std::string& path) const {
    return FetchEncodedPage("POST", host_, "/qavel/client/" + path);
  }
  // Plain pages (discovery, version, HTML): the body as it came.
  std::string Plain(const std::string& path) const { return FetchPage("GET", host_, path); }
  const std::string& host() const { return host_; }

 private:
  std::string host_;
};

// A suite whose tests share one service, started in SetUpTestSuite:
//   static void SetUpTestSuite() { StartShared({"--demo"}); }
//   static void TearDownTestSuite() { StopShared(); }
class SharedServiceTest : public ::testing::Test {
 protected:
  static void StartShared(std::vector<std::string> args) {
    shared_ = std::make_unique<LocalService>(std::move(args));
    ASSERT_TRUE(shared_->ok()) << shared_->error();
  }
  static void StopShared() { shared_.reset(); }
  ServiceClient client() const { return ServiceClient(*shared_); }

 private:
  static inline std::unique_ptr<LocalService> shared_;
};

}  // namespace tv::test
