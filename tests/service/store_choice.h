#pragma once
// Which store the service tests run on (see store_choice.cpp).
#include "pg_cluster.h"

namespace tv::test {

bool TestsRunOnPostgres();
// The program's one PostgreSQL cluster, started on first use.
PgCluster& SharedCluster();

}  // namespace tv::test
