#include "widgets/editable_combo.h"

#include <QComboBox>

namespace tv {

QComboBox* NewEditableCombo(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setCompleter(nullptr);
  return box;
}

}  // namespace tv
