#include "test_report.h"

#include <cstdio>

namespace tv {

void ReportTestEvent(const QString& line) {
  std::printf("TARVOLO %s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

}  // namespace tv
