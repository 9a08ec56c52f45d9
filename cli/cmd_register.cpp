// tarvolo-cli register: the registration form's checks and request from a
// terminal.
#include <cstdio>
#include <vector>

#include "account/registration.h"
#include "app/server_discovery.h"
#include "cli/args.h"
#include "cli/command.h"
#include "cli/output.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "regions/region_directory.h"

namespace tv::cli {
namespace {

constexpr const char* kHelp =
    "usage: tarvolo-cli register --username U --password P --confirm P --name N\n"
    "                            --province P --city C --area-code A --phone N\n"
    "                            [--sex 男|女] [--company C] [--town T] [--url U]\n"
    "                            [--mobile M] [--phone2 X] [--qq Q] [--email E]\n"
    "                            [--address A] [--post P]\n"
    "\n"
    "Applies for a member account as the registration form does. The province,\n"
    "city and town are names of the region directory (tarvolo-cli regions\n"
    "children), as the form's lists offer them. Then the form's checks in\n"
    "their order (the first that fails is told, nothing is sent), then the\n"
    "request to the data server that discovery finds, sent again while the\n"
    "network fails. Prints the service's answer as the form tells it.\n"
    "Exit status: 0 registered (\"RegSuccess\") or awaiting approval\n"
    "(\"RegNoGo\"); 1 any other answer or no network; 2 a bad argument or a\n"
    "failed check (nothing sent).\n";

constexpr int kDiscoveryAttempts = 3;

int RunRegister(const Args& args) {
  static constexpr const char* kCommand = "register";
  RegistrationValues v;
  struct Field {
    OptionSpec option;
    std::string* target;
    bool required = false;
  };
  const Field fields[] = {
      {{"username", true}, &v.username, true},
      {{"password", true}, &v.password, true},
      {{"confirm", true}, &v.confirm, true},
      {{"name", true}, &v.real_name, true},
      {{"sex", true}, &v.sex},
      {{"company", true}, &v.company},
      {{"province", true}, &v.province, true},
      {{"city", true}, &v.city, true},
      {{"town", true}, &v.town},
      {{"url", true}, &v.url},
      {{"area-code", true}, &v.area_code, true},
      {{"phone", true}, &v.tel_number, true},
      {{"mobile", true}, &v.mobile},
      {{"phone2", true}, &v.tel2},
      {{"qq", true}, &v.qq},
      {{"email", true}, &v.email},
      {{"address", true}, &v.address},
      {{"post", true}, &v.post},
  };
  ParsedArgs parsed;
  std::vector<OptionSpec> specs;
  for (const Field& field : fields) specs.push_back(field.option);
  if (!ParseArgs(kCommand, args, specs, parsed)) return 2;
  if (!parsed.Operands().empty()) {
    return UsageError(kCommand, "unexpected argument " + parsed.Operands()[0]);
  }
  std::string missing;
  for (const Field& field : fields) {
    if (!field.required || parsed.Value(field.option.name)) continue;
    missing += missing.empty() ? "missing --" : ", --";
    missing += field.option.name;
  }
  if (!missing.empty()) return UsageError(kCommand, missing);
  for (const Field& field : fields) {
    const auto value = parsed.Value(field.option.name);
    if (!value) continue;
    auto gbk = GbkArgument(kCommand, "--" + std::string(field.option.name), *value);
    if (!gbk) return 2;
    *field.target = *gbk;
  }
  if (v.sex.empty()) v.sex = TV_TEXT("男");
  // The form offers only places of the directory; the service takes no other.
  switch (CheckPlace(v.province, v.city, v.town)) {
    case PlaceFault::kNone:
      break;
    case PlaceFault::kProvince:
      return UsageError(kCommand, "no such province: \"" + GbkToUtf8(v.province) + "\"");
    case PlaceFault::kCity:
      return UsageError(kCommand,
                        "no city \"" + GbkToUtf8(v.city) + "\" in " + GbkToUtf8(v.province));
    case PlaceFault::kCounty:
      return UsageError(kCommand, "no town \"" + GbkToUtf8(v.town) + "\" in " + GbkToUtf8(v.city));
  }
  if (const auto problem = CheckRegistration(v)) {
    ShowNotice(problem->notice);
    return 2;
  }
  bool found = false;
  for (int attempt = 0; attempt < kDiscoveryAttempts && !found; ++attempt) {
    found = Servers().DiscoverServer();
  }
  if (!found) {
    ShowNotice(TV_TEXT("网络连接失败,请检查网络是否正常!"));
    return 1;
  }
  const std::string answer = SendRegistrationRequest(Servers().CurrentHost(), v);
  const RegistrationReply reply = ReadRegistrationAnswer(answer, v.username);
  const bool done = reply.outcome == RegistrationOutcome::kRegistered ||
                    reply.outcome == RegistrationOutcome::kAwaitingApproval;
  const std::string text = NoticeLine(reply.notice.empty() ? answer : reply.notice);
  if (done) {
    PrintLine(text);
  } else {
    ShowNotice(text);
  }
  return done ? 0 : 1;
}

TV_CLI_COMMAND_HELP("register",
                    "register --username U --password P --confirm P --name N --province P "
                    "--city C --area-code A --phone N [...]",
                    &RunRegister, kHelp);

}  // namespace
}  // namespace tv::cli
