#pragma once
// An information grid that shows one live list (the main feed, the search
// results): the feed's columns and look on the grid, the row-text column as
// wide as the grid less its fixed columns, the rows on screen rebuilt after
// the width changed, the rows that a scroll or a reload leaves in view empty
// fetched,
// and the page commands scrolling it.
#include <QObject>
#include <functional>

#include "feed/feed_controller.h"
#include "feed/feed_grid.h"
#include "feed/paging_controller.h"

namespace tv {

class InfoGrid;
class ListTools;
class Shell;
enum class PageCommand;

class LiveGrid : public QObject {
  Q_OBJECT

 public:
  // The hidden columns and the three pictures take this much of the grid.
  static constexpr int kFixedColumnsWidth = 111;

  // `rows` writes to `grid`'s row store. `active()` says whether the list
  // shows something to rebuild (before login, or a closed panel, it does not).
  // The list's row menu, filter bar and shared switches come with it
  // (Tools()).
  LiveGrid(InfoGrid* grid, RowStoreGrid& rows, FeedController& feed, PagingController& paging,
           Shell& shell, std::function<bool()> active, QObject* parent = nullptr);

  // "首页", "上页", "下页", "末页": the grid scrolls, then reports its new place.
  void Scroll(PageCommand command);
  int RowTextWidth() const { return row_text_width_; }
  ListTools& Tools() { return *tools_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnResized();

  InfoGrid* grid_;
  FeedController& feed_;
  std::function<bool()> active_;
  int row_text_width_ = 600;
  ListTools* tools_ = nullptr;
};

}  // namespace tv
