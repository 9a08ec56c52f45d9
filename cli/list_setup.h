#pragma once
// What the list commands (feed, search) share: the region names a member may
// give, and the network calls of a list on the terminal.
#include <string_view>

#include "cli/feed_printer.h"
#include "cli/session.h"
#include "feed/feed_services.h"

namespace tv::cli {

// The names the multi-area form and the region tree offer: provinces,
// prefecture-level cities, counties, and the whole country (GBK).
bool KnownRegion(std::string_view gbk);

// A list's requests and discovery, as the window's feed makes them.
FeedServices TerminalServices();

// --json, and colours on a terminal without it.
FeedPrintStyle ListPrintStyle(const ParsedArgs& parsed);

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

}  // namespace tv::cli
