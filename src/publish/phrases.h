#pragma once
// Look-ups over the generated tables of phrase_tables.h.
#include <cstddef>
#include <span>
#include <string_view>

#include "publish/phrase_tables.h"

namespace tv {

// The menu behind a keypad button, by the button's caption; nullptr for none.
const publish_data::PhraseMenu* FindPhraseMenu(std::string_view button);
// The insertable items of a menu, submenus included.
std::size_t CountMenuItems(const publish_data::PhraseMenu& menu);
// A pick list of the quick-generate form by name ("goods", "units",
// "truck_types", "freight", "trips"); empty for an unknown name.
std::span<const std::string_view> QuickList(std::string_view name);

}  // namespace tv
