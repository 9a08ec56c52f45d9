#pragma once
// Shared by the build-time table generators (regions, publishing): reading the
// reviewable UTF-8 data files and writing their texts as GBK C++ literals.
// Header-only: the generators are small host tools that link tv_core.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/gbk.h"

namespace tv::datagen {

struct DataLine {
  int number = 0;                   // in the file, for messages
  std::vector<std::string> fields;  // GBK
};

// One entry a line, fields separated by one TAB, '#' starts a comment line,
// blank lines skipped. False (with a message naming file and line) when the
// file cannot be read, a field is empty, or a text does not survive GBK, so a
// bad edit stops the build instead of shipping '?'.
inline bool ReadDataLines(const std::string& path, std::vector<DataLine>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot open\n", path.c_str());
    return false;
  }
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    DataLine line;
    line.number = number;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = text.find('\t', start);
      std::string field = text.substr(start, tab == std::string::npos ? tab : tab - start);
      if (field.empty()) {
        std::fprintf(stderr, "%s:%d: empty field\n", path.c_str(), number);
        return false;
      }
      std::string gbk = Utf8ToGbk(field);
      if (GbkToUtf8(gbk) != field) {
        std::fprintf(stderr, "%s:%d: \"%s\" does not survive GBK\n", path.c_str(), number,
                     field.c_str());
        return false;
      }
      line.fields.push_back(std::move(gbk));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    lines.push_back(std::move(line));
  }
  return true;
}

// Every byte as an escape: GBK trail bytes may look like ASCII quotes or
// backslashes, and nothing in the output then depends on the source charset.
inline std::string GbkLiteral(const std::string& bytes) {
  std::string out = "\"";
  char buffer[8];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
    out += buffer;
  }
  out += "\"sv";
  return out;
}

}  // namespace tv::datagen
