#pragma once
// The end-to-end runs' view into the program: with TARVOLO_TEST_HOOKS set
// (and not "0"), parts of the client report what happened as lines
// "TARVOLO <event> ..." on standard output and may take commands.
#include <QString>

namespace tv {

bool TestHooksOn();
// Prints "TARVOLO " and the line (UTF-8) on standard output at once.
void ReportTestEvent(const QString& line);

}  // namespace tv
