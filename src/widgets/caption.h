#pragma once
// A caption label for a field: the label is the field's buddy, so assistive
// technology reads the caption as the field's name. A list view takes no
// name from its buddy, so it carries the caption as its own name too.
#include <QAbstractItemView>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace tv {

inline QLabel* NewCaption(const QString& text, QWidget* field, QWidget* parent) {
  auto* caption = new QLabel(text, parent);
  caption->setBuddy(field);
  if (qobject_cast<QAbstractItemView*>(field) != nullptr) field->setAccessibleName(text);
  return caption;
}

}  // namespace tv
