#pragma once
// Wires the detail view and the friends list into the main window: double
// clicks on the main list's rows, the member's friends loaded after login,
// and the friends the detail view adds. Called once, before the login loop.
// Other features reach both through DetailOf(): the search results panel
// opens its rows in the same detail view, the region tree shows the friends.
#include <QObject>
#include <functional>

#include "detail/detail_view.h"
#include "detail/friends_loader.h"
#include "detail/friends_table.h"

namespace tv {

class Shell;

// The detail view's objects for one main window (a child of it).
class DetailAttachment : public QObject {
  Q_OBJECT

 public:
  explicit DetailAttachment(Shell& shell);

  DetailView& View() { return *view_; }
  FriendsTable& Friends() { return friends_; }
  FriendsLoader& Loader() { return *loader_; }
  // What the main list knows of a row beyond its cells (its copies, how to
  // block its publisher); the list that owns the rows sets it.
  void SetMainRowExtras(std::function<RowExtras(int row)> extras) {
    main_row_extras_ = std::move(extras);
  }

 private:
  Shell& shell_;
  FriendsTable friends_;
  FriendsLoader* loader_;
  DetailView* view_;
  std::function<RowExtras(int row)> main_row_extras_;
};

DetailAttachment& AttachDetail(Shell& shell);
// The attachment of a window that AttachDetail wired (nullptr otherwise).
DetailAttachment* DetailOf(Shell& shell);

}  // namespace tv
