#pragma once
// The comprehensive search form ("搜索2", "综合搜索"): three ready-made
// searches around the watched region, each with a province and a city list
// and a keyword box; the keyword boxes share one history. A group's "搜索"
// hands its search to `start` and closes the form.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "search/comprehensive_search_model.h"
#include "search/form_helpers.h"

class QComboBox;
class QGroupBox;
class QPushButton;

namespace tv {

class ComprehensiveSearchForm : public QDialog {
  Q_OBJECT

 public:
  using StartSearch = std::function<void(const SearchTerms&)>;
  using Group = ComprehensiveSearchModel::Group;

  ComprehensiveSearchForm(SettingsStore& store, std::string area_text, std::string member_city,
                          int view_direction, StartSearch start, QWidget* parent = nullptr);

  const ComprehensiveSearchModel& Model() const { return model_; }
  QGroupBox* GroupBox(Group g) const { return groups_[g].frame; }
  QComboBox* ProvinceBox(Group g) const { return groups_[g].province; }
  QComboBox* CityBox(Group g) const { return groups_[g].city; }
  QComboBox* KeywordEdit(Group g) const { return groups_[g].keyword.box; }
  QPushButton* SearchButton(Group g) const { return groups_[g].search; }

  // A group's "搜索", also reached by tests.
  void Search(Group g);

 private:
  struct GroupWidgets {
    QGroupBox* frame = nullptr;
    QComboBox* province = nullptr;
    QComboBox* city = nullptr;
    KeywordBox keyword;
    QPushButton* search = nullptr;
  };

  void BuildGroup(Group g, const QString& title, const QString& before, const QString& after);
  void ShowCities(Group g);
  void LoadHistories(const QString& text);
  void OnKeywordChosen(Group g, int index);

  ComprehensiveSearchModel model_;
  StartSearch start_;
  std::array<GroupWidgets, ComprehensiveSearchModel::kGroups> groups_;
};

}  // namespace tv
