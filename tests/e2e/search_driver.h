#pragma once
// The search forms and the results panel driven by the test client's
// commands ("search-..." lines beside the feed's), with their progress as
// "TARVOLO search-..." lines on standard output.
#include <QString>
#include <functional>

namespace tv {

class SearchAttachment;

// Runs one command line (command, rest of the line); false when it is not
// one of search's.
using CommandRunner = std::function<bool(const QString& command, const QString& arg)>;

// Reports the panel's first pages, new matches and chimes from now on, and
// gives the runner of search's commands.
CommandRunner InstallSearchDriver(SearchAttachment& search);

}  // namespace tv
