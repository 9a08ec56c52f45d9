#pragma once
// tarvolo-cli subcommands register themselves here; each lives in its own file.
// Arguments arrive as UTF-8; convert to GBK with tv::Utf8ToGbk before use and
// print UTF-8 (tv::GbkToUtf8).
#include <string>
#include <vector>

namespace tv::cli {

using Args = std::vector<std::string>;  // arguments after the subcommand name

struct Command {
  const char* name;
  const char* usage;  // one or more lines shown by "tarvolo-cli help"
  int (*run)(const Args& args);
  // The page "tarvolo-cli NAME --help" prints (usage, options, environment,
  // exit status); without one the usage lines are shown.
  const char* help = nullptr;
};

bool Register(const Command& command);

}  // namespace tv::cli

#define TV_CLI_CONCAT_INNER(a, b) a##b
#define TV_CLI_CONCAT(a, b) TV_CLI_CONCAT_INNER(a, b)
// TV_CLI_COMMAND("encode", "encode TEXT", &RunEncode);
#define TV_CLI_COMMAND(name, usage, fn) \
  static const bool TV_CLI_CONCAT(kRegistered_, __LINE__) = ::tv::cli::Register({name, usage, fn})
// TV_CLI_COMMAND_HELP("login", "login [--remember] USER PASSWORD", &RunLogin, kLoginHelp);
#define TV_CLI_COMMAND_HELP(name, usage, fn, help)          \
  static const bool TV_CLI_CONCAT(kRegistered_, __LINE__) = \
      ::tv::cli::Register({name, usage, fn, help})
