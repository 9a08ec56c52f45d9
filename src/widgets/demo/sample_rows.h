#pragma once
// Sample cargo and truck messages written into a grid the way the feed writes
// a record: shared by the demo program and the grid benchmarks.
#include <string>
#include <vector>

#include "core/gbk.h"
#include "grid/row_store.h"

namespace tv::demo {

struct SampleRow {
  std::string type_word;  // GBK, "货源" or "车源"
  std::string content;    // GBK, carries the highlight marks
  std::string row_text;   // GBK, the whole marked row text
  std::string qq;
  bool truck = false;
};

inline std::vector<SampleRow> MakeSampleRows() {
  struct Source {
    const char* city;
    const char* content;
    const char* tel;
    const char* short_time;
    const char* qq;
    bool truck;
    bool closed;
  };
  const Source sources[] = {
      {"济宁", "有货10吨 发往Ξ济宁§周边,求9.6米高栏", "13905371234", "3-7 9:05", "12345", false,
       false},
      {"上海", "空车 17.5米平板 回Ξ上海§方向 可拼货", "13611112222", "12-25 18:30", "", true,
       false},
      {"广州", "急!电子产品3吨 广州→北京 今晚装车", "020-88886666", "6-1 7:00", "8888", false,
       true},
      {"成都", "6.8米厢车 找成都至重庆往返货源 价格面议 长期合作 可签合同 另有4.2米小车一台",
       "13800001111", "11-11 23:59", "5566", true, false},
      {"郑州", "钢材25吨 郑州发Ξ西安§ 要求13米半挂 装卸方便 运费可谈", "0371-6666888", "2-3 8:07",
       "", false, false},
      {"临沂", "日用百货8方 发Ξ徐州§ 找顺路车 当天走", "0539-8123456", "9-30 14:22", "778899",
       false, false},
  };
  std::vector<SampleRow> rows;
  for (const Source& s : sources) {
    SampleRow row;
    row.type_word = Utf8ToGbk(s.truck ? "车源" : "货源");
    row.content = Utf8ToGbk(s.content);
    row.row_text = Utf8ToGbk(std::string(s.closed ? "【已成交】" : "") + "【" + s.city + "】" +
                             s.content + " Ψ" + s.tel + "§ δ" + s.short_time + "§");
    row.qq = s.qq;
    row.truck = s.truck;
    rows.push_back(std::move(row));
  }
  return rows;
}

// Writes `sample` into `row` as the feed writes a record: the stored fields,
// the three pictures, the row text with its own font, fitted to the width of
// column 8.
inline void PutSampleRow(RowStore& store, int row, const SampleRow& sample, const CellFont& font) {
  store.PutCellText(row, 0, std::to_string(900000 + row));
  store.PutCellText(row, 2, sample.type_word);
  store.PutCellText(row, 3, sample.content);
  store.PutCellText(row, 8, sample.row_text);
  store.PutCellText(row, 9, sample.qq);
  store.PutCellImage(row, 7, sample.truck ? strip::kTruck : strip::kParcel);
  store.PutCellImage(row, 10, strip::kDetail);
  store.PutCellImage(row, 11, sample.qq.empty() ? strip::kMessengerGrey : strip::kMessenger);
  store.PutCellFont(row, 8, font);
  store.FitRowToText(row, 8, store.ColumnWidth(8));
  store.PutCellColour(row, 8, MakeColour(0, 0, 0));
}

// The main feed's column widths for a grid area `area_width` wide.
inline void PutFeedColumnWidths(RowStore& store, int area_width) {
  for (int c = 0; c < store.ColumnCount(); ++c) store.PutColumnWidth(c, 0);
  store.PutColumnWidth(7, 30);
  store.PutColumnWidth(8, area_width - 111);
  store.PutColumnWidth(10, 30);
  store.PutColumnWidth(11, 30);
}

}  // namespace tv::demo
