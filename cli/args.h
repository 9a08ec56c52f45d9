#pragma once
// Option parsing of the client commands: "--name VALUE", "--name=VALUE" and
// "--flag", operands in between, "--" ending the options. Every mistake is
// told on standard error before any request; the command then exits 2.
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"

namespace tv::cli {

struct OptionSpec {
  std::string_view name;  // without the dashes
  bool takes_value = false;
};

class ParsedArgs {
 public:
  bool Has(std::string_view name) const;
  // The option's value as given (UTF-8), or nothing.
  std::optional<std::string> Value(std::string_view name) const;
  const std::vector<std::string>& Operands() const { return operands_; }

 private:
  friend bool ParseArgs(std::string_view, const Args&, const std::vector<OptionSpec>&, ParsedArgs&);
  std::map<std::string, std::string, std::less<>> values_;
  std::set<std::string, std::less<>> flags_;
  std::vector<std::string> operands_;
};

// The options every networked command takes for its login.
inline constexpr OptionSpec kUserOption{"user", true};
inline constexpr OptionSpec kPasswordOption{"password", true};
inline constexpr OptionSpec kGuestOption{"guest", false};

// False after telling what is wrong ("tarvolo-cli feed: unknown option --x").
bool ParseArgs(std::string_view command, const Args& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& out);
inline bool ParseArgs(std::string_view command, const Args& args,
                      std::initializer_list<OptionSpec> specs, ParsedArgs& out) {
  return ParseArgs(command, args, std::vector<OptionSpec>(specs), out);
}

// "tarvolo-cli COMMAND: TEXT" on standard error; returns 2 (a usage error).
int UsageError(std::string_view command, std::string_view utf8_text);

// A UTF-8 argument as GBK; nothing when GBK cannot hold one of its
// characters (or it is not UTF-8).
std::optional<std::string> ArgumentToGbk(std::string_view utf8);

// The same, telling what is wrong: GBK, or nothing after the message.
std::optional<std::string> GbkArgument(std::string_view command, std::string_view what,
                                       std::string_view utf8);

}  // namespace tv::cli
