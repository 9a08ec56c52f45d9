#pragma once
// One drop-down list of a region picker, without a widget: its items and the
// selected one. The Qt binding mirrors it into a QComboBox.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class PickerList {
 public:
  const std::vector<std::string>& Items() const { return items_; }
  int Size() const { return static_cast<int>(items_.size()); }
  // -1 when nothing is selected.
  int Selected() const { return selected_; }
  // The selected item's text; the empty text when nothing is selected.
  std::string_view CurrentText() const;
  // Grows whenever the items change, so a view knows when to refill.
  std::uint64_t Revision() const { return revision_; }

  // Empties the list, or leaves one item selected (a placeholder).
  void Clear();
  void ResetTo(std::string_view placeholder);
  void Append(std::vector<std::string> items);
  // Selects an index in range or -1; anything else selects nothing.
  void Select(int index);
  // Selects the first item equal to `text` byte for byte; false when absent
  // (the selection is then left unchanged).
  bool SelectText(std::string_view text);

 private:
  std::vector<std::string> items_;
  int selected_ = -1;
  std::uint64_t revision_ = 0;
};

}  // namespace tv
