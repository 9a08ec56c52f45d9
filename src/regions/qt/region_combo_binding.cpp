#include "regions/qt/region_combo_binding.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

#include "core/qt_gbk.h"
#include "regions/region_picker.h"

namespace tv {
namespace {

const PickerList& ListAt(const RegionPicker& picker, int level) {
  switch (level) {
    case 0:
      return picker.ProvinceList();
    case 1:
      return picker.PrefectureList();
    default:
      return picker.CountyList();
  }
}

}  // namespace

RegionComboBinding::RegionComboBinding(RegionPicker& picker, QComboBox* province,
                                       QComboBox* prefecture, QComboBox* county, QObject* parent)
    : QObject(parent), picker_(picker), boxes_{province, prefecture, county} {
  for (int level = 0; level < 3; ++level) {
    QComboBox* box = boxes_[static_cast<std::size_t>(level)];
    if (box == nullptr) continue;
    connect(box, &QComboBox::currentIndexChanged, this,
            [this, level](int index) { OnIndexChanged(level, index); });
  }
  Refresh();
}

void RegionComboBinding::Refresh() {
  for (std::size_t level = 0; level < boxes_.size(); ++level) {
    QComboBox* box = boxes_[level];
    if (box == nullptr) continue;
    const PickerList& list = ListAt(picker_, static_cast<int>(level));
    // Our own changes to a box are not the user's picks.
    const QSignalBlocker blocker(box);
    if (!filled_[level] || shown_revision_[level] != list.Revision()) {
      QStringList items;
      items.reserve(list.Size());
      for (const std::string& item : list.Items()) items.append(FromGbk(item));
      box->clear();
      box->addItems(items);
      shown_revision_[level] = list.Revision();
      filled_[level] = true;
    }
    box->setCurrentIndex(list.Selected());
  }
}

void RegionComboBinding::OnIndexChanged(int level, int index) {
  switch (level) {
    case 0:
      picker_.PickProvince(index);
      break;
    case 1:
      picker_.PickPrefecture(index);
      break;
    default:
      picker_.PickCounty(index);
      break;
  }
  Refresh();
  emit picked();
}

}  // namespace tv
