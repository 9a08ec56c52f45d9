#pragma once
// The multi-area form: up to five cities chosen from the provinces' lists;
// "确 定" stores them joined by "+" and hands the text to `apply`.
#include <QDialog>
#include <functional>
#include <string>

#include "feed/region_list.h"

class QListWidget;

namespace tv {

class MultiAreaForm : public QDialog {
  Q_OBJECT

 public:
  // `apply` gets the stored text ("A+B") after a successful "确 定".
  explicit MultiAreaForm(std::function<void(const std::string&)> apply, QWidget* parent = nullptr);

  // The form's actions, also reached by tests.
  void ChooseProvince(int row);
  void AddSelectedCity();
  void RemoveSelectedEntry();
  void ClearEntries();
  void Confirm();

  QListWidget* ProvinceList() const { return provinces_; }
  QListWidget* CityList() const { return cities_; }
  QListWidget* ChosenList() const { return chosen_; }

 private:
  void ShowChosen();

  std::function<void(const std::string&)> apply_;
  CustomCityList list_;
  QListWidget* provinces_;
  QListWidget* cities_;
  QListWidget* chosen_;
};

}  // namespace tv
