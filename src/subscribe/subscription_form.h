#pragma once
// The form of one subscription ("新建订阅" / "修改订阅"): a name (proposed
// from the route when left empty), departure and destination regions picked
// with the region pickers (province, city or county; several of each), the
// kind, the words that must and must not appear, and its alerts. "确定"
// checks it (CheckSubscription); a refusal is a notice and the form stays.
#include <QDialog>
#include <memory>
#include <optional>

#include "subscribe/subscription.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace tv {

class RegionPicker;
class RegionComboBinding;

class SubscriptionForm : public QDialog {
  Q_OBJECT

 public:
  // `shown`: the subscription to edit (null: a new one); `others`: how many
  // the member has besides it.
  SubscriptionForm(const Subscription* shown, int others, QWidget* parent = nullptr);
  ~SubscriptionForm() override;

  // After "确定": the checked subscription (its id is the edited one's).
  const std::optional<Subscription>& Result() const { return result_; }

  // The form's parts, for tests that fill it in.
  QLineEdit* NameEdit() const { return name_; }
  QListWidget* Departures() const { return departures_; }
  QListWidget* Destinations() const { return destinations_; }
  QComboBox* KindBox() const { return kind_; }
  QLineEdit* MustEdit() const { return must_; }
  QLineEdit* ExcludeEdit() const { return exclude_; }
  // Adds the place picked in the boxes to the departures or destinations.
  void AddPicked(bool departure);

 public slots:
  void accept() override;

 private:
  std::int64_t id_ = 0;
  int others_ = 0;
  std::unique_ptr<RegionPicker> picker_;
  RegionComboBinding* binding_ = nullptr;
  QLineEdit* name_;
  QListWidget* departures_;
  QListWidget* destinations_;
  QComboBox* kind_;
  QLineEdit* must_;
  QLineEdit* exclude_;
  QCheckBox* chime_;
  QCheckBox* notify_;
  QCheckBox* speech_;
  std::optional<Subscription> result_;
};

}  // namespace tv
