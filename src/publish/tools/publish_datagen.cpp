// Build-time generator: reads the reviewable UTF-8 texts of the publishing
// forms (keypad.txt, quick_lists.txt; one entry a line, fields separated by one
// TAB, '#' starts a comment line) and writes a C++ source holding them as GBK
// byte strings for publish/phrase_tables.h.
//
//   publish_datagen DATA_DIR OUT.cpp
//
// Fails (exit 1, message with file and line) on a malformed line, a button
// without its menu or a menu without its button, or a text that GBK cannot
// hold, so a bad edit stops the build instead of shipping '?'.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/datagen_text.h"

namespace {

using Line = tv::datagen::DataLine;
using tv::datagen::GbkLiteral;

struct Entry {
  std::string text;
  std::vector<std::string> submenu;
};
struct Menu {
  std::string button;
  std::string title;
  std::vector<Entry> entries;
};
struct KeypadItem {
  int row;
  bool button;
  std::string caption;
  std::string text;
};
struct List {
  std::string name;
  std::vector<std::string> items;
};

bool Fail(const std::string& file, const Line& line, const char* what) {
  std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line.number, what);
  return false;
}

bool ParseKeypad(const std::string& file, const std::vector<Line>& lines,
                 std::vector<KeypadItem>& keypad, std::vector<Menu>& menus) {
  int row = 0;
  bool in_sub = false;
  for (const Line& line : lines) {
    const std::string& kind = line.fields[0];
    const std::size_t n = line.fields.size();
    if (kind == "row" && n == 2) {
      row = std::atoi(line.fields[1].c_str());
      if (row < 1) return Fail(file, line, "row numbers start at 1");
    } else if (kind == "key" && (n == 2 || n == 3)) {
      if (row == 0 || !menus.empty()) return Fail(file, line, "key outside a row");
      keypad.push_back({row, false, line.fields[1], line.fields[n - 1]});
    } else if (kind == "button" && n == 2) {
      if (row == 0 || !menus.empty()) return Fail(file, line, "button outside a row");
      keypad.push_back({row, true, line.fields[1], {}});
    } else if (kind == "menu" && n == 3) {
      if (in_sub) return Fail(file, line, "menu inside a submenu");
      menus.push_back({line.fields[1], line.fields[2], {}});
    } else if (kind == "sub" && n == 2) {
      if (menus.empty() || in_sub) return Fail(file, line, "submenu outside a menu");
      menus.back().entries.push_back({line.fields[1], {}});
      in_sub = true;
    } else if (kind == "item" && n == 2) {
      if (menus.empty()) return Fail(file, line, "item outside a menu");
      if (in_sub)
        menus.back().entries.back().submenu.push_back(line.fields[1]);
      else
        menus.back().entries.push_back({line.fields[1], {}});
    } else if (kind == "end" && n == 1) {
      if (!in_sub) return Fail(file, line, "end without a submenu");
      if (menus.back().entries.back().submenu.empty()) return Fail(file, line, "empty submenu");
      in_sub = false;
    } else {
      return Fail(file, line, "unknown line");
    }
  }
  if (in_sub) {
    std::fprintf(stderr, "%s: a submenu is not closed\n", file.c_str());
    return false;
  }
  // Every button opens exactly one menu, and every menu has its button.
  std::map<std::string, int> uses;
  for (const KeypadItem& item : keypad)
    if (item.button) uses[item.caption] += 1;
  for (const Menu& menu : menus) {
    if (menu.entries.empty() || uses[menu.button] != 1) {
      std::fprintf(stderr, "%s: menu \"%s\" is empty or not opened by exactly one button\n",
                   file.c_str(), tv::GbkToUtf8(menu.button).c_str());
      return false;
    }
    uses[menu.button] = 0;
  }
  for (const auto& [button, count] : uses) {
    if (count != 0) {
      std::fprintf(stderr, "%s: button \"%s\" has no menu\n", file.c_str(),
                   tv::GbkToUtf8(button).c_str());
      return false;
    }
  }
  return true;
}

bool ParseLists(const std::string& file, const std::vector<Line>& lines, std::vector<List>& lists) {
  for (const Line& line : lines) {
    const std::string& kind = line.fields[0];
    if (kind == "list" && line.fields.size() == 2) {
      lists.push_back({line.fields[1], {}});
    } else if (kind == "item" && line.fields.size() == 2) {
      if (lists.empty()) return Fail(file, line, "item outside a list");
      lists.back().items.push_back(line.fields[1]);
    } else {
      return Fail(file, line, "unknown line");
    }
  }
  return true;
}

void WriteStrings(std::ostringstream& out, const std::string& name,
                  const std::vector<std::string>& texts) {
  out << "constexpr std::string_view " << name << "[] = {\n";
  for (const std::string& text : texts) out << "    " << GbkLiteral(text) << ",\n";
  out << "};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: publish_datagen DATA_DIR OUT.cpp\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string keypad_file = dir + "/keypad.txt";
  const std::string lists_file = dir + "/quick_lists.txt";
  std::vector<Line> keypad_lines, list_lines;
  std::vector<KeypadItem> keypad;
  std::vector<Menu> menus;
  std::vector<List> lists;
  if (!tv::datagen::ReadDataLines(keypad_file, keypad_lines) ||
      !tv::datagen::ReadDataLines(lists_file, list_lines) ||
      !ParseKeypad(keypad_file, keypad_lines, keypad, menus) ||
      !ParseLists(lists_file, list_lines, lists)) {
    return 1;
  }

  std::ostringstream out;
  out << "// Generated by publish_datagen from src/publish/data; edit those files.\n"
      << "#include \"publish/phrase_tables.h\"\n\n"
      << "namespace tv::publish_data {\nusing namespace std::string_view_literals;\n"
      << "namespace {\n";

  out << "constexpr KeypadEntry kKeypad[] = {\n";
  for (const KeypadItem& item : keypad) {
    out << "    {" << item.row << ", KeypadEntry::" << (item.button ? "kButton" : "kKey") << ", "
        << GbkLiteral(item.caption) << ", " << GbkLiteral(item.text) << "},\n";
  }
  out << "};\n";

  for (std::size_t m = 0; m < menus.size(); ++m) {
    const Menu& menu = menus[m];
    for (std::size_t e = 0; e < menu.entries.size(); ++e) {
      if (!menu.entries[e].submenu.empty())
        WriteStrings(out, "kSub" + std::to_string(m) + "_" + std::to_string(e),
                     menu.entries[e].submenu);
    }
    out << "constexpr MenuEntry kMenu" << m << "[] = {\n";
    for (std::size_t e = 0; e < menu.entries.size(); ++e) {
      const Entry& entry = menu.entries[e];
      out << "    {" << GbkLiteral(entry.text) << ", ";
      if (entry.submenu.empty())
        out << "{}";
      else
        out << "kSub" << m << "_" << e;
      out << "},\n";
    }
    out << "};\n";
  }
  out << "constexpr PhraseMenu kMenus[] = {\n";
  for (std::size_t m = 0; m < menus.size(); ++m)
    out << "    {" << GbkLiteral(menus[m].button) << ", " << GbkLiteral(menus[m].title) << ", kMenu"
        << m << "},\n";
  out << "};\n";

  for (std::size_t l = 0; l < lists.size(); ++l)
    WriteStrings(out, "kList" + std::to_string(l), lists[l].items);
  out << "constexpr NamedList kLists[] = {\n";
  for (std::size_t l = 0; l < lists.size(); ++l)
    out << "    {" << GbkLiteral(lists[l].name) << ", kList" << l << "},\n";
  out << "};\n";

  out << "}  // namespace\n\n"
      << "std::span<const KeypadEntry> Keypad() { return kKeypad; }\n"
      << "std::span<const PhraseMenu> PhraseMenus() { return kMenus; }\n"
      << "std::span<const NamedList> QuickLists() { return kLists; }\n\n"
      << "}  // namespace tv::publish_data\n";

  const std::string text = out.str();
  std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
  file << text;
  return file ? 0 : 1;
}
