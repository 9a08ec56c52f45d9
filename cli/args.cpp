#include "cli/args.h"

#include <cstdio>

#include "core/gbk.h"

namespace tv::cli {

bool ParsedArgs::Has(std::string_view name) const {
  return flags_.contains(name) || values_.contains(name);
}

std::optional<std::string> ParsedArgs::Value(std::string_view name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

int UsageError(std::string_view command, std::string_view utf8_text) {
  std::fprintf(stderr, "tarvolo-cli %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
               static_cast<int>(utf8_text.size()), utf8_text.data());
  std::fprintf(stderr, "(tarvolo-cli %.*s --help shows the usage)\n",
               static_cast<int>(command.size()), command.data());
  return 2;
}

bool ParseArgs(std::string_view command, const Args& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& out) {
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      if (arg == "--") {
        options_ended = true;
        continue;
      }
      if (!options_ended && arg.size() > 1 && arg[0] == '-') {
        UsageError(command, "unknown option " + arg);
        return false;
      }
      out.operands_.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    std::optional<std::string> inline_value;
    if (auto eq = name.find('='); eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name.resize(eq);
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : specs) {
      if (s.name == name) spec = &s;
    }
    if (spec == nullptr) {
      UsageError(command, "unknown option --" + name);
      return false;
    }
    if (!spec->takes_value) {
      if (inline_value) {
        UsageError(command, "--" + name + " takes no value");
        return false;
      }
      out.flags_.insert(name);
      continue;
    }
    if (!inline_value) {
      if (i + 1 >= args.size()) {
        UsageError(command, "--" + name + " needs a value");
        return false;
      }
      inline_value = args[++i];
    }
    if (out.values_.contains(name)) {
      UsageError(command, "--" + name + " given twice");
      return false;
    }
    out.values_[name] = *inline_value;
  }
  return true;
}

std::optional<std::string> ArgumentToGbk(std::string_view utf8) {
  // The conversion puts '?' for what GBK cannot hold: a text that does not
  // come back unchanged lost a character on the way.
  std::string gbk = Utf8ToGbk(utf8);
  if (GbkToUtf8(gbk) != utf8) return std::nullopt;
  return gbk;
}

std::optional<std::string> GbkArgument(std::string_view command, std::string_view what,
                                       std::string_view utf8) {
  auto gbk = ArgumentToGbk(utf8);
  if (!gbk) {
    UsageError(command, std::string(what) + " holds a character the service cannot take (GBK): " +
                            std::string(utf8));
  }
  return gbk;
}

}  // namespace tv::cli
