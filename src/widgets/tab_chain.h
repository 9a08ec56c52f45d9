#pragma once
// The order Tab takes through a form, given in reading order. Widgets are
// put into the chain in the order they are made; a form whose layout places
// them otherwise names its order here.
#include <QWidget>
#include <initializer_list>

namespace tv {

// Tab goes from each widget to the next one listed (the rest of the chain
// stays where it was, after the last one).
inline void SetTabChain(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* widget : widgets) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace tv
