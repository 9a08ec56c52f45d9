#include "feed/live_grid.h"

#include <QEvent>

#include "feed/list_tools.h"
#include "settings/values.h"
#include "shell/shell.h"
#include "widgets/image_strip.h"
#include "widgets/info_grid.h"

namespace tv {

LiveGrid::LiveGrid(InfoGrid* grid, RowStoreGrid& rows, FeedController& feed,
                   PagingController& paging, Shell& shell, std::function<bool()> active,
                   QObject* parent)
    : QObject(parent),
      grid_(grid),
      feed_(feed),
      active_(std::move(active)),
      tools_(new ListTools(grid, feed, shell, this)) {
  if (grid->width() >= kFixedColumnsWidth + 1) row_text_width_ = grid->width() - kFixedColumnsWidth;
  SetFeedColumns(grid->Store(), row_text_width_);
  // Enter opens the focus row as a double click on its text does, whichever
  // of the row's cells has the focus.
  grid->SetEnterColumn(kColRowText);
  grid->SetImageStrip(StandardImageStrip());
  grid->SetBackColour(static_cast<Colour>(BackColor().value));
  grid->SetLineColour(MakeColour(198, 195, 198));
  rows.SetScrollMarkSource([grid] { return grid->ScrollMark(); });
  rows.SetRedraw([grid] { grid->Redraw(); });
  grid->installEventFilter(this);
  connect(grid, &InfoGrid::scrollReported, &paging, &PagingController::LoadMissingRows);
  // A reload leaves the view where it was: below the first page its rows in
  // view are loaded as if the member had scrolled there.
  connect(&feed, &FeedController::reloadApplied, this, [grid](bool filled) {
    if (filled && grid->TopRow() > 0) grid->Scroll(InfoGrid::ScrollCode::kEndScroll);
  });
  // A real scroll to the top: the scroll mark then names the top rows, which
  // the rebuild that follows a layout change works on.
  connect(&feed, &FeedController::scrollToTopRequested, this, [grid] {
    grid->Scroll(InfoGrid::ScrollCode::kTop);
    grid->Scroll(InfoGrid::ScrollCode::kEndScroll);
  });
}

void LiveGrid::Scroll(PageCommand command) {
  using Code = InfoGrid::ScrollCode;
  switch (command) {
    case PageCommand::kReload:
      return;
    case PageCommand::kTop:
      grid_->Scroll(Code::kTop);
      break;
    case PageCommand::kPageUp:
      grid_->Scroll(Code::kPageUp);
      break;
    case PageCommand::kPageDown:
      grid_->Scroll(Code::kPageDown);
      break;
    case PageCommand::kEnd:
      grid_->Scroll(Code::kBottom);
      break;
  }
  grid_->Scroll(Code::kEndScroll);
}

bool LiveGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::Resize) OnResized();
  return QObject::eventFilter(watched, event);
}

void LiveGrid::OnResized() {
  // A minimised window keeps the last width worked out from a real area.
  const int area = grid_->width();
  if (area >= kFixedColumnsWidth + 1) row_text_width_ = area - kFixedColumnsWidth;
  grid_->Store().PutColumnWidth(kColRowText, row_text_width_);
  if (active_()) feed_.RebuildRowsOnScreen();
}

}  // namespace tv
