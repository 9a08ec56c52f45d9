#pragma once
// "历史记录/重发管理": the history of accepted messages (newest first, each
// text once) with "←使用", "←删除", "←清空", and the loop: the texts to
// re-send, the interval, and "自动循环重发". The loop keeps running after
// the dialog and the form close.
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace tv {

class LoopController;
class PublishController;

class HistoryDialog : public QDialog {
  Q_OBJECT

 public:
  // `use_text` is the opening form's UseHistoryText.
  HistoryDialog(PublishController& publisher, LoopController& loop,
                std::function<void(const std::string& gbk_text)> use_text,
                QWidget* parent = nullptr);

  QListWidget* HistoryList() const { return history_list_; }
  QListWidget* LoopList() const { return loop_list_; }
  QComboBox* IntervalList() const { return interval_list_; }
  QCheckBox* LoopBox() const { return loop_box_; }
  QPushButton* UseButton() const { return use_button_; }
  QPushButton* DeleteButton() const { return delete_button_; }
  QPushButton* ClearButton() const { return clear_button_; }
  QPushButton* AddButton() const { return add_button_; }
  QPushButton* AddAllButton() const { return add_all_button_; }
  QPushButton* LoopDeleteButton() const { return loop_delete_button_; }
  QPushButton* LoopClearButton() const { return loop_clear_button_; }

  void Use();
  void DeleteSelected();
  void ClearAll();
  void AddSelected();
  void AddAll();
  void DeleteLoopSelected();
  void ClearLoop();
  void LoopClicked(bool checked);

 private:
  void LoadHistory();
  void ShowLoop();
  void ShowLooping(bool looping);
  // The GBK text of the selected line of a list; empty without a selection.
  static std::string Selected(const QListWidget* list);

  PublishController& publisher_;
  LoopController& loop_;
  std::function<void(const std::string&)> use_text_;
  QListWidget* history_list_ = nullptr;
  QListWidget* loop_list_ = nullptr;
  QComboBox* interval_list_ = nullptr;
  QCheckBox* loop_box_ = nullptr;
  QPushButton* use_button_ = nullptr;
  QPushButton* delete_button_ = nullptr;
  QPushButton* clear_button_ = nullptr;
  QPushButton* add_button_ = nullptr;
  QPushButton* add_all_button_ = nullptr;
  QPushButton* loop_delete_button_ = nullptr;
  QPushButton* loop_clear_button_ = nullptr;
  // The history texts in the store's order, each once (the list shows them
  // newest first).
  std::vector<std::string> staged_;
};

}  // namespace tv
