#pragma once
// Wires search into the main window: "搜索1"/"本地搜索(出城信息)" and
// "搜索2"/"综合搜索" open the two forms; a search they start shows the results
// panel below the main list, which follows the window's scrolling and
// masking switches, the main feed's deleted and closed marks, the member's
// own new messages and the display settings. Called once, after AttachFeed
// and before the login loop.
#include <QObject>
#include <QPointer>
#include <memory>

#include "search/search_results_panel.h"

namespace tv {

class ComprehensiveSearchForm;
class DesktopNotifier;
class DetailAttachment;
class FeedAttachment;
class LiveGrid;
class LocalSearchForm;
class SearchPanelView;
class Shell;
class SoundEffectPlayer;

class SearchAttachment : public QObject {
  Q_OBJECT

 public:
  SearchAttachment(Shell& shell, FeedAttachment& feed, DetailAttachment& detail);
  ~SearchAttachment() override;

  Shell& Host() { return shell_; }
  SearchResultsPanel& Panel() { return *panel_; }
  SearchPanelView* View() const { return view_; }
  // The program's chime player (the panel may be given another that passes
  // the chimes on to it).
  AlertPlayer& Sounds();

  // The forms. `modal`: runs until closed (the menu commands); otherwise the
  // form is shown and returned (end-to-end runs drive it).
  LocalSearchForm* OpenLocalForm(bool modal);
  ComprehensiveSearchForm* OpenWideForm(bool modal);
  // What a form's "搜索" calls, and the panel's close button.
  void StartSearch(const SearchTerms& terms);
  void CloseSearch();

 private:
  void OnLoggedIn();
  void OnDoubleClick(int row, int column);

  Shell& shell_;
  FeedAttachment& feed_;
  DetailAttachment& detail_;
  SearchPanelView* view_;
  std::unique_ptr<SoundEffectPlayer> sounds_;
  std::unique_ptr<SearchResultsPanel> panel_;
  LiveGrid* live_grid_ = nullptr;
  DesktopNotifier* notifier_ = nullptr;
};

SearchAttachment& AttachSearch(Shell& shell, FeedAttachment& feed, DetailAttachment& detail);
// The attachment of a window that AttachSearch wired (nullptr otherwise).
SearchAttachment* SearchOf(Shell& shell);

}  // namespace tv
