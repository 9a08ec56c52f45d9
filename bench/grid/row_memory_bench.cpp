// What a filled feed row costs in the row store, beside the layout the store
// had before rows were packed (every cell a struct with its own std::string,
// the row an array of 14 of them), filled with the same rows in the same way.
//
//   row_memory_bench packed|cells ROWS
//
// prints one line: heap bytes in use (malloc's own count, so allocator
// overhead is included and nothing else of the process is), the bytes of the
// rows' texts, the cost per row beyond its texts, RSS growth and fill time.
// One layout per process (run.sh runs both), so neither sees the other's
// freed pages.
#include <malloc.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "core/gbk.h"
#include "grid/row_store.h"

namespace {

constexpr int kColumns = 14;

// The store's layout before packing, as far as filled rows go.
class CellsRowStore {
 public:
  struct Cell {
    std::string text;
    tv::Colour text_colour = tv::kDefaultColour;
    tv::Colour back_colour = tv::kDefaultColour;
    std::int16_t image = tv::kImageNone;
    std::uint16_t font_id = 0;
    std::uint8_t format = tv::kFormatNone;
  };

  void ResizeRows(int n) {
    rows_.resize(static_cast<std::size_t>(n));
    heights_.resize(static_cast<std::size_t>(n), 22);
  }
  void PutCellText(int row, int column, std::string_view text) {
    if (text.empty() && !rows_[static_cast<std::size_t>(row)]) return;
    Writable(row, column).text.assign(text);
  }
  void PutCellImage(int row, int column, int image) {
    Writable(row, column).image = static_cast<std::int16_t>(image);
  }
  void PutCellFont(int row, int column, const tv::CellFont&) { Writable(row, column).font_id = 1; }
  void PutCellFormat(int row, int column, std::uint8_t format) {
    Writable(row, column).format = format;
  }
  void PutCellColour(int row, int column, tv::Colour colour) {
    Writable(row, column).text_colour = colour;
  }
  void PutRowHeight(int row, int height) { heights_[static_cast<std::size_t>(row)] = height; }

 private:
  Cell& Writable(int row, int column) {
    auto& cells = rows_[static_cast<std::size_t>(row)];
    if (!cells) cells = std::make_unique<Cell[]>(kColumns);
    return cells[column];
  }
  std::deque<std::unique_ptr<Cell[]>> rows_;
  std::deque<std::int32_t> heights_;
};

struct Texts {
  std::string type_word, content, row_text, city, tel, time, company;
};

// Six kinds of message, each row with its own identifier, QQ number and flag.
const Texts& Sample(int row) {
  static const Texts kSamples[] = {
      {"货源", "有货10吨 发往Ξ济宁§周边,求9.6米高栏",
       "【济宁】有货10吨 发往Ξ济宁§周边,求9.6米高栏 Ψ13905371234§ δ3-7 9:05§", "济宁",
       "13905371234", "2024-3-7 9:05:12", "济宁宏达物流"},
      {"车源", "空车 17.5米平板 回Ξ上海§方向 可拼货",
       "【上海】空车 17.5米平板 回Ξ上海§方向 可拼货 Ψ13611112222§ δ12-25 18:30§", "上海",
       "13611112222", "2024-12-25 18:30:01", ""},
      {"货源", "急!电子产品3吨 广州→北京 今晚装车",
       "【已成交】【广州】急!电子产品3吨 广州→北京 今晚装车 Ψ020-88886666§ δ6-1 7:00§", "广州",
       "020-88886666", "2024-6-1 7:00:59", "广州顺通货运代理有限公司"},
      {"车源", "6.8米厢车 找成都至重庆往返货源 价格面议 长期合作 可签合同 另有4.2米小车一台",
       "【成都】6.8米厢车 找成都至重庆往返货源 价格面议 长期合作 可签合同 另有4.2米小车一台 "
       "Ψ13800001111§ δ11-11 23:59§",
       "成都", "13800001111", "2024-11-11 23:59:00", "成都"},
      {"货源", "钢材25吨 郑州发Ξ西安§ 要求13米半挂 装卸方便 运费可谈",
       "【郑州】钢材25吨 郑州发Ξ西安§ 要求13米半挂 装卸方便 运费可谈 Ψ0371-6666888§ δ2-3 8:07§",
       "郑州", "0371-6666888", "2024-2-3 8:07:44", "郑州钢联"},
      {"货源", "日用百货8方 发Ξ徐州§ 找顺路车 当天走",
       "【临沂】日用百货8方 发Ξ徐州§ 找顺路车 当天走 Ψ0539-8123456§ δ9-30 14:22§", "临沂",
       "0539-8123456", "2024-9-30 14:22:10", "临沂商城"},
  };
  static const auto kGbk = [] {
    std::array<Texts, 6> gbk;
    for (std::size_t i = 0; i < gbk.size(); ++i) {
      const Texts& s = kSamples[i];
      gbk[i] = {tv::Utf8ToGbk(s.type_word), tv::Utf8ToGbk(s.content), tv::Utf8ToGbk(s.row_text),
                tv::Utf8ToGbk(s.city),      s.tel,
                s.time,                     tv::Utf8ToGbk(s.company)};
    }
    return gbk;
  }();
  return kGbk[static_cast<std::size_t>(row) % kGbk.size()];
}

// Writes one row as the feed does: eleven texts, three pictures, the row
// text's font, format, height and colour. Returns the bytes of its texts.
template <typename Store>
std::size_t PutFeedRow(Store& store, int row) {
  const Texts& t = Sample(row);
  const std::string id = std::to_string(4'000'000 + row);
  const std::string qq = row % 3 == 0 ? std::string() : std::to_string(100000 + row % 77777);
  const std::string flag = std::to_string(1000 + row % 5000);
  const std::string_view cells[kColumns] = {
      id, t.city, t.type_word, t.content, t.tel, flag, t.time, {}, t.row_text, qq, {}, {},
      row % 7 == 0 ? "1" : "0", t.company};
  std::size_t bytes = 0;
  for (int c = 0; c < kColumns; ++c) {
    if (c == 7 || c == 10 || c == 11) continue;
    store.PutCellText(row, c, cells[c]);
    bytes += cells[c].size();
  }
  store.PutCellImage(row, 7, row % 2 ? tv::strip::kTruck : tv::strip::kParcel);
  store.PutCellImage(row, 10, tv::strip::kDetail);
  store.PutCellImage(row, 11, qq.empty() ? tv::strip::kMessengerGrey : tv::strip::kMessenger);
  tv::CellFont font;
  font.face = "SimSun";
  font.height = 20;
  store.PutCellFont(row, 8, font);
  store.PutCellFormat(row, 8, tv::kFormatWordWrap | tv::kFormatVCentre);
  store.PutRowHeight(row, 44);
  store.PutCellColour(row, 8, 0);
  return bytes;
}

std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

long RssKb() {
  long total = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &total, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * 4;
}

template <typename Store>
int Measure(const char* name, int rows) {
  Sample(0);  // the samples are not the store's
  malloc_trim(0);
  const std::size_t heap_before = HeapInUse();
  const long rss_before = RssKb();
  const auto start = std::chrono::steady_clock::now();
  auto store = std::make_unique<Store>();
  store->ResizeRows(rows);
  std::size_t text_bytes = 0;
  for (int r = 0; r < rows; ++r) text_bytes += PutFeedRow(*store, r);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::size_t heap = HeapInUse() - heap_before;
  const long rss_kb = RssKb() - rss_before;
  std::printf("%-7s rows %d  heap %.1f MB  texts %.1f MB  per row beyond texts %.1f B"
              "  (texts %.1f B)  RSS +%.1f MB  fill %.0f ms\n",
              name, rows, heap / 1048576.0, text_bytes / 1048576.0,
              static_cast<double>(heap - text_bytes) / rows,
              static_cast<double>(text_bytes) / rows, rss_kb / 1024.0, ms);
  return 0;
}

struct PackedStore : tv::RowStore {
  PackedStore() : tv::RowStore(kColumns) {}
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: row_memory_bench packed|cells ROWS\n");
    return 2;
  }
  const int rows = std::atoi(argv[2]);
  if (std::strcmp(argv[1], "packed") == 0) return Measure<PackedStore>("packed", rows);
  if (std::strcmp(argv[1], "cells") == 0) return Measure<CellsRowStore>("cells", rows);
  std::fprintf(stderr, "row_memory_bench: unknown layout %s\n", argv[1]);
  return 2;
}
