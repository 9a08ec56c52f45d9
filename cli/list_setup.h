#pragma once
// What the list commands (feed, search) share: their start (options, login),
// the region names a member may give, the network calls of a list on the
// terminal and what it prints.
#include <functional>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "cli/feed_printer.h"
#include "cli/session.h"
#include "feed/feed_services.h"

namespace tv {
class FeedController;
}

namespace tv::cli {

// The names the multi-area form and the region tree offer: provinces,
// prefecture-level cities, counties, and the whole country (GBK).
bool KnownRegion(std::string_view gbk);

// A list's requests and discovery, as the window's feed makes them.
FeedServices TerminalServices();

// What a list command prints: its first page once, then (following) the
// rows each poll puts on top. A single look ends after the first page.
class ListOutput {
 public:
  ListOutput(EventLoop& loop, bool follow, FeedPrintStyle style)
      : loop_(loop), follow_(follow), style_(style) {}
  // A first page was applied; `filled`: it held messages. Without any, the
  // server may not have answered (`connection_lost`): told once, and a
  // single look ends with 1 while a follower waits for the list's next try.
  void FirstPage(FeedStore& store, bool filled, bool connection_lost);
  // A poll put `inserted` rows on top of the store's grid.
  void NewRows(FeedStore& store, int inserted);
  // The list's connection went (`lost`) or came back. Once the first page is
  // out a follower says so on standard error and keeps following: the list
  // itself tries again at each refresh.
  void ConnectionChanged(bool lost);
  bool FirstPageShown() const { return shown_; }
  const FeedPrintStyle& Style() const { return style_; }

 private:
  EventLoop& loop_;
  bool follow_;
  FeedPrintStyle style_;
  bool shown_ = false;
  bool told_lost_ = false;
};

// A list command once its member is logged in: the member, what the list
// prints, and the loop it runs on.
class ListRun {
 public:
  ListRun(EventLoop& loop, const Member& member, bool follow, FeedPrintStyle style)
      : loop_(loop), member_(member), follow_(follow), output_(loop, follow, style) {}
  const Member& LoggedIn() const { return member_; }
  ListOutput& Output() { return output_; }
  // As the window after this member's login: contact data masked or not,
  // and the period of the list's polls.
  bool Masked() const;
  int RefreshPeriodMs() const;
  // The output hears when the list's connection goes or comes back.
  void WatchConnection(FeedController& feed);
  // Runs the list until its first page is out, or while following until
  // SIGINT or SIGTERM; the exit status.
  int Run();
  // Follows whatever the options said (a command that only follows).
  void FollowAlways() { follow_ = true; }

 private:
  EventLoop& loop_;
  const Member& member_;
  bool follow_;
  ListOutput output_;
};

// The start every list command shares. Parses the command's own options
// beside the shared ones (--follow, --json and the login's); `read_options`
// takes the command's own from them (false: a bad argument, already told);
// then the login is chosen and made, and `run` sets the list up on the
// member and runs it. Returns `run`'s exit status; 2 for a bad argument
// (nothing sent), 1 when the login failed (its notice on standard error).
int RunListCommand(std::string_view command, const Args& args, std::vector<OptionSpec> own_options,
                   const std::function<bool(const ParsedArgs&)>& read_options,
                   const std::function<int(ListRun&)>& run);

}  // namespace tv::cli
