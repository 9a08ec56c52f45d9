// tarvolo-cli settings: UTF-8 in and out, exit codes, on the store the
// environment names.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "temp_store.h"

namespace tv {
namespace {

std::string ShellQuote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct CliRun {
  std::string out;
  int exit_code;
};

CliRun RunCli(const std::string& cli, const std::string& store,
              const std::vector<std::string>& args) {
  std::string command = "TARVOLO_SETTINGS=" + ShellQuote(store) + " " + ShellQuote(cli);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " 2>/dev/null";
  CliRun run{"", -1};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(CliSettings, CommandsWorkOnTheNamedStore) {
  // The tool of the same build; CMake builds it before this test.
  const std::string cli = TARVOLO_CLI;
  ASSERT_TRUE(std::filesystem::exists(cli)) << cli;
  test::TempDir dir;
  std::string store = dir.File("cli/settings.db");
  const std::string main_key = "Software\\Microsoft\\Windows\\CurrentVersion\\";
  struct Step {
    std::vector<std::string> args;
    std::string out;
    int exit_code;
  };
  const Step steps[] = {
      {{"settings", "set", "main", "FontTypetavrelomin", "黑体"}, "", 0},
      {{"settings", "get", main_key, "fonttypetavrelomin"}, "黑体\n", 0},
      {{"settings", "get", "main", "nothing"}, "Error\n", 1},
      {{"settings", "set", "history", "1", "消息"}, "", 1},  // no such key yet
      {{"settings", "create", "history"}, "", 0},
      {{"settings", "set", "history", "2", "第二"}, "", 0},
      {{"settings", "set", "history", "1", "第一"}, "", 0},
      {{"settings", "list", "history"}, "2\t第二\n1\t第一\n", 0},
      {{"settings", "delete", "history", "2"}, "", 0},
      {{"settings", "delete", "history", "2"}, "", 1},
      {{"settings", "drop", "history"}, "", 0},
      {{"settings", "list", "history"}, "", 1},
      {{"settings", "get", "main"}, "", 2},
  };
  for (const Step& step : steps) {
    CliRun run = RunCli(cli, store, step.args);
    EXPECT_EQ(run.out, step.out) << step.args[1];
    EXPECT_EQ(run.exit_code, step.exit_code) << step.args[1] << " " << step.args.back();
  }
}

}  // namespace
}  // namespace tv
