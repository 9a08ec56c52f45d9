#pragma once
// Small helpers of the feed tests: GBK literals and records.
#include <string>
#include <string_view>

#include "core/gbk.h"
#include "core/info_record.h"
#include "feed/feed_grid.h"
#include "grid/text_measure.h"

namespace tv::feed_test {

inline std::string G(std::string_view utf8) { return Utf8ToGbk(utf8); }
inline std::string U(std::string_view gbk) { return GbkToUtf8(gbk); }

inline InfoRecord Rec(std::string id, std::string_view city = "济宁",
                      std::string_view content = "有货10吨", std::string tel = "8888",
                      std::string time = "2012-03-07 09:05:00", std::string flag = "5",
                      std::string deal = "0", std::string type = "0", std::string qq = "") {
  InfoRecord r;
  r.InfoID = std::move(id);
  r.City = G(city);
  r.Type = std::move(type);
  r.Content = G(content);
  r.Tel = std::move(tel);
  r.QQ = std::move(qq);
  r.Company = G("公司");
  r.Flag = std::move(flag);
  r.Deal = std::move(deal);
  r.Time = std::move(time);
  return r;
}

// A feed grid over a real row store, measured with fixed-width characters
// (6 pixels a byte, lines 12 high) and a row-text column 600 wide.
struct TestGrid : RowStoreGrid {
  TestGrid() : RowStoreGrid(store) { SetFeedColumns(store, 600); }
  RowStore store{kMessageColumns, std::make_shared<FixedTextMeasure>(6, 12)};
};

}  // namespace tv::feed_test
