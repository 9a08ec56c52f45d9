#pragma once
// A list written out as CSV for the office suites members use: UTF-8 with a
// byte order mark (so that they take it for UTF-8), a head line, and one line
// per shown row with the time, type, region, content, telephones, company,
// member number and status of its message.
#include <string>
#include <string_view>
#include <vector>

#include "feed/feed_grid.h"

namespace tv {

class IdMarks;

// The byte order mark and the head line (UTF-8, CRLF).
std::string CsvHead();

// One field quoted when it must be (comma, quote, line end), quotes doubled.
// A field that an office suite would take for a formula (=, +, -, @ first)
// gets a leading apostrophe, so that a message cannot run one on opening.
std::string CsvField(std::string_view utf8);

// The line of one row (UTF-8, CRLF). `masked`: the telephones are not
// written, as the list does not show them.
std::string CsvLineOf(const FeedGrid& grid, int row, const IdMarks& deleted, const IdMarks& closed,
                      bool masked);

}  // namespace tv
