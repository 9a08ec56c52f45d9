#pragma once
// Wires the live feed into the main window: the grid's row store, the region
// tree, the multi-area pop-up, the view and page commands, the counts, the
// friends list and the detail view. Called once, before the login loop.
#include <QObject>
#include <QPointer>
#include <memory>

#include "detail/friends_loader.h"
#include "feed/counts_controller.h"
#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "feed/paging_controller.h"

namespace tv {

class DetailView;
class MainWindow;
class RegionTree;
struct AddedFriend;

// The feed's objects for one main window (a child of it).
class FeedAttachment : public QObject {
  Q_OBJECT

 public:
  explicit FeedAttachment(MainWindow& window);
  ~FeedAttachment() override;

  FeedController& Feed() { return *feed_; }
  PagingController& Paging() { return *paging_; }
  CountsController& Counts() { return *counts_; }
  FriendsLoader& FriendsList() { return *friends_; }
  RegionTree* Tree() const { return tree_; }
  DetailView* Detail() const { return detail_; }

  // The multi-area pop-up of button 1002 (exposed for tests).
  void ShowMultiAreaMenu();
  void OpenMultiAreaForm();
  // A friend added elsewhere (the detail view): table row and tree item.
  void AddFriend(const AddedFriend& row);

 signals:
  // Rows of the main grid were rebuilt: an open search panel refreshes its own.
  void rowsRebuilt();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetUpGrid();
  void OnLoggedIn();
  void PullView();
  void PushView();
  void OnPageCommand(int command);
  void OnGridResized();

  MainWindow& window_;
  RowStoreGrid grid_;
  FeedStore store_;
  std::unique_ptr<FeedController> feed_;
  std::unique_ptr<PagingController> paging_;
  std::unique_ptr<CountsController> counts_;
  std::unique_ptr<FriendsLoader> friends_;
  RegionTree* tree_ = nullptr;
  DetailView* detail_ = nullptr;
  int row_text_width_ = 600;
};

void AttachFeed(MainWindow& window);
// The attachment of a window that AttachFeed wired (nullptr otherwise).
FeedAttachment* FeedOf(MainWindow& window);

}  // namespace tv
