// tarvolo-cli search: the search panel of the window in a terminal, over the
// panel's own controller (the same requests, paging and polls).
#include <optional>
#include <string>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/feed_printer.h"
#include "cli/list_setup.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "grid/row_store.h"
#include "search/search_results_panel.h"
#include "search/search_terms.h"

namespace tv::cli {
namespace {

constexpr const char* kHelp =
    "usage: tarvolo-cli search [--region NAME] [--follow] [--json]\n"
    "                          [--user USER --password PASSWORD | --guest] KEYWORD...\n"
    "\n"
    "Logs in (--user and --password, else the remembered user, or --guest) and\n"
    "searches as the search panel does: the keywords joined with \",\" in the\n"
    "region NAME (default: the member's city). Prints the first page of the\n"
    "matches as \"feed\" prints its list: a line with the total, then one match a\n"
    "line, tab-separated: identifier, time, city, type (货源/车源), content,\n"
    "telephone, company, \"已成交\" or empty. Contact data are masked as the\n"
    "window masks them for the member.\n"
    "\n"
    "  --region NAME   a province, city or county the region tree offers, or\n"
    "                  \"全国信息\" for the whole country\n"
    "  --follow        then keep polling as the panel does (the refresh period,\n"
    "                  \"RefreshTimertavrelomin\"): every new match as a line, the\n"
    "                  member's own skipped; until SIGINT or SIGTERM (exit 0)\n"
    "  --json          one JSON object a line instead: {\"total\":N}, then the\n"
    "                  matches' fields\n"
    "\n"
    "On a terminal (never with NO_COLOR set) the region is red, the telephone\n"
    "blue and the time grey, as in the list.\n"
    "Environment: TARVOLO_PORTAL_HOST, TARVOLO_FALLBACK_HOST, TARVOLO_SETTINGS.\n"
    "Exit status: 0 done (or ended by a signal); 1 the login or the first page\n"
    "failed (the notice on standard error); 2 a bad argument (nothing sent).\n";

struct SearchOptions {
  std::string region;  // GBK; empty: the member's city
  KeywordList keywords;
};

bool ReadOptions(const ParsedArgs& parsed, SearchOptions& options) {
  if (auto text = parsed.Value("region")) {
    auto gbk = GbkArgument("search", "--region", *text);
    if (!gbk) return false;
    if (gbk->empty() || !KnownRegion(*gbk)) {
      UsageError("search", "no such region: \"" + *text + "\"");
      return false;
    }
    options.region = *gbk;
  }
  for (const std::string& word : parsed.Operands()) {
    auto gbk = GbkArgument("search", "a keyword", word);
    if (!gbk) return false;
    // The list's separator would split one keyword into two.
    if (gbk->empty() || gbk->find(',') != std::string::npos) {
      UsageError("search", "a keyword is not empty and holds no \",\": \"" + word + "\"");
      return false;
    }
    options.keywords.Add(*gbk);
  }
  if (options.keywords.Items().empty()) {
    UsageError("search", "at least one keyword");
    return false;
  }
  return true;
}

int ShowSearch(const SearchOptions& options, ListRun& list) {
  const Member& member = list.LoggedIn();
  // The panel marks its rows by what the main list learnt; the terminal has
  // no main list running, so that one stays empty.
  RowStore main_rows;
  SetFeedColumns(main_rows, 600);
  RowStoreGrid main_grid(main_rows);
  FeedStore main_list(main_grid);
  RowStore rows;
  SetFeedColumns(rows, 600);
  SearchResultsPanel::Setup setup;
  setup.services = TerminalServices();
  SearchResultsPanel panel(rows, main_list, setup);

  panel.SetMember(member.profile.UserId);
  panel.SetHost(member.host);
  panel.SetRefreshPeriodMs(list.RefreshPeriodMs());
  panel.SetMasked(list.Masked());

  ListOutput& output = list.Output();
  QObject::connect(&panel, &SearchResultsPanel::firstPageApplied, &panel, [&](bool filled) {
    output.FirstPage(panel.Store(), filled, panel.Feed().ConnectionLost());
  });
  QObject::connect(&panel, &SearchResultsPanel::matchesInserted, &panel,
                   [&](int inserted) { output.NewRows(panel.Store(), inserted); });
  list.WatchConnection(panel.Feed());

  const std::string region = options.region.empty() ? member.profile.City : options.region;
  panel.StartSearch(SearchTerms{region, options.keywords.Joined()});
  return list.Run();
}

int RunSearch(const Args& args) {
  SearchOptions options;
  return RunListCommand(
      "search", args, {{"region", true}},
      [&](const ParsedArgs& parsed) { return ReadOptions(parsed, options); },
      [&](ListRun& list) { return ShowSearch(options, list); });
}

TV_CLI_COMMAND_HELP("search", "search [--region NAME] [--follow] [--json] KEYWORD...", &RunSearch,
                    kHelp);

}  // namespace
}  // namespace tv::cli
