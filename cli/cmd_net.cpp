// tarvolo-cli fetch / download / parse: the transport and every answer parser
// from the command line. Bodies are read and printed raw as GBK underneath;
// what is printed is converted to UTF-8.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "cli/command.h"
#include "cli/output.h"
#include "core/gbk.h"
#include "net/answers.h"
#include "net/login_answer.h"
#include "net/server_list.h"
#include "net/totals_answer.h"
#include "net/transport.h"
#include "net/version_answer.h"

namespace tv::cli {
namespace {

void PrintRecord(const InfoRecord& r) {
  PrintLine(Tabbed(
      {r.InfoID, r.City, r.Type, r.Content, r.Tel, r.QQ, r.Company, r.Flag, r.Deal, r.Time}));
}

int RunFetch(const Args& args) {
  bool encoded = false;
  bool post = false;
  std::vector<std::string> rest;
  for (const auto& arg : args) {
    if (arg == "--encoded") {
      encoded = true;
    } else if (arg == "--post") {
      post = true;
    } else {
      rest.push_back(arg);
    }
  }
  if (rest.size() != 2) {
    std::fprintf(stderr, "usage: tarvolo-cli fetch [--encoded] [--post] HOST PATH\n");
    return 2;
  }
  const char* verb = post ? "POST" : "GET";
  const std::string path = Utf8ToGbk(rest[1]);
  const std::string result =
      encoded ? FetchEncodedPage(verb, rest[0], path) : FetchPage(verb, rest[0], path);
  PrintLine(result);
  return result == kError ? 1 : 0;
}

int RunDownload(const Args& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: tarvolo-cli download URL FILE\n");
    return 2;
  }
  if (DownloadToFile(args[0], args[1]) != 0) {
    std::fprintf(stderr, "tarvolo-cli download: %s could not be downloaded to %s\n",
                 args[0].c_str(), args[1].c_str());
    return 1;
  }
  return 0;
}

int RunParse(const Args& args) {
  if (args.size() != 1) {
    std::fprintf(stderr,
                 "usage: tarvolo-cli parse counted|records|ids|profile|totals|servers|version\n");
    return 2;
  }
  const std::string& kind = args[0];
  const std::string body((std::istreambuf_iterator<char>(std::cin)),
                         std::istreambuf_iterator<char>());

  if (kind == "counted") {
    const CountedPage page = ParseCountedPage(body);
    PrintLine(std::to_string(page.total));
    for (const auto& record : page.records) PrintRecord(record);
  } else if (kind == "records") {
    for (const auto& record : ParseRecords(body)) PrintRecord(record);
  } else if (kind == "ids") {
    for (const auto& pair : ParseIdList(body)) PrintLine(Tabbed({pair.LogId, pair.InfoId}));
  } else if (kind == "profile") {
    const LoginAnswer answer = ParseLoginAnswer(body);
    if (!answer.ok()) {
      PrintLine(LoginNotice(answer.outcome));
      return 1;
    }
    std::string flags = "flags";
    if (answer.flags.NoContactRights) flags += "\tNoContactRights";
    if (answer.flags.OrdinaryMember) flags += "\tOrdinaryMember";
    PrintLine(flags);
    for (const auto& field : DescribeProfile(answer.profile)) {
      PrintLine(Tabbed({field.name, field.value}));
    }
  } else if (kind == "totals") {
    const auto totals = ParseTotalsAnswer(body);
    if (!totals) {
      PrintLine(kError);
      return 1;
    }
    PrintLine(Tabbed({std::to_string(totals->national), std::to_string(totals->second),
                      std::to_string(totals->third)}));
  } else if (kind == "servers") {
    if (!IsAcceptableServerList(body)) {
      PrintLine(kError);
      return 1;
    }
    const ServerList list = ParseServerList(body);
    PrintLine(std::to_string(list.count));
    for (const auto& host : list.hosts) PrintLine(host);
  } else if (kind == "version") {
    const VersionAnswer answer = ParseVersionAnswer(body);
    PrintLine(Tabbed({answer.version, answer.program_url}));
  } else {
    std::fprintf(stderr, "tarvolo-cli parse: unknown kind '%s'\n", kind.c_str());
    return 2;
  }
  return 0;
}

TV_CLI_COMMAND("fetch", "fetch [--encoded] [--post] HOST PATH", &RunFetch);
TV_CLI_COMMAND("download", "download URL FILE", &RunDownload);
TV_CLI_COMMAND("parse", "parse counted|records|ids|profile|totals|servers|version  (body on stdin)",
               &RunParse);

}  // namespace
}  // namespace tv::cli
