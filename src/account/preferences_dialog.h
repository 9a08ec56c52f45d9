#pragma once
// The dialog "系统设置": colours, font face and size of the message rows with
// a preview, the side of the region tree, the search alert sound, the
// desktop notifications of new matches and the refresh period. A thin view over PreferencesModel.
#include <QDialog>
#include <array>
#include <functional>
#include <optional>

#include "account/preferences.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;
class QSlider;
class QTreeWidget;

namespace tv {

class ColorLabel;

class PreferencesDialog : public QDialog {
  Q_OBJECT

 public:
  // The colour chooser: the chosen colour, or nullopt when cancelled. The
  // program's opens the system chooser; tests stage a choice.
  using ColourChooser = std::function<std::optional<SettingColor>(SettingColor start, QWidget*)>;
  static std::optional<SettingColor> SystemColourChooser(SettingColor start, QWidget* parent);

  explicit PreferencesDialog(ColourChooser chooser = SystemColourChooser,
                             QWidget* parent = nullptr);

  const PreferencesModel& Model() const { return model_; }

  QPushButton* BackButton() const { return back_button_; }
  QPushButton* TextButton() const { return text_button_; }
  QComboBox* FaceBox() const { return face_box_; }
  QSlider* SizeSlider() const { return size_slider_; }
  ColorLabel* Preview() const { return preview_; }
  QRadioButton* LeftButton() const { return left_; }
  QRadioButton* RightButton() const { return right_; }
  QCheckBox* SoundBox() const { return sound_; }
  QCheckBox* NotifyBox() const { return notify_; }
  QComboBox* RefreshBox() const { return refresh_; }
  QCheckBox* FoldBox() const { return fold_; }
  // The blocked members (number, company, telephone, date blocked) and
  // "解除屏蔽" for the one chosen.
  QTreeWidget* BlockedList() const { return blocked_; }
  QPushButton* UnblockButton() const { return unblock_; }
  QPushButton* SaveButton() const { return save_; }
  QPushButton* CancelButton() const { return cancel_; }

 signals:
  // "保存" wrote the four appearance settings (failed writes have warned);
  // the main window applies them now. Emitted before the dialog closes.
  void saved();
  // "左侧" or "右侧" was clicked and the side is stored: the window moves its
  // tree at once, whether the dialog is then saved or cancelled.
  void sideChosen();
  // The folding switch was changed (stored already).
  void foldingChanged(bool on);
  // A member was unblocked (the blocked list is written already).
  void blockedMembersChanged();

 private:
  void BuildControls();
  void ShowOpening();
  void DrawPreview();
  void Save();
  void FillBlockedList();

  PreferencesModel model_;
  ColourChooser chooser_;
  QPushButton* back_button_ = nullptr;
  QPushButton* text_button_ = nullptr;
  QComboBox* face_box_ = nullptr;
  QSlider* size_slider_ = nullptr;
  ColorLabel* preview_ = nullptr;
  QRadioButton* left_ = nullptr;
  QRadioButton* right_ = nullptr;
  QButtonGroup* sides_ = nullptr;
  QCheckBox* sound_ = nullptr;
  QCheckBox* notify_ = nullptr;
  QComboBox* refresh_ = nullptr;
  QCheckBox* fold_ = nullptr;
  QTreeWidget* blocked_ = nullptr;
  QPushButton* unblock_ = nullptr;
  QPushButton* save_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace tv
