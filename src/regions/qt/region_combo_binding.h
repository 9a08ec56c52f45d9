#pragma once
// Drives three QComboBox from a RegionPicker: the boxes show the model's lists,
// and a selection the user makes goes to the model, whose reaction (emptied
// and refilled lists, new selections) is then mirrored back into the boxes.
#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>

class QComboBox;

namespace tv {

class RegionPicker;

class RegionComboBinding : public QObject {
  Q_OBJECT
 public:
  // The picker must outlive the binding; the boxes may go first (a box that
  // is gone is skipped). `county` may be null for two-level forms.
  RegionComboBinding(RegionPicker& picker, QComboBox* province, QComboBox* prefecture,
                     QComboBox* county, QObject* parent = nullptr);

  // Mirrors the model into the boxes; call after changing the model directly.
  void Refresh();

 signals:
  // After the model reacted to a selection the user made in one of the boxes.
  void picked();

 private:
  void OnIndexChanged(int level, int index);

  RegionPicker& picker_;
  std::array<QPointer<QComboBox>, 3> boxes_;
  std::array<std::uint64_t, 3> shown_revision_{};
  std::array<bool, 3> filled_{};
};

}  // namespace tv
