#pragma once
// The test client's progress lines: "TARVOLO <event> ..." on standard output,
// read by the end-to-end scripts.
#include <QString>

namespace tv {

// Prints "TARVOLO " and the line (UTF-8) on standard output at once.
void ReportTestEvent(const QString& line);

}  // namespace tv
