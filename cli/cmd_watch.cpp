// tarvolo-cli watch: every running route subscription followed as the
// window follows it, each new match printed with its subscription's name.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/feed_printer.h"
#include "cli/list_setup.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "subscribe/subscription_set.h"
#include "subscribe/subscription_store.h"

namespace tv::cli {
namespace {

constexpr const char* kHelp =
    "usage: tarvolo-cli watch [--json] [--user USER --password PASSWORD | --guest]\n"
    "\n"
    "Logs in (--user and --password, else the remembered user, or --guest) and\n"
    "follows every running subscription of \"tarvolo-cli subscriptions\" (the\n"
    "window's 我的订阅) as the window does: their kept matches are taken as\n"
    "seen, then each new match is printed as it comes, a line each,\n"
    "tab-separated: the subscription's name, then the fields \"feed\" prints\n"
    "(identifier, time, city, type, content, telephone, company, \"已成交\" or\n"
    "empty). Paused subscriptions are not asked for. Until SIGINT or SIGTERM\n"
    "(exit 0). On standard error: \"following N subscriptions\" once every\n"
    "one has started, and a lost connection, once.\n"
    "\n"
    "  --json          one JSON object a line: {\"List\":NAME, then the fields}\n"
    "\n"
    "Environment: TARVOLO_PORTAL_HOST, TARVOLO_FALLBACK_HOST, TARVOLO_SETTINGS.\n"
    "Exit status: 0 ended by a signal; 1 the login failed or the store cannot\n"
    "be opened; 2 a bad argument or no running subscription.\n";

int Watch(SubscriptionStore& store, ListRun& list) {
  const Member& member = list.LoggedIn();
  SubscriptionSet set(store, TerminalServices());
  set.SetMember(member.profile.UserId);
  set.SetHost(member.host);
  set.SetRefreshPeriodMs(list.RefreshPeriodMs());
  set.SetMasked(list.Masked());
  const FeedPrintStyle style = list.Output().Style();
  QObject::connect(&set, &SubscriptionSet::matchesArrived, &set,
                   [&](qint64 id, const std::vector<InfoRecord>& records) {
                     SubscriptionFeed* feed = set.FeedOf(id);
                     if (feed == nullptr) return;
                     FeedPrintStyle named = style;
                     named.list_name = feed->Info().name;
                     // On top of the list, the oldest of them lowest.
                     for (int row = static_cast<int>(records.size()) - 1; row >= 0; --row) {
                       PrintFeedRow(feed->Store(), row, named);
                     }
                   });
  QObject::connect(&set, &SubscriptionSet::connectionChanged, &set, [](bool lost) {
    if (lost) ShowNotice(TV_TEXT("网络连接中断，正在重新连接…"));
  });
  set.Start();
  // Said once every list has its start: what comes from then on is new.
  auto waiting = std::make_shared<int>(static_cast<int>(set.Feeds().size()));
  for (SubscriptionFeed* feed : set.Feeds()) {
    QObject::connect(feed, &SubscriptionFeed::started, feed, [waiting, count = *waiting] {
      if (--*waiting == 0) {
        std::fprintf(stderr, "tarvolo-cli watch: following %d subscriptions\n", count);
      }
    });
  }
  list.FollowAlways();
  return list.Run();
}

int RunWatch(const Args& args) {
  std::unique_ptr<SubscriptionStore> store;
  bool unopened = false;
  const int status = RunListCommand(
      "watch", args, {},
      [&](const ParsedArgs& parsed) {
        if (!parsed.Operands().empty()) {
          UsageError("watch", "no operand: the subscriptions come from their store");
          return false;
        }
        // The list commands' option; watch never stops on its own anyway.
        if (parsed.Has("follow")) {
          UsageError("watch", "--follow is not an option of watch: it always follows");
          return false;
        }
        store = SubscriptionStore::Open(SubscriptionStore::DefaultPath());
        if (!store) {
          unopened = true;
          return false;
        }
        for (const Subscription& s : store->List()) {
          if (!s.paused) return true;
        }
        UsageError("watch", "no running subscription (tarvolo-cli subscriptions add|resume)");
        return false;
      },
      [&](ListRun& list) { return Watch(*store, list); });
  if (unopened) {
    std::fprintf(stderr, "tarvolo-cli watch: cannot open %s\n",
                 SubscriptionStore::DefaultPath().c_str());
    return 1;
  }
  return status;
}

TV_CLI_COMMAND_HELP("watch", "watch [--json]", &RunWatch, kHelp);

}  // namespace
}  // namespace tv::cli
