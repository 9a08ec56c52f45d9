#pragma once
// The local search form ("搜索1", "本地搜索(出城信息)"): places and typed
// keywords collected into one keyword list, searched for in the region the
// member watches. "搜索" hands the search to `start` and closes the form.
#include <QDialog>
#include <functional>
#include <string>

#include "search/form_helpers.h"
#include "search/local_search_model.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace tv {

class CompletionBox;

class LocalSearchForm : public QDialog {
  Q_OBJECT

 public:
  using StartSearch = std::function<void(const SearchTerms&)>;

  // `area_text`: the watched areas joined by ","; texts are GBK.
  LocalSearchForm(SettingsStore& store, std::string area_text, std::string member_city,
                  StartSearch start, QWidget* parent = nullptr);

  const LocalSearchModel& Model() const { return model_; }
  QListWidget* ProvinceList() const { return provinces_; }
  QListWidget* RegionList() const { return regions_; }
  QListWidget* CountyList() const { return counties_; }
  QListWidget* KeywordList() const { return keywords_; }
  QComboBox* KeywordEdit() const { return keyword_.box; }
  CompletionBox* Completion() const { return keyword_.completion; }

  // The buttons' actions, also reached by tests.
  void AddPicked();
  void AddAllRegions();
  void AddAllCounties();
  void RemoveSelected();
  void ClearKeywords();
  void AddTypedKeyword();
  void Search();

 private:
  void ShowRegions();
  void ShowCounties();
  void ShowKeywords();
  void LoadHistoryItems();
  void OnKeywordChosen(int index);
  // Shows `notice` when a command refused (a non-empty text).
  void Report(const std::string& notice);

  LocalSearchModel model_;
  StartSearch start_;
  QListWidget* provinces_;
  QListWidget* regions_;
  QListWidget* counties_;
  QListWidget* keywords_;
  KeywordBox keyword_;
};

}  // namespace tv
