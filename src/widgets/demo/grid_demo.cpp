// tarvolo-grid-demo: a grid of sample cargo and truck messages laid out like
// the main window's feed, for looking at the drawing. With --shot FILE it
// saves a picture of the window and quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "widgets/demo/sample_rows.h"
#include "widgets/info_grid.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({"shot", "Save a screenshot to <file> and quit.", "file"});
  parser.addOption({"rows", "Number of rows (the samples repeat).", "count", "200"});
  parser.addOption({"width", "Window width.", "pixels", "1000"});
  parser.addOption({"announce", "Print \"ready\" once the window has been drawn."});
  parser.process(app);

  tv::InfoGrid grid;
  grid.setWindowTitle(QString::fromUtf8("信息表"));
  grid.resize(parser.value("width").toInt(), 600);
  grid.SetLineColour(tv::MakeColour(198, 195, 198));
  tv::RowStore& store = grid.Store();
  // The feed leaves room for the scroll bar out of the 111 pixels.
  tv::demo::PutFeedColumnWidths(store, grid.width());

  tv::CellFont row_font;
  row_font.face = tv::Utf8ToGbk("宋体");  // not on Linux: the grid falls back to a CJK face
  row_font.height = 20;

  const std::vector<tv::demo::SampleRow> samples = tv::demo::MakeSampleRows();
  const int rows = parser.value("rows").toInt();
  store.ResizeRows(rows);
  for (int r = 0; r < rows; ++r) {
    tv::demo::PutSampleRow(store, r, samples[static_cast<std::size_t>(r) % samples.size()],
                           row_font);
  }
  grid.SetFocusCell(1, 8);
  grid.show();

  if (parser.isSet("announce")) {
    // Queued behind the show and its first paint.
    QTimer::singleShot(100, &grid, [] {
      std::printf("ready\n");
      std::fflush(stdout);
    });
  }
  if (parser.isSet("shot")) {
    const QString file = parser.value("shot");
    QTimer::singleShot(500, &grid, [&grid, file] {
      const bool ok = grid.grab().save(file);
      std::fprintf(stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(file));
      QApplication::exit(ok ? 0 : 1);
    });
  }
  return app.exec();
}
