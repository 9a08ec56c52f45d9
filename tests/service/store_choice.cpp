// With TARVOLO_TEST_STORE=postgres the whole suite runs on PostgreSQL: one
// throwaway cluster for the program, a new database for every service a test
// starts without --db. PostgreSQL missing is a failure, not a skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string_view>

#include "local_service.h"
#include "pg_cluster.h"
#include "store_choice.h"

namespace tv::test {
namespace {

class PostgresStores : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SharedCluster().ok()) << SharedCluster().error();
    LocalService::SetStoreMaker([] { return SharedCluster().NewDatabase(); });
  }
  void TearDown() override { LocalService::SetStoreMaker(nullptr); }
};

const bool registered = [] {
  if (TestsRunOnPostgres()) ::testing::AddGlobalTestEnvironment(new PostgresStores);
  return true;
}();

}  // namespace

bool TestsRunOnPostgres() {
  const char* store = std::getenv("TARVOLO_TEST_STORE");
  return store && std::string_view(store) == "postgres";
}

PgCluster& SharedCluster() {
  static PgCluster cluster;
  return cluster;
}

}  // namespace tv::test
