// tarvolo-cli feed: the main list of the window in a terminal, over the
// window's feed controller and record store.
#include <memory>

#include "app/server_discovery.h"
#include "cli/args.h"
#include "cli/command.h"
#include "cli/feed_printer.h"
#include "cli/feed_testing.h"
#include "cli/list_setup.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "grid/row_store.h"
#include "net/transport.h"
#include "regions/region_directory.h"

namespace tv::cli {
namespace {

// Set by the test build only (feed_testing.h); 0: the window's period.
int g_id_poll_period_ms = 0;

constexpr const char* kHelp =
    "usage: tarvolo-cli feed [--region NAME[,NAME...] | --country]\n"
    "                        [--view cargo|trucks|all] [--follow] [--json]\n"
    "                        [--user USER --password PASSWORD | --guest]\n"
    "\n"
    "Logs in (--user and --password, else the remembered user, or --guest) and\n"
    "prints the first page of the list as the window shows it: a line with the\n"
    "total, then one message a line, tab-separated: identifier, time, city,\n"
    "type (货源/车源), content, telephone, company, \"已成交\" or empty.\n"
    "Contact data are masked as the window masks them for the member.\n"
    "\n"
    "  --region NAMES  up to five cities (comma-separated), as the multi-area\n"
    "                  form chooses them; default: the member's city\n"
    "  --country       the whole country\n"
    "  --view V        cargo (货源), trucks (车源) or all (default)\n"
    "  --follow        then keep polling as the window does (its refresh period,\n"
    "                  \"RefreshTimertavrelomin\"): every new message as a line,\n"
    "                  the member's own skipped; messages deleted or closed later\n"
    "                  as \"ID<TAB>该条信息已被删除!\" or \"ID<TAB>已成交\"; until\n"
    "                  SIGINT or SIGTERM (exit 0)\n"
    "  --json          one JSON object a line instead: {\"total\":N}, the\n"
    "                  messages' fields, {\"InfoID\":..,\"event\":\"deleted\"|\"closed\"}\n"
    "\n"
    "On a terminal (never with NO_COLOR set) the highlighted region is red, the\n"
    "telephone blue and the time grey, as in the list.\n"
    "Environment: TARVOLO_PORTAL_HOST, TARVOLO_FALLBACK_HOST, TARVOLO_SETTINGS.\n"
    "Exit status: 0 done (or ended by a signal); 1 the login or the first page\n"
    "failed (the notice on standard error); 2 a bad argument (nothing sent).\n";

struct FeedOptions {
  RegionList regions;  // empty: the member's city
  int view_type = kViewBoth;
};

bool ReadOptions(const ParsedArgs& parsed, FeedOptions& options) {
  if (!parsed.Operands().empty()) {
    UsageError("feed", "unexpected argument " + parsed.Operands().front());
    return false;
  }
  if (parsed.Has("region") && parsed.Has("country")) {
    UsageError("feed", "--region and --country exclude each other");
    return false;
  }
  if (auto text = parsed.Value("region")) {
    auto gbk = GbkArgument("feed", "--region", *text);
    if (!gbk) return false;
    std::string_view rest = *gbk;
    CustomCityList cities;
    while (true) {
      const std::size_t comma = rest.find(',');
      const std::string name(rest.substr(0, comma));
      if (name.empty() || !KnownRegion(name)) {
        UsageError("feed", "no such region: \"" + GbkToUtf8(name) + "\"");
        return false;
      }
      if (cities.Add(name) == CustomCityList::AddResult::kFull) {
        UsageError("feed", "at most five regions");
        return false;
      }
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    options.regions = cities.Cities();
  }
  if (parsed.Has("country")) options.regions = {TV_TEXT("全国信息")};
  if (auto view = parsed.Value("view")) {
    if (*view == "cargo") {
      options.view_type = kViewCargo;
    } else if (*view == "trucks") {
      options.view_type = kViewTrucks;
    } else if (*view != "all") {
      UsageError("feed", "--view is cargo, trucks or all");
      return false;
    }
  }
  return true;
}

int ShowFeed(const FeedOptions& options, ListRun& list) {
  const Member& member = list.LoggedIn();
  RowStore rows;
  SetFeedColumns(rows, 600);
  RowStoreGrid grid(rows);
  FeedStore store(grid);
  FeedController feed(store, TerminalServices());
  if (g_id_poll_period_ms > 0) feed.SetIdPollPeriodMs(g_id_poll_period_ms);
  ListOutput& output = list.Output();
  const FeedPrintStyle& style = output.Style();

  // As the window after login: masking, period, member, host, the first page
  // of the member's city; a chosen region then reloads as the multi-area
  // form or the tree would.
  store.View().masked = list.Masked();
  store.View().view_type = options.view_type;
  feed.SetRefreshPeriodMs(list.RefreshPeriodMs());
  store.Member() =
      FeedMember{member.profile.City, member.profile.UserId, member.flags.NoContactRights};
  feed.SetFeedHost(member.host);

  const bool own_city = options.regions.empty();
  auto show_first_page = [&](bool filled) {
    output.FirstPage(store, filled, feed.ConnectionLost());
  };
  if (own_city) {
    QObject::connect(&feed, &FeedController::startPageApplied, &feed, show_first_page);
  } else {
    QObject::connect(&feed, &FeedController::reloadApplied, &feed, show_first_page);
  }
  QObject::connect(&feed, &FeedController::newRecordsApplied, &feed,
                   [&](int inserted) { output.NewRows(store, inserted); });
  std::size_t deleted_seen = 0;
  std::size_t closed_seen = 0;
  QObject::connect(&feed, &FeedController::idListApplied, &feed, [&](int kind_number) {
    const auto kind = static_cast<IdListKind>(kind_number);
    const IdMarks& marks = kind == IdListKind::kDeleted ? store.Deleted() : store.Closed();
    std::size_t& seen = kind == IdListKind::kDeleted ? deleted_seen : closed_seen;
    if (output.FirstPageShown()) {
      for (const std::string& id : MarksAddedSince(marks, seen)) PrintFeedMark(id, kind, style);
    }
    seen = marks.Text().size();
  });
  list.WatchConnection(feed);

  feed.StartFeed();
  store.View().regions.push_back(member.profile.City);
  if (!own_city) feed.ApplyMultiArea(JoinMultiArea(options.regions));
  return list.Run();
}

int RunFeed(const Args& args) {
  FeedOptions options;
  return RunListCommand(
      "feed", args, {{"region", true}, {"country", false}, {"view", true}},
      [&](const ParsedArgs& parsed) { return ReadOptions(parsed, options); },
      [&](ListRun& list) { return ShowFeed(options, list); });
}

TV_CLI_COMMAND_HELP("feed",
                    "feed [--region NAME[,NAME...] | --country] [--view cargo|trucks|all] "
                    "[--follow] [--json]",
                    &RunFeed, kHelp);

}  // namespace

void SetIdPollPeriodForTesting(int ms) { g_id_poll_period_ms = ms; }

}  // namespace tv::cli
