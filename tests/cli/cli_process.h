#pragma once
// tarvolo-cli as a child process of a test: its standard output read line by
// line as it comes, its standard error kept, an environment of the test's.
#include <sys/types.h>

#include <string>
#include <vector>

namespace tv::test {

struct CliResult {
  std::string out;
  std::string err;
  int exit_code = -1;  // -1: killed or did not end in time
};

class CliProcess {
 public:
  // Starts `program` (the shipped TARVOLO_CLI, or its test build
  // TARVOLO_CLI_TEST) with `args`; `env` entries ("NAME=value") are added to
  // (or replace) the test's own environment.
  CliProcess(const std::vector<std::string>& args, const std::vector<std::string>& env,
             const std::string& program = TARVOLO_CLI);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // The next line of standard output (without its "\n"); false when the
  // output ended or `timeout_ms` passed first.
  bool ReadLine(std::string& line, int timeout_ms);
  // Waits until standard error holds `text`; false when it ended or
  // `timeout_ms` passed first.
  bool AwaitError(const std::string& text, int timeout_ms);
  // Sends `signal` and waits for the end: standard output left unread and
  // standard error are in the result.
  CliResult Finish(int signal, int timeout_ms);
  // Waits for the program to end by itself.
  CliResult Wait(int timeout_ms);

 private:
  // Reads what is there within `timeout_ms`; false at end of output.
  bool Pump(int timeout_ms);

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::string out_;
  std::string err_;
  bool out_ended_ = false;
};

// Runs the program to its end (30 s at most).
CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env);

}  // namespace tv::test
