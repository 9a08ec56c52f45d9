#include "feed/list_export.h"

#include "core/gbk.h"
#include "feed/id_marks.h"
#include "feed/row_text.h"
#include "grid/marked_text.h"

namespace tv {

std::string CsvHead() {
  return "\xEF\xBB\xBF" + CsvField("时间") + "," + CsvField("类型") + "," + CsvField("地区") + "," +
         CsvField("内容") + "," + CsvField("电话") + "," + CsvField("公司") + "," +
         CsvField("会员号") + "," + CsvField("状态") + "\r\n";
}

std::string CsvField(std::string_view utf8) {
  std::string text(utf8);
  if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@')) {
    text.insert(0, "'");
  }
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string CsvLineOf(const FeedGrid& grid, int row, const IdMarks& deleted, const IdMarks& closed,
                      bool masked) {
  const auto cell = [&grid, row](int column) { return grid.CellText(row, column); };
  const std::string_view id = cell(kColInfoId);
  std::string_view type = cell(kColTypeWord);
  // The search results keep "Type" as received.
  const std::string type_word =
      type == "0" || type == "1" ? std::string(TypeWord(type)) : std::string(type);
  std::string status;
  if (deleted.Contains(id)) {
    status = "已删除";
  } else if (cell(kColDeal) == "1" || closed.Contains(id)) {
    status = "已成交";
  }
  const std::vector<std::string> fields = {GbkToUtf8(cell(kColTime)),
                                           GbkToUtf8(type_word),
                                           GbkToUtf8(cell(kColCity)),
                                           GbkToUtf8(StripTextMarkers(cell(kColContent))),
                                           masked ? std::string() : GbkToUtf8(cell(kColTel)),
                                           GbkToUtf8(cell(kColCompany)),
                                           GbkToUtf8(cell(kColFlag)),
                                           status};
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  line += "\r\n";
  return line;
}

}  // namespace tv
