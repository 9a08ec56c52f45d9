// tarvolo-cli encode TEXT
#include <cstdio>

#include "cli/command.h"
#include "core/gbk.h"
#include "net/query_encoding.h"

namespace tv::cli {
namespace {

int RunEncode(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tarvolo-cli encode TEXT\n");
    return 2;
  }
  std::printf("%s\n", EncodeQueryValue(Utf8ToGbk(args[0])).c_str());
  return 0;
}

TV_CLI_COMMAND("encode", "encode TEXT", &RunEncode);

}  // namespace
}  // namespace tv::cli
