#pragma once
// What the client commands print: UTF-8 lines on standard output, the
// program's notices on standard error, JSON objects, and the list's colours
// on a terminal.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tv::cli {

// One GBK line on standard output, as UTF-8, flushed (a follower of the feed
// reads it at once).
void PrintLine(std::string_view gbk);
// One line already in UTF-8 (JSON).
void PrintUtf8Line(std::string_view utf8);

// The program's notices: on standard error, every line without its padding
// blanks.
// Installed once by main().
void InstallNoticePrinter();
// A notice text (GBK) as the terminal shows it.
std::string NoticeLine(std::string_view gbk);

// Colours of the list's markers on a terminal: only when standard output is
// one and NO_COLOR is unset.
bool ColourWanted();
enum class Colour { kRed, kBlue, kGrey };
// `gbk` wrapped in the colour's escape sequences when `on`.
std::string Coloured(std::string_view gbk, Colour colour, bool on);

// One JSON object of GBK texts, converted to UTF-8 and escaped.
std::string JsonObject(std::initializer_list<std::pair<std::string_view, std::string_view>> fields);

// Fields joined by tabs; a tab or line break inside a field becomes a blank,
// so that one message stays one line of as many fields.
std::string Tabbed(std::initializer_list<std::string_view> fields);

}  // namespace tv::cli
