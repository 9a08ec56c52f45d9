// tarvolo-cli: the client in a terminal (login, feed, publishing) and the
// program's own code from the command line, for diagnostics, scripts and
// tests.
#include "cli/run_cli.h"

int main(int argc, char** argv) { return tv::cli::RunCli(argc, argv); }
