// tarvolo-cli friends: the member's friends list from a terminal: listed,
// added to and shortened through the same requests as the window, with the
// login's session key.
#include <cstdio>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "detail/detail_friend_rules.h"
#include "detail/friends_table.h"

namespace tv::cli {
namespace {

constexpr const char* kHelp =
    "usage: tarvolo-cli friends [--user USER --password PASSWORD]\n"
    "       tarvolo-cli friends add MEMBER COMPANY [--user USER --password PASSWORD]\n"
    "       tarvolo-cli friends delete ENTRY [--user USER --password PASSWORD]\n"
    "\n"
    "Logs in (--user and --password, else the remembered user) and lists the\n"
    "member's friends, one ENTRY<TAB>NAME<TAB>MEMBER line each (the list entry,\n"
    "the friend's company, the friend's member number); or adds member MEMBER\n"
    "under the name COMPANY (prints \"AddOK<TAB>ENTRY\"), as \"加入好友\" of the\n"
    "detail window does; or removes the list entry ENTRY, as \"删除好友\" does.\n"
    "Exit status: 0 done; 1 the login or the request failed (its notice on\n"
    "standard error); 2 a bad argument.\n";

int RunFriends(const Args& args) {
  static constexpr const char* kCommand = "friends";
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args, {kUserOption, kPasswordOption}, parsed)) return 2;
  const auto& ops = parsed.Operands();
  const std::string verb = ops.empty() ? "list" : ops[0];
  const bool list = verb == "list" && ops.size() <= 1;
  const bool add = verb == "add" && ops.size() == 3;
  const bool remove = verb == "delete" && ops.size() == 2;
  if (!list && !add && !remove) {
    return UsageError(kCommand, "list, add MEMBER COMPANY or delete ENTRY");
  }
  CurrentMessage friend_message;
  if (add) {
    if (DecimalValue(ops[1]) <= 0) return UsageError(kCommand, "MEMBER is a member number");
    auto company = GbkArgument(kCommand, "the company", ops[2]);
    if (!company) return 2;
    if (company->empty()) return UsageError(kCommand, "an empty company");
    friend_message.Flag = ops[1];
    friend_message.Company = *company;
  }
  const std::optional<LoginChoice> choice = ChooseLogin(kCommand, parsed, false);
  if (!choice) return 2;
  EventLoop loop;
  Member member;
  if (!LogIn(loop, *choice, member)) return 1;
  MemberSession& session = *member.session;

  if (list) {
    const std::string answer =
        session.Fetch("GET", member.host, FriendsPath(member.profile.UserId));
    if (answer == kError) {
      std::fprintf(stderr, "tarvolo-cli friends: the service did not answer\n");
      return 1;
    }
    for (const FriendRow& row : ParseFriends(answer)) {
      PrintLine(Tabbed({row.entry_id, row.name, row.user_id}));
    }
    return 0;
  }
  if (add) {
    const AddFriendAnswer read = ReadAddFriendAnswer(
        session.Fetch("POST", member.host, AddFriendPath(friend_message, member.profile.UserId)));
    if (read.kind == AddFriendAnswer::Kind::kAdded) {
      PrintLine(Tabbed({"AddOK", read.text}));
      return 0;
    }
    // The window says nothing to an answer it does not know; the terminal
    // says that nothing was added.
    ShowNotice(read.kind == AddFriendAnswer::Kind::kNotice ? read.text
                                                           : TV_TEXT("添加失败,请稍后重试!"));
    return 1;
  }
  if (session.Fetch("GET", member.host, DeleteFriendPath(ops[1])) == "DelOK") return 0;
  ShowNotice(TV_TEXT("删除失败,请稍后重试"));
  return 1;
}

TV_CLI_COMMAND_HELP("friends", "friends [list | add MEMBER COMPANY | delete ENTRY]", &RunFriends,
                    kHelp);

}  // namespace
}  // namespace tv::cli
