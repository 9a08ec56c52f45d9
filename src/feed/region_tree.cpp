#include "feed/region_tree.h"

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

#include "core/gbk.h"
#include "core/qt_gbk.h"
#include "regions/region_directory.h"

namespace tv {

RegionTree::RegionTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("regionTree"));
  setHeaderHidden(true);
  setColumnCount(1);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setExpandsOnDoubleClick(false);
  setIndentation(14);

  auto add_root = [this](const QString& text) {
    auto* item = new QTreeWidgetItem(this, QStringList{text});
    return item;
  };
  add_root(QStringLiteral("全国信息"));
  friends_root_ = add_root(QStringLiteral("好友列表"));
  // Two levels only: the districts under Hong Kong's and Macau's areas have a
  // child as their parent and never find a root here.
  for (std::string_view province : Provinces(ProvinceOrder::kBrowse)) {
    QTreeWidgetItem* root = add_root(FromGbk(province));
    for (const RegionPair& row : Rows(RegionTable::kPrefectureDirectory)) {
      if (row.parent == province) new QTreeWidgetItem(root, QStringList{FromGbk(row.child)});
    }
  }
  connect(this, &QTreeWidget::itemExpanded, this, &RegionTree::OnToggled);
  connect(this, &QTreeWidget::itemCollapsed, this, &RegionTree::OnToggled);
}

QTreeWidgetItem* RegionTree::Root(const QString& name) const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (topLevelItem(i)->text(0) == name) return topLevelItem(i);
  }
  return nullptr;
}

void RegionTree::OpenRoot(const QString& name) {
  if (QTreeWidgetItem* root = Root(name)) root->setExpanded(true);
}

void RegionTree::OnToggled(QTreeWidgetItem* item) {
  // Exactly one root is open: close them all, then open the one just touched.
  if (toggling_) return;
  toggling_ = true;
  for (int i = 0; i < topLevelItemCount(); ++i) topLevelItem(i)->setExpanded(false);
  item->setExpanded(true);
  toggling_ = false;
}

void RegionTree::AddFriendItem(const QString& name) {
  new QTreeWidgetItem(friends_root_, QStringList{name});
}

void RegionTree::RemoveFriendItem(const QString& name) {
  for (int i = 0; i < friends_root_->childCount(); ++i) {
    if (friends_root_->child(i)->text(0) == name) {
      delete friends_root_->takeChild(i);
      return;
    }
  }
}

bool RegionTree::IsFriendItem(const QTreeWidgetItem* item) const {
  return item != nullptr && item->childCount() == 0 && item->parent() == friends_root_;
}

void RegionTree::ClickItem(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  if (item->childCount() > 0) {
    item->setExpanded(!item->isExpanded());
    return;
  }
  emit regionChosen(item->text(0));
}

void RegionTree::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr) return;
    setCurrentItem(item);
    selected_text_ = item->text(0);
    if (IsFriendItem(item)) ShowFriendMenu(event->globalPosition().toPoint(), selected_text_);
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void RegionTree::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* item = itemAt(pos);
  if (item == nullptr) return;
  // Only the label counts; the expand arrow in the indentation does its own work.
  const QRect rect = visualItemRect(item);
  if (pos.x() < rect.left()) return;
  if (click_gate_ && !click_gate_()) return;
  ClickItem(item);
}

void RegionTree::ShowFriendMenu(const QPoint& global_pos, const QString& name) {
  QMenu menu(this);
  QAction* messages = menu.addAction(QStringLiteral("配货信息"));
  menu.addSeparator();
  QAction* remove = menu.addAction(QStringLiteral("删除好友"));
  menu.addSeparator();
  QAction* profile = menu.addAction(QStringLiteral("好友资料"));
  QAction* chosen = menu.exec(global_pos);
  if (chosen == messages) emit friendMessagesRequested(name);
  if (chosen == remove) emit friendRemovalRequested(name);
  if (chosen == profile) emit friendProfileRequested(name);
}

}  // namespace tv
