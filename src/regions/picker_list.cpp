#include "regions/picker_list.h"

namespace tv {

std::string_view PickerList::CurrentText() const {
  if (selected_ < 0 || selected_ >= Size()) return {};
  return items_[static_cast<std::size_t>(selected_)];
}

void PickerList::Clear() {
  items_.clear();
  selected_ = -1;
  ++revision_;
}

void PickerList::ResetTo(std::string_view placeholder) {
  items_.assign(1, std::string(placeholder));
  selected_ = 0;
  ++revision_;
}

void PickerList::Append(std::vector<std::string> items) {
  if (items.empty()) return;
  items_.insert(items_.end(), std::make_move_iterator(items.begin()),
                std::make_move_iterator(items.end()));
  ++revision_;
}

void PickerList::Select(int index) { selected_ = index >= 0 && index < Size() ? index : -1; }

bool PickerList::SelectText(std::string_view text) {
  for (int i = 0; i < Size(); ++i) {
    if (items_[static_cast<std::size_t>(i)] == text) {
      selected_ = i;
      return true;
    }
  }
  return false;
}

}  // namespace tv
