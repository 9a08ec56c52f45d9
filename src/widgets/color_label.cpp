#include "widgets/color_label.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "core/qt_gbk.h"
#include "widgets/qt_text_measure.h"

namespace tv {
ColorLabel::ColorLabel(QWidget* parent) : QWidget(parent) {
  // Transparent unless filled: the parent paints what is behind the label.
  setAutoFillBackground(false);
}

void ColorLabel::SetTextStyle(const QString& text, Colour colour, int pixel_height, bool bold,
                              const QString& face, int alignment) {
  text_ = text;
  colour_ = colour;
  pixel_height_ = pixel_height > 0 ? pixel_height : 12;
  bold_ = bold;
  face_ = face;
  alignment_ = alignment;
  updateGeometry();
  update();
}

void ColorLabel::SetBackground(Colour colour, bool fill) {
  background_ = colour;
  fill_ = fill;
  update();
}

void ColorLabel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  updateGeometry();
  update();
}

QFont ColorLabel::TextFont() const {
  // The stored face names are the usual Chinese system faces: draw with the
  // installed faces that stand in for them (the face table).
  QFont font;
  const QStringList families =
      InstalledFamilies(ToGbk(face_.isEmpty() ? QStringLiteral("宋体") : face_));
  if (!families.isEmpty()) font.setFamilies(families);
  font.setPixelSize(pixel_height_);
  font.setWeight(bold_ ? QFont::Bold : QFont::Normal);
  font.setUnderline(hovered_);
  return font;
}

QSize ColorLabel::sizeHint() const {
  const QFontMetrics metrics(TextFont());
  return {metrics.horizontalAdvance(text_) + 4, metrics.height() + 2};
}

void ColorLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (fill_) painter.fillRect(rect(), ToQColor(background_));
  painter.setFont(TextFont());
  painter.setPen(ToQColor(colour_));
  const Qt::Alignment horizontal = alignment_ == kCentre  ? Qt::AlignHCenter
                                   : alignment_ == kRight ? Qt::AlignRight
                                                          : Qt::AlignLeft;
  const QString shown = painter.fontMetrics().elidedText(text_, Qt::ElideRight, width());
  painter.drawText(rect(), horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

LinkLabel::LinkLabel(QWidget* parent) : ColorLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  // Tab only: a click leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  ColorLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  ColorLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    emit clicked();
  }
  ColorLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        event->accept();
        emit clicked();
        return;
      }
      break;
    default:
      break;
  }
  ColorLabel::keyPressEvent(event);
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
  update();
  ColorLabel::focusInEvent(event);
}

void LinkLabel::focusOutEvent(QFocusEvent* event) {
  update();
  ColorLabel::focusOutEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  const bool hovered = hovered_;
  hovered_ = hovered || hasFocus();  // the keyboard's link is underlined too
  ColorLabel::paintEvent(event);
  hovered_ = hovered;
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

}  // namespace tv
