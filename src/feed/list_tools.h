#pragma once
// What a member does with any live list (the main list, the search results):
// the row menu (copy the telephone or the row, block the sender, fold
// copies, filter, export), the filter bar above the list (Ctrl+F), and the
// list following the switches every list shares (folding, blocked members).
// The decisions are the record store's (ListNoise, list_export); this is
// the wiring and the look.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "detail/detail_view.h"
#include "feed/row_filter.h"

class QComboBox;
class QLineEdit;
class QToolButton;
class QWidget;

namespace tv {

class FeedController;
class InfoGrid;
class Shell;

class ListTools : public QObject {
  Q_OBJECT

 public:
  ListTools(InfoGrid* grid, FeedController& feed, Shell& shell, QObject* parent = nullptr);

  // --- the commands (the menu's; tests call them) ----------------------------------
  void CopyTelephone(int row);
  void CopyRowText(int row);
  // Blocks the row's member in every list; says how many rows went.
  void BlockMember(int row);
  // The same for the detail window: made while the row is under the mouse,
  // kept for the member it names. Empty for a row without a member number.
  std::function<void()> BlockAction(int row);
  // The times of the copies folded into the row, newest first (empty when
  // it stands for one message).
  std::vector<std::string> CopyTimes(int row) const;
  // Both, as the detail window opened on the row takes them.
  RowExtras DetailExtras(int row) { return RowExtras{CopyTimes(row), BlockAction(row)}; }
  void SetFolding(bool on);
  void ShowFilterBar();
  void CloseFilterBar();
  // Writes the shown rows to `path` (UTF-8 CSV); false when cancelled or the
  // file could not be written. With `progress` a dialog shows how far it is
  // and can cancel.
  bool ExportTo(const QString& path, bool progress = true);
  void Export();

  QWidget* FilterBar() const { return bar_; }
  const RowFilter& Filter() const;
  // The bar's controls (tests set them as a member would).
  QComboBox* TypeBox() const { return type_box_; }
  const std::vector<QToolButton*>& LengthButtons() const { return length_buttons_; }
  QLineEdit* MustHaveEdit() const { return must_edit_; }
  QLineEdit* MustNotEdit() const { return not_edit_; }

 private:
  void OpenMenu(const QPoint& pos);
  void BuildFilterBar();
  void ApplyFilterFromBar();
  void Status(const QString& text);

  InfoGrid* grid_;
  FeedController& feed_;
  Shell& shell_;
  QWidget* bar_ = nullptr;
  QComboBox* type_box_ = nullptr;
  std::vector<QToolButton*> length_buttons_;
  QLineEdit* must_edit_ = nullptr;
  QLineEdit* not_edit_ = nullptr;
};

}  // namespace tv
