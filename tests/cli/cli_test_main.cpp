// tarvolo-cli-test: tarvolo-cli with the switches only tests need, read from
// the environment before the command runs:
//   TARVOLO_ID_POLL_MS  the period of the deleted/closed polls of "feed --follow"
#include <cstdlib>

#include "cli/feed_testing.h"
#include "cli/run_cli.h"

int main(int argc, char** argv) {
  if (const char* ms = std::getenv("TARVOLO_ID_POLL_MS"); ms != nullptr && std::atoi(ms) > 0) {
    tv::cli::SetIdPollPeriodForTesting(std::atoi(ms));
  }
  return tv::cli::RunCli(argc, argv);
}
