#pragma once
// The search results panel as it shows below the main list: a title strip
// 25 pixels high with the title at its left and, at its right, the count,
// the four page buttons and the close button; the information grid fills
// the rest. Enter and Escape pressed in the panel do nothing.
#include <QWidget>
#include <array>

class QPushButton;

namespace tv {

class ColorLabel;
class InfoGrid;
enum class PageCommand;

class SearchPanelView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kStripHeight = 25;

  explicit SearchPanelView(QWidget* parent = nullptr);

  InfoGrid* Grid() const { return grid_; }
  ColorLabel* TitleLabel() const { return title_; }
  ColorLabel* CountLabel() const { return count_; }
  // "首页", "上页", "下页", "末页" in that order.
  QPushButton* PageButton(int index) const {
    return page_buttons_[static_cast<std::size_t>(index)];
  }
  QPushButton* CloseButton() const { return close_; }

 signals:
  void pageCommand(tv::PageCommand command);
  void closeRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ColorLabel* title_;
  ColorLabel* count_;
  std::array<QPushButton*, 4> page_buttons_{};
  QPushButton* close_;
  InfoGrid* grid_;
};

}  // namespace tv
