#include "cli/list_setup.h"

#include "app/server_discovery.h"
#include "cli/output.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "feed/feed_controller.h"
#include "feed/feed_requests.h"
#include "net/transport.h"
#include "regions/region_directory.h"
#include "settings/values.h"
#include "shell/shell_decisions.h"

namespace tv::cli {
namespace {

// --json, and colours on a terminal without it.
FeedPrintStyle ListPrintStyle(const ParsedArgs& parsed) {
  FeedPrintStyle style;
  style.json = parsed.Has("json");
  style.colour = !style.json && ColourWanted();
  return style;
}

}  // namespace

bool KnownRegion(std::string_view gbk) { return IsWholeCountryRegion(gbk) || IsDirectoryName(gbk); }

FeedServices TerminalServices() {
  FeedServices s;
  s.fetch = [](std::string_view host, std::string_view path) {
    return FetchEncodedPage("GET", host, path);
  };
  s.discover = [] { return Servers().DiscoverServer(); };
  s.current_host = [] { return Servers().CurrentHost(); };
  s.area_code_of = [](std::string_view name) { return AreaCodeOf(name); };
  return s;
}

void ListOutput::FirstPage(FeedStore& store, bool filled, bool connection_lost) {
  if (shown_) return;
  if (!filled && connection_lost) {
    if (!told_lost_) ShowNotice(TV_TEXT("网络连接失败,请检查网络是否正常!"));
    told_lost_ = true;
    if (!follow_) loop_.Quit(1);
    return;
  }
  shown_ = true;
  PrintFeedTotal(store.TotalCount(), style_);
  for (int row = 0; row < store.Grid().RowCount(); ++row) {
    if (!PrintFeedRow(store, row, style_)) break;
  }
  if (!follow_) loop_.Quit(0);
}

void ListOutput::NewRows(FeedStore& store, int inserted) {
  if (!shown_) return;
  // Inserted one by one on top: the oldest of them is the lowest.
  for (int row = inserted - 1; row >= 0; --row) PrintFeedRow(store, row, style_);
}

void ListOutput::ConnectionChanged(bool lost) {
  if (lost && shown_) ShowNotice(TV_TEXT("网络连接中断，正在重新连接…"));
}

bool ListRun::Masked() const { return MaskLocked(ContactAlwaysMasked(), true, member_.flags); }

int ListRun::RefreshPeriodMs() const { return RefreshPeriodSeconds() * 1000; }

void ListRun::WatchConnection(FeedController& feed) {
  QObject::connect(&feed, &FeedController::connectionChanged, &feed,
                   [this](bool lost) { output_.ConnectionChanged(lost); });
}

int ListRun::Run() {
  if (follow_) loop_.QuitOnTermination();
  return loop_.Run();
}

int RunListCommand(std::string_view command, const Args& args, std::vector<OptionSpec> own_options,
                   const std::function<bool(const ParsedArgs&)>& read_options,
                   const std::function<int(ListRun&)>& run) {
  std::vector<OptionSpec> specs = std::move(own_options);
  specs.insert(specs.end(),
               {{"follow", false}, {"json", false}, kUserOption, kPasswordOption, kGuestOption});
  ParsedArgs parsed;
  if (!ParseArgs(command, args, specs, parsed)) return 2;
  if (!read_options(parsed)) return 2;
  const std::optional<LoginChoice> choice = ChooseLogin(command, parsed, true);
  if (!choice) return 2;

  EventLoop loop;
  Member member;
  if (!LogIn(loop, *choice, member)) return 1;
  ListRun list(loop, member, parsed.Has("follow"), ListPrintStyle(parsed));
  return run(list);
}

}  // namespace tv::cli
