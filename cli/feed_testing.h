#pragma once
// Test hook of "feed --follow": a test cannot wait the three minutes between
// two polls of the deleted and closed messages. Only the test build of the
// program (tests/cli) sets it.

namespace tv::cli {

// The period of those polls from now on; 0 or less: the window's.
void SetIdPollPeriodForTesting(int ms);

}  // namespace tv::cli
