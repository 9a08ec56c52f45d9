#pragma once
// Wires the live feed into the main window: the grid's row store, the region
// tree with the friends list, the multi-area pop-up, the view and page
// commands, masking and scrolling, and the counts. Called once, after
// AttachDetail and before the login loop.
#include <QObject>
#include <memory>

#include "feed/counts_controller.h"
#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "feed/paging_controller.h"
#include "shell/shell.h"

namespace tv {

class ListTools;

class DetailAttachment;
class LiveGrid;
class RegionTree;

// The feed's objects for one main window (a child of it).
class FeedAttachment : public QObject {
  Q_OBJECT

 public:
  FeedAttachment(Shell& shell, DetailAttachment& detail);
  ~FeedAttachment() override;

  FeedController& Feed() { return *feed_; }
  PagingController& Paging() { return *paging_; }
  CountsController& Counts() { return *counts_; }
  RegionTree* Tree() const { return tree_; }
  // The main list's row menu and filter bar.
  ListTools& Tools();
  LiveGrid* Grid() const { return live_grid_; }

  // The multi-area pop-up of button 1002 (exposed for tests).
  void ShowMultiAreaMenu();
  void OpenMultiAreaForm();

 private:
  void OnLoggedIn();
  void OnPageCommand(PageCommand command);

  Shell& shell_;
  DetailAttachment& detail_;
  RowStoreGrid grid_;
  FeedStore store_;
  std::unique_ptr<FeedController> feed_;
  std::unique_ptr<PagingController> paging_;
  std::unique_ptr<CountsController> counts_;
  RegionTree* tree_ = nullptr;
  LiveGrid* live_grid_ = nullptr;
};

// The tree shows the friends of `detail`, the window's detail attachment.
FeedAttachment& AttachFeed(Shell& shell, DetailAttachment& detail);
// The attachment of a window that AttachFeed wired (nullptr otherwise).
FeedAttachment* FeedOf(Shell& shell);

}  // namespace tv
