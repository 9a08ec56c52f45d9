// The command table of tarvolo-cli and the dispatch of one command line.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "cli/command.h"
#include "cli/output.h"
#include "cli/run_cli.h"

namespace tv::cli {
namespace {

std::map<std::string, Command>& Table() {
  static std::map<std::string, Command> table;
  return table;
}

// Each line of a usage text as "PREFIX tarvolo-cli LINE"; `first` before the
// first line, `rest` before the others.
void PrintUsageLines(FILE* out, const char* first, const char* rest, const std::string& usage) {
  std::size_t start = 0;
  while (start <= usage.size()) {
    std::size_t end = usage.find('\n', start);
    if (end == std::string::npos) end = usage.size();
    std::fprintf(out, "%starvolo-cli %s\n", start == 0 ? first : rest,
                 usage.substr(start, end - start).c_str());
    start = end + 1;
  }
}

int PrintHelp(FILE* out) {
  std::fprintf(out,
               "usage: tarvolo-cli COMMAND [ARGS...]    (tarvolo-cli COMMAND --help for more)\n\n"
               "commands:\n");
  for (const auto& [name, command] : Table()) PrintUsageLines(out, "  ", "  ", command.usage);
  return 0;
}

int PrintCommandHelp(const Command& command) {
  if (command.help != nullptr) {
    std::fputs(command.help, stdout);
    return 0;
  }
  PrintUsageLines(stdout, "usage: ", "       ", command.usage);
  return 0;
}

}  // namespace

bool Register(const Command& command) {
  Table()[command.name] = command;
  return true;
}

int RunCli(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0 ||
      std::strcmp(argv[1], "-h") == 0) {
    return PrintHelp(argc < 2 ? stderr : stdout) + (argc < 2 ? 2 : 0);
  }
  auto it = Table().find(argv[1]);
  if (it == Table().end()) {
    std::fprintf(stderr, "tarvolo-cli: unknown command '%s'\n", argv[1]);
    PrintHelp(stderr);
    return 2;
  }
  Args args(argv + 2, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h"))
    return PrintCommandHelp(it->second);
  InstallNoticePrinter();
  return it->second.run(args);
}

}  // namespace tv::cli
