#pragma once
// The region tree beside the grid: "全国信息", "好友列表" and the 34 provinces,
// each with its prefecture-level cities. One root is open at a time. A click
// on a leaf chooses it; a right click on a friend opens the friend's menu.
#include <QString>
#include <QTreeWidget>
#include <functional>

namespace tv {

class RegionTree : public QTreeWidget {
  Q_OBJECT

 public:
  explicit RegionTree(QWidget* parent = nullptr);

  // Runs before a left click is handled; false stops the click (not logged in:
  // the login loop runs instead).
  void SetClickGate(std::function<bool()> gate) { click_gate_ = std::move(gate); }

  // Opens the root named `name` (the member's province after login).
  void OpenRoot(const QString& name);
  void AddFriendItem(const QString& name);
  void RemoveFriendItem(const QString& name);
  QTreeWidgetItem* FriendsRoot() const { return friends_root_; }
  QTreeWidgetItem* Root(const QString& name) const;
  const QString& SelectedTreeText() const { return selected_text_; }

  // Exposed for tests: what a left click or a right click on `item` does.
  void ClickItem(QTreeWidgetItem* item);
  // True when the friend's menu applies to the item.
  bool IsFriendItem(const QTreeWidgetItem* item) const;

 signals:
  // A leaf was chosen (its text, GBK-convertible).
  void regionChosen(const QString& name);
  // The friend's menu: "配货信息", "删除好友", "好友资料".
  void friendMessagesRequested(const QString& name);
  void friendRemovalRequested(const QString& name);
  void friendProfileRequested(const QString& name);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void OnToggled(QTreeWidgetItem* item);
  void ShowFriendMenu(const QPoint& global_pos, const QString& name);

  QTreeWidgetItem* friends_root_ = nullptr;
  QString selected_text_;
  std::function<bool()> click_gate_;
  bool toggling_ = false;
};

}  // namespace tv
