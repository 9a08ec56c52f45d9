// tarvolo-cli settings get KEY NAME | set KEY NAME TEXT | list KEY |
//                      delete KEY NAME | create KEY | drop KEY
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "core/gbk.h"
#include "settings/store.h"

namespace tv::cli {
namespace {

constexpr const char* kUsage =
    "settings get KEY NAME\n"
    "settings set KEY NAME TEXT\n"
    "settings list KEY\n"
    "settings delete KEY NAME\n"
    "settings create KEY\n"
    "settings drop KEY";
// Where the store is and the short key names, shown with a usage error.
constexpr const char* kUsageNote =
    "store: $TARVOLO_SETTINGS, else $XDG_CONFIG_HOME/tarvolo/settings.db\n"
    "KEY: a key path, or main, history, local-search, wide-search, run\n";

// Short names for the program's keys, so scripts need not spell the backslashes.
std::string KeyArgument(const std::string& utf8) {
  struct Alias {
    const char* name;
    std::string_view key;
  };
  static constexpr Alias kAliases[] = {{"main", kMainKey},
                                       {"history", kHistoryKey},
                                       {"local-search", kLocalSearchKey},
                                       {"wide-search", kWideSearchKey},
                                       {"run", kRunKey}};
  for (const Alias& alias : kAliases) {
    if (utf8 == alias.name) return std::string(alias.key);
  }
  return Utf8ToGbk(utf8);
}

void PrintUtf8Line(std::string_view gbk) { std::printf("%s\n", GbkToUtf8(gbk).c_str()); }

int Usage() {
  std::fprintf(stderr, "usage:\n");
  std::string usage = kUsage;
  for (std::size_t start = 0; start < usage.size();) {
    std::size_t end = usage.find('\n', start);
    if (end == std::string::npos) end = usage.size();
    std::fprintf(stderr, "  tarvolo-cli %s\n", usage.substr(start, end - start).c_str());
    start = end + 1;
  }
  std::fputs(kUsageNote, stderr);
  return 2;
}

int Done(bool ok, const char* what) {
  if (ok) return 0;
  std::fprintf(stderr, "tarvolo-cli settings: %s failed\n", what);
  return 1;
}

int RunSettings(const Args& args) {
  if (args.empty()) return Usage();
  const std::string& verb = args[0];
  std::size_t operands = args.size() - 1;
  bool shape_ok = (verb == "get" && operands == 2) || (verb == "set" && operands == 3) ||
                  (verb == "list" && operands == 1) || (verb == "delete" && operands == 2) ||
                  (verb == "create" && operands == 1) || (verb == "drop" && operands == 1);
  if (!shape_ok) return Usage();

  SettingsStore& store = Settings();
  if (!store.MovedAsidePath().empty()) {
    std::fprintf(stderr, "tarvolo-cli settings: damaged store moved to %s\n",
                 store.MovedAsidePath().c_str());
  }
  std::string key = KeyArgument(args[1]);
  if (verb == "get") {
    std::string text = store.Read(key, Utf8ToGbk(args[2]));
    PrintUtf8Line(text);
    return text == kError ? 1 : 0;
  }
  if (verb == "set") return Done(store.Write(key, Utf8ToGbk(args[2]), Utf8ToGbk(args[3])), "set");
  if (verb == "list") {
    if (!store.KeyExists(key)) return Done(false, "list (no such key)");
    for (const SettingValue& value : store.Enumerate(key)) {
      std::printf("%s\t%s\n", GbkToUtf8(value.name).c_str(), GbkToUtf8(value.text).c_str());
    }
    return 0;
  }
  if (verb == "delete") return Done(store.DeleteValue(key, Utf8ToGbk(args[2])), "delete");
  if (verb == "create") return Done(store.CreateKey(key), "create");
  return Done(store.DeleteKey(key), "drop");
}

TV_CLI_COMMAND("settings", kUsage, &RunSettings);

}  // namespace
}  // namespace tv::cli
