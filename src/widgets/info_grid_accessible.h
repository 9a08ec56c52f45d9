#pragma once
// What assistive technology (screen readers) sees of an InfoGrid: a list
// whose items are the grid's rows. A row's name is the text of its visible
// cells, left to right, without the colour markers; the focus cell's row is
// the focused item. The grid paints its rows itself, so without this a
// screen reader would find an empty box.
#include <QAccessibleWidget>
#include <unordered_map>

namespace tv {

class InfoGrid;

class InfoGridAccessible : public QAccessibleWidget {
 public:
  explicit InfoGridAccessible(InfoGrid* grid);
  ~InfoGridAccessible() override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  InfoGrid* Grid() const;
  // The rows' items are made on demand and kept (the accessibility layer
  // wants one identity per item); rows that went away are dropped.
  void DropRowsFrom(int first_row);

 private:
  mutable std::unordered_map<int, QAccessible::Id> rows_;
};

// The accessible name of `row` of `grid`: its visible cells' texts without
// markers, in UTF-8, joined by blanks.
QString AccessibleRowText(const InfoGrid& grid, int row);

// Makes Qt's accessibility use InfoGridAccessible for every InfoGrid (once
// per process; the grid's constructor calls it).
void InstallInfoGridAccessibility();

}  // namespace tv
