// tarvolo-cli login: the window's login from a terminal; prints the profile.
#include <array>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"

namespace tv::cli {
namespace {

constexpr const char* kHelp =
    "usage: tarvolo-cli login [--remember] USER PASSWORD\n"
    "       tarvolo-cli login --guest\n"
    "\n"
    "Finds a data server, checks the offered version and logs in, exactly as the\n"
    "login form does, then prints the member's profile, one FIELD<TAB>VALUE line\n"
    "per field: UserId, RealName, Company, Phone, Mobile, Extension, NetPhone,\n"
    "City, Province, PublishRight, PublishWaitSeconds, ContentLimit, and Kind\n"
    "(full, ordinary, no-contact or guest).\n"
    "An update the server offers is told on standard error; the terminal\n"
    "installs none (the window program does).\n"
    "\n"
    "  --remember  tick \"记住用户与密码\": the user and password are kept, and\n"
    "              the other commands log in with them when given no --user;\n"
    "              the password goes into the desktop's keyring (Secret\n"
    "              Service), or, where none answers, into the settings file\n"
    "              (said once on standard error); without it (and with --user on any\n"
    "              other command) the remembered user stays as it is\n"
    "  --guest     enter as a visitor (\"无帐户体验\")\n"
    "\n"
    "Arguments are UTF-8; they travel as GBK.\n"
    "Environment: TARVOLO_PORTAL_HOST, TARVOLO_FALLBACK_HOST (the service's\n"
    "list hosts), TARVOLO_SETTINGS (the settings store file).\n"
    "Exit status: 0 logged in; 1 the login failed (its notice on standard\n"
    "error); 2 a bad argument (nothing was sent).\n";

int RunLogin(const Args& args) {
  ParsedArgs parsed;
  if (!ParseArgs("login", args, {{"remember", false}, kGuestOption}, parsed)) return 2;
  LoginChoice choice;
  if (parsed.Has("guest")) {
    if (!parsed.Operands().empty() || parsed.Has("remember")) {
      return UsageError("login", "--guest takes no user, password or --remember");
    }
    choice.guest = true;
  } else {
    if (parsed.Operands().size() != 2) return UsageError("login", "give USER and PASSWORD");
    auto user = GbkArgument("login", "the user name", parsed.Operands()[0]);
    if (!user) return 2;
    auto password = GbkArgument("login", "the password", parsed.Operands()[1]);
    if (!password) return 2;
    if (user->empty() || password->empty()) {
      return UsageError("login", "an empty user name or password");
    }
    choice.user = *user;
    choice.password = *password;
    choice.remember = parsed.Has("remember");
  }

  EventLoop loop;
  Member member;
  if (!LogIn(loop, choice, member)) return 1;
  static constexpr std::array<std::string_view, 12> kShown = {"UserId",
                                                              "RealName",
                                                              "Company",
                                                              "Phone",
                                                              "Mobile",
                                                              "Extension",
                                                              "NetPhone",
                                                              "City",
                                                              "Province",
                                                              "PublishRight",
                                                              "PublishWaitSeconds",
                                                              "ContentLimit"};
  const std::vector<ProfileFieldText> fields = DescribeProfile(member.profile);
  for (std::string_view name : kShown) {
    for (const ProfileFieldText& field : fields) {
      if (field.name == name) PrintLine(Tabbed({field.name, field.value}));
    }
  }
  PrintLine(Tabbed({"Kind", MemberKind(member.flags)}));
  return 0;
}

TV_CLI_COMMAND_HELP("login", "login [--remember] USER PASSWORD | login --guest", &RunLogin, kHelp);

}  // namespace
}  // namespace tv::cli
