#pragma once
// "发布信息2", the quick-generate form: the member picks a destination and
// fills a few short fields, and "生成并添加" turns them into one standard
// message line in the editor; several lines may be generated one after the
// other before "发布".
#include <QStringList>

#include "publish/publish_form.h"
#include "publish/quick_generate.h"

class QGroupBox;
class QLineEdit;
class QStackedWidget;

namespace tv {

class QuickPublishForm : public PublishForm {
  Q_OBJECT

 public:
  QuickPublishForm(PublishController& publisher, LoopController& loop, MemberProfile profile,
                   QWidget* parent = nullptr);

  // The controls of the quick generation.
  struct CargoRow {
    QComboBox* goods;
    QLineEdit* quantity;
    QComboBox* unit;
    QLineEdit* truck_count;
    QLineEdit* truck_length;
    QComboBox* truck_type;
    QComboBox* freight;
    QLineEdit* price;
    QComboBox* price_unit;
  };
  struct TruckRow {
    QLineEdit* truck_length;
    QComboBox* truck_type;
    QComboBox* trip;
    QLineEdit* truck_count;
    QLineEdit* quantity;
    QComboBox* unit;
    QComboBox* goods;
  };
  const CargoRow& Cargo() const { return cargo_; }
  const TruckRow& Truck() const { return truck_; }
  QComboBox* DestinationList(int level) const { return destination_[level]; }
  QPushButton* GenerateButton() const { return generate_button_; }
  QWidget* CargoRowWidget() const { return cargo_widget_; }
  QWidget* TruckRowWidget() const { return truck_widget_; }
  const GeneratedLines& Lines() const { return lines_; }

  // "生成并添加".
  void Generate();
  void UseHistoryText(const std::string& gbk_text) override;

 protected:
  void ClearContent() override;

 private:
  QWidget* BuildCargoRow();
  QWidget* BuildTruckRow();
  void OnTypeChanged();
  void ShowRowOfType();

  PlaceholderRegionPicker destination_picker_;
  QComboBox* destination_[3] = {nullptr, nullptr, nullptr};
  QStackedWidget* rows_ = nullptr;
  QWidget* cargo_widget_ = nullptr;
  QWidget* truck_widget_ = nullptr;
  CargoRow cargo_{};
  TruckRow truck_{};
  QPushButton* generate_button_ = nullptr;
  GeneratedLines lines_;
};

}  // namespace tv
