// tarvolo-cli regions provinces [--publish | --browse]
// tarvolo-cli regions children [--prefecture-table] NAME
// tarvolo-cli regions areacode NAME
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/list_setup.h"
#include "core/gbk.h"
#include "regions/region_directory.h"

namespace tv::cli {
namespace {

constexpr const char* kUsage =
    "regions provinces [--publish | --browse]\n"
    "regions children [--prefecture-table] NAME\n"
    "regions areacode NAME";

int Usage() {
  std::fprintf(stderr,
               "usage: tarvolo-cli regions provinces [--publish | --browse]\n"
               "       tarvolo-cli regions children [--prefecture-table] NAME\n"
               "       tarvolo-cli regions areacode NAME\n");
  return 2;
}

void PrintLine(std::string_view gbk) { std::printf("%s\n", GbkToUtf8(gbk).c_str()); }

int RunProvinces(const Args& args) {
  ProvinceOrder order = ProvinceOrder::kPublish;
  if (args.size() > 2) return Usage();
  if (args.size() == 2) {
    if (args[1] == "--browse") {
      order = ProvinceOrder::kBrowse;
    } else if (args[1] != "--publish") {
      return Usage();
    }
  }
  for (std::string_view name : Provinces(order)) PrintLine(name);
  return 0;
}

int RunChildren(const Args& args) {
  RegionTable table = RegionTable::kCountyDirectory;
  std::size_t name_at = 1;
  if (args.size() == 3 && args[1] == "--prefecture-table") {
    table = RegionTable::kPrefectureDirectory;
    name_at = 2;
  } else if (args.size() != 2) {
    return Usage();
  }
  const std::string name = Utf8ToGbk(args[name_at]);
  // An unknown name would list nothing, as a county does: say which it is.
  if (!KnownRegion(name)) return UsageError("regions", "no such region: \"" + args[name_at] + "\"");
  for (const std::string& child : ListChildren(table, name)) {
    PrintLine(child);
  }
  return 0;
}

int RunAreaCode(const Args& args) {
  if (args.size() != 2) return Usage();
  std::string code = AreaCodeOf(Utf8ToGbk(args[1]));
  if (code.empty()) {
    std::fprintf(stderr, "tarvolo-cli regions: no area code for \"%s\"\n", args[1].c_str());
    return 1;
  }
  std::printf("%s\n", code.c_str());
  return 0;
}

int RunRegions(const Args& args) {
  if (args.empty()) return Usage();
  if (args[0] == "provinces") return RunProvinces(args);
  if (args[0] == "children") return RunChildren(args);
  if (args[0] == "areacode") return RunAreaCode(args);
  return Usage();
}

TV_CLI_COMMAND("regions", kUsage, &RunRegions);

}  // namespace
}  // namespace tv::cli
