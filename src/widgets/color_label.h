#pragma once
// ColorLabel: one line of text in a chosen colour, pixel height, weight, face
// and alignment, on a transparent or filled background, cut with an ellipsis
// when it does not fit. LinkLabel: a colour label that can be clicked, with a
// hand cursor and a tooltip; it is underlined while the mouse is over it.
// Tab reaches it too (underlined and framed while it has the focus), and
// Space or Enter then clicks it.
#include <QString>
#include <QWidget>

#include "grid/grid_types.h"

namespace tv {

class ColorLabel : public QWidget {
  Q_OBJECT

 public:
  enum Alignment { kLeft = 0, kCentre = 1, kRight = 2 };

  explicit ColorLabel(QWidget* parent = nullptr);

  // Everything about the text in one call; an empty face means "宋体".
  void SetTextStyle(const QString& text, Colour colour, int pixel_height, bool bold,
                    const QString& face, int alignment);
  // `fill`: the rectangle is painted in `colour` before the text; otherwise
  // whatever is behind the label shows.
  void SetBackground(Colour colour, bool fill);
  void SetText(const QString& text);

  const QString& Text() const { return text_; }
  Colour TextColour() const { return colour_; }
  bool Filled() const { return fill_; }
  Colour Background() const { return background_; }
  // The font the text is drawn with.
  QFont TextFont() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool hovered_ = false;

 private:
  QString text_;
  Colour colour_ = 0;
  int pixel_height_ = 12;
  bool bold_ = false;
  QString face_;
  int alignment_ = kLeft;
  Colour background_ = 0xFFFFFF;
  bool fill_ = false;
};

class LinkLabel : public ColorLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(QWidget* parent = nullptr);
  void SetTip(const QString& tip) { setToolTip(tip); }

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tv
