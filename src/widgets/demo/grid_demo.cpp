// tarvolo-grid-demo: a grid of sample cargo and truck messages laid out like
// the main window's feed, for looking at the drawing. With --shot FILE it
// saves a picture of the window and quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <string>

#include "core/gbk.h"
#include "widgets/info_grid.h"

namespace {

struct SampleRow {
  const char* city;
  const char* type;
  const char* content;  // may carry the highlight marks
  const char* tel;
  const char* time;
  const char* qq;
  bool closed;
};

// The row text as the feed builds it: city, content, telephone, short time.
std::string RowText(const SampleRow& s) {
  std::string text;
  if (s.closed) text += tv::Utf8ToGbk("【已成交】");
  text += tv::Utf8ToGbk(std::string("【") + s.city + "】" + s.content + " Ψ" + s.tel + "§ δ" +
                        s.time + "§");
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({"shot", "Save a screenshot to <file> and quit.", "file"});
  parser.addOption({"rows", "Number of rows (sample rows repeat).", "count", "200"});
  parser.process(app);

  const SampleRow samples[] = {
      {"济宁", "货源", "有货10吨 发往Ξ济宁§周边,求9.6米高栏", "13905371234", "3-7 9:05", "12345",
       false},
      {"上海", "车源", "空车 17.5米平板 回Ξ上海§ 方向 可拼货", "13611112222", "12-25 18:30", "",
       false},
      {"广州", "货源", "急!电子产品3吨 广州→北京 今晚装车", "020-88886666", "6-1 7:00", "8888",
       true},
      {"成都", "车源", "6.8米厢车 找成都至重庆往返货源 价格面议 长期合作 可签合同", "13800001111",
       "11-11 23:59", "5566", false},
      {"郑州", "货源", "钢材25吨 郑州发Ξ西安§ 要求13米半挂", "0371-6666888", "2-3 8:07", "", false},
  };

  tv::InfoGrid grid;
  grid.resize(960, 560);
  grid.setWindowTitle(QString::fromUtf8("信息表"));
  grid.SetLineColour(tv::MakeColour(198, 195, 198));
  tv::RowStore& store = grid.Store();
  const int widths[14] = {0, 0, 0, 0, 0, 0, 0, 30, 0, 0, 30, 30, 0, 0};
  for (int c = 0; c < 14; ++c) store.PutColumnWidth(c, widths[c]);
  store.PutColumnWidth(8, grid.viewport()->width() - 111 + 20);

  tv::CellFont row_font;
  row_font.face = tv::Utf8ToGbk("宋体");
  row_font.height = 20;

  const int rows = parser.value("rows").toInt();
  store.ResizeRows(rows);
  for (int r = 0; r < rows; ++r) {
    const SampleRow& s = samples[r % std::size(samples)];
    const bool truck = std::string(s.type) == "车源";
    store.PutCellText(r, 2, tv::Utf8ToGbk(s.type));
    store.PutCellText(r, 8, RowText(s));
    store.PutCellText(r, 9, s.qq);
    store.PutCellImage(r, 7, truck ? tv::strip::kTruck : tv::strip::kParcel);
    store.PutCellImage(r, 10, tv::strip::kDetail);
    store.PutCellImage(r, 11, *s.qq ? tv::strip::kMessenger : tv::strip::kMessengerGrey);
    store.PutCellFont(r, 8, row_font);
    store.FitRowToText(r, 8, store.ColumnWidth(8));
    store.PutCellColour(r, 8, tv::MakeColour(0, 0, 0));
  }
  grid.SetFocusCell(1, 8);
  grid.show();

  if (parser.isSet("shot")) {
    const QString file = parser.value("shot");
    QTimer::singleShot(300, &grid, [&grid, file] {
      const bool ok = grid.grab().save(file);
      std::fprintf(stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(file));
      QApplication::exit(ok ? 0 : 1);
    });
  }
  return app.exec();
}
