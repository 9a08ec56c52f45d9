#pragma once
// A test suite with certificates of its own (TestCa, made once per suite):
// the transport trusts the suite's CA as the extra CA file of the settings,
// and the notices it gives about secure connections are recorded (UTF-8).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "net/transport.h"
#include "test_ca.h"

namespace tv::test {

class TlsFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/tv-tls-XXXXXX";
    dir_ = mkdtemp(pattern);
    ca_ = std::make_unique<TestCa>(dir_);
  }
  static void TearDownTestSuite() {
    ca_.reset();
    std::filesystem::remove_all(dir_);
  }
  void SetUp() override {
    ASSERT_TRUE(ca_->ok()) << ca_->error();
    SetExtraCaFile(ca_->CaFile());
    SetSecureConnectionFailureHandler([this](const std::string& gbk) {
      std::lock_guard lock(mutex_);
      notices_.push_back(GbkToUtf8(gbk));
    });
  }
  void TearDown() override {
    SetSecureConnectionFailureHandler(nullptr);
    SetExtraCaFile("");
  }
  std::vector<std::string> Notices() {
    std::lock_guard lock(mutex_);
    return notices_;
  }
  void ClearNotices() {
    std::lock_guard lock(mutex_);
    notices_.clear();
  }
  static const TestCa& ca() { return *ca_; }
  static const std::string& dir() { return dir_; }

 private:
  static inline std::string dir_;
  static inline std::unique_ptr<TestCa> ca_;
  std::mutex mutex_;
  std::vector<std::string> notices_;
};

}  // namespace tv::test
