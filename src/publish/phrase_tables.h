#pragma once
// The fixed texts of the two publishing forms, generated at build time from
// data/keypad.txt and data/quick_lists.txt (GBK bytes): the keypad's keys and
// menu buttons in screen order, the phrase menus behind the buttons, and the
// pick lists of the quick-generate form.
#include <span>
#include <string_view>

namespace tv::publish_data {

struct KeypadEntry {
  enum Kind { kKey, kButton };
  int row;  // 1, 2 or 3
  Kind kind;
  std::string_view caption;  // what the key or button shows
  std::string_view text;     // what a key inserts; empty for a button
};

// One line of a phrase menu: an item, or a submenu titled `text` when
// `submenu` is not empty.
struct MenuEntry {
  std::string_view text;
  std::span<const std::string_view> submenu;
};

struct PhraseMenu {
  std::string_view button;  // the caption of the button that opens it
  std::string_view title;
  std::span<const MenuEntry> entries;
};

struct NamedList {
  std::string_view name;  // ASCII: "goods", "units", "truck_types", "freight", "trips"
  std::span<const std::string_view> items;
};

std::span<const KeypadEntry> Keypad();
// In the order of the data file (the buttons' order on the form).
std::span<const PhraseMenu> PhraseMenus();
std::span<const NamedList> QuickLists();

}  // namespace tv::publish_data
