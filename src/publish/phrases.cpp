#include "publish/phrases.h"

namespace tv {

const publish_data::PhraseMenu* FindPhraseMenu(std::string_view button) {
  for (const publish_data::PhraseMenu& menu : publish_data::PhraseMenus())
    if (menu.button == button) return &menu;
  return nullptr;
}

std::size_t CountMenuItems(const publish_data::PhraseMenu& menu) {
  std::size_t count = 0;
  for (const publish_data::MenuEntry& entry : menu.entries)
    count += entry.submenu.empty() ? 1 : entry.submenu.size();
  return count;
}

std::span<const std::string_view> QuickList(std::string_view name) {
  for (const publish_data::NamedList& list : publish_data::QuickLists())
    if (list.name == name) return list.items;
  return {};
}

}  // namespace tv
