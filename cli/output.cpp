#include "cli/output.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/gbk.h"
#include "core/notice.h"

namespace tv::cli {
namespace {

class NoticePrinter : public NoticeSink {
 public:
  void Notice(const std::string& gbk_text) override {
    std::fprintf(stderr, "%s\n", GbkToUtf8(NoticeLine(gbk_text)).c_str());
  }
  // Nobody is there to answer: a question is told and answered "no".
  bool Ask(const std::string& gbk_text) override {
    Notice(gbk_text);
    return false;
  }
};

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          out += code;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

}  // namespace

void PrintLine(std::string_view gbk) {
  const std::string utf8 = GbkToUtf8(gbk);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void PrintUtf8Line(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void InstallNoticePrinter() {
  static NoticePrinter printer;
  SetNoticeSink(&printer);
}

std::string NoticeLine(std::string_view gbk) {
  // The box centres its lines with blanks; a terminal line needs none.
  std::string out;
  while (true) {
    const std::size_t end = gbk.find('\n');
    std::string_view line = gbk.substr(0, end);
    const auto first = line.find_first_not_of(' ');
    line = first == std::string_view::npos
               ? std::string_view()
               : line.substr(first, line.find_last_not_of(' ') - first + 1);
    out += line;
    if (end == std::string_view::npos) break;
    out += '\n';
    gbk.remove_prefix(end + 1);
  }
  return out;
}

bool ColourWanted() {
  const char* no_colour = std::getenv("NO_COLOR");
  if (no_colour != nullptr && *no_colour != '\0') return false;
  return ::isatty(STDOUT_FILENO) == 1;
}

std::string Coloured(std::string_view gbk, Colour colour, bool on) {
  if (!on || gbk.empty()) return std::string(gbk);
  const char* start = colour == Colour::kRed    ? "\x1b[31m"
                      : colour == Colour::kBlue ? "\x1b[34m"
                                                : "\x1b[90m";
  return start + std::string(gbk) + "\x1b[0m";
}

std::string JsonObject(
    std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
  std::string out = "{";
  bool first = true;
  for (const auto& [name, gbk] : fields) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, name);
    out += ':';
    AppendJsonString(out, GbkToUtf8(gbk));
  }
  return out + "}";
}

std::string Tabbed(std::initializer_list<std::string_view> fields) {
  std::string line;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) line += '\t';
    first = false;
    for (char c : field) line += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
  }
  return line;
}

}  // namespace tv::cli
