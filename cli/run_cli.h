#pragma once
// The whole of tarvolo-cli behind its main(): the program and its test build
// (tests/cli, with the test hooks set first) run the same commands.

namespace tv::cli {

// Runs the command named by argv[1]; returns the exit status.
int RunCli(int argc, char** argv);

}  // namespace tv::cli
