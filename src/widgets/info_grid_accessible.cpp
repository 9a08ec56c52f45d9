#include "widgets/info_grid_accessible.h"

#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

#include "core/qt_gbk.h"
#include "grid/marked_text.h"
#include "widgets/info_grid.h"

namespace tv {
namespace {

// One row of the grid as a list item.
class RowAccessible : public QAccessibleInterface {
 public:
  RowAccessible(InfoGrid* grid, int row) : grid_(grid), row_(row) {}

  bool isValid() const override { return grid_ && row_ < grid_->Store().RowCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return grid_ ? grid_->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (!isValid() || t != QAccessible::Name) return {};
    return AccessibleRowText(*grid_, row_);
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const RowStore& store = grid_->Store();
    QRect row_rect;
    for (int c = 0; c < store.ColumnCount(); ++c) {
      if (store.ColumnWidth(c) > 0) row_rect = row_rect.united(grid_->CellRect(row_, c));
    }
    if (row_rect.isEmpty()) return {};
    return QRect(grid_->viewport()->mapToGlobal(row_rect.topLeft()), row_rect.size());
  }

  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.focusable = true;
    s.selectable = true;
    const bool current = grid_->FocusCell().row == row_;
    s.selected = current;
    s.focused = current && grid_->hasFocus();
    s.invisible = rect().isEmpty();
    s.offscreen = s.invisible;
    return s;
  }

  int Row() const { return row_; }
  const InfoGrid* Grid() const { return grid_.data(); }

 private:
  QPointer<InfoGrid> grid_;
  int row_;
};

QAccessibleInterface* Factory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("tv::InfoGrid") && object && object->isWidgetType()) {
    return new InfoGridAccessible(static_cast<InfoGrid*>(object));
  }
  return nullptr;
}

}  // namespace

QString AccessibleRowText(const InfoGrid& grid, int row) {
  const RowStore& store = grid.Store();
  QStringList parts;
  for (int c = 0; c < store.ColumnCount(); ++c) {
    if (store.ColumnWidth(c) <= 0) continue;
    const QString text = FromGbk(StripTextMarkers(store.GetCellText(row, c))).simplified();
    if (!text.isEmpty()) parts.push_back(text);
  }
  return parts.join(QLatin1Char(' '));
}

void InstallInfoGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

InfoGridAccessible::InfoGridAccessible(InfoGrid* grid)
    : QAccessibleWidget(grid, QAccessible::List) {}

InfoGridAccessible::~InfoGridAccessible() { DropRowsFrom(0); }

InfoGrid* InfoGridAccessible::Grid() const { return static_cast<InfoGrid*>(widget()); }

int InfoGridAccessible::childCount() const { return Grid()->Store().RowCount(); }

QAccessibleInterface* InfoGridAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  if (auto it = rows_.find(index); it != rows_.end()) {
    if (QAccessibleInterface* known = QAccessible::accessibleInterface(it->second)) return known;
  }
  auto* row = new RowAccessible(Grid(), index);
  rows_[index] = QAccessible::registerAccessibleInterface(row);
  return row;
}

int InfoGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr) return -1;
  const auto* row = dynamic_cast<const RowAccessible*>(child);
  if (row == nullptr) return -1;
  if (row->Grid() != Grid() || !row->isValid()) return -1;
  return row->Row();
}

QAccessibleInterface* InfoGridAccessible::childAt(int x, int y) const {
  const GridCellPos hit = Grid()->CellAt(Grid()->viewport()->mapFromGlobal(QPoint(x, y)));
  return hit.IsValid() ? child(hit.row) : nullptr;
}

QAccessibleInterface* InfoGridAccessible::focusChild() const {
  if (!Grid()->hasFocus()) return nullptr;
  const int row = Grid()->FocusCell().row;
  return row >= 0 ? child(row) : nullptr;
}

void InfoGridAccessible::DropRowsFrom(int first_row) {
  for (auto it = rows_.begin(); it != rows_.end();) {
    if (it->first >= first_row) {
      QAccessible::deleteAccessibleInterface(it->second);
      it = rows_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace tv
