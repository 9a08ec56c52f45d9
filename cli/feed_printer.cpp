#include "cli/feed_printer.h"

#include "cli/output.h"
#include "core/gbk.h"
#include "feed/row_text.h"
#include "grid/marked_text.h"

namespace tv::cli {
namespace {

// The content as the list draws it: highlighted words red on a terminal,
// every other marker dropped.
std::string ContentText(std::string_view marked, bool colour) {
  if (!colour) return StripTextMarkers(marked);
  std::string out;
  bool red = false;
  for (std::size_t i = 0; i < marked.size();) {
    const std::string_view ch = marked.substr(i, CharWidthAt(marked, i));
    i += ch.size();
    if (ch == kMarkHighlight) {
      out += "\x1b[31m";
      red = true;
    } else if (ch == kMarkEnd) {
      if (red) out += "\x1b[0m";
      red = false;
    } else if (!IsTextMarker(ch)) {
      out += ch;
    }
  }
  if (red) out += "\x1b[0m";
  return out;
}

}  // namespace

bool PrintFeedRow(FeedStore& store, int row, const FeedPrintStyle& style) {
  const FeedGrid& grid = store.Grid();
  const std::string_view id = grid.CellText(row, kColInfoId);
  if (id.empty()) return false;
  const std::string_view tel_cell = grid.CellText(row, kColTel);
  // The list shows this in place of the telephone while contact data are
  // masked for the member.
  const std::string tel = store.View().masked ? TV_TEXT("双击查看电话") : std::string(tel_cell);
  const bool closed = grid.CellText(row, kColDeal) == "1" || store.Closed().Contains(id);
  const std::string deal = closed ? TV_TEXT("已成交") : std::string();
  const std::string_view time = grid.CellText(row, kColTime);
  const std::string_view city = grid.CellText(row, kColCity);
  // The main list keeps the type word; the search panel the type as received.
  const std::string_view type_cell = grid.CellText(row, kColTypeWord);
  const bool received =
      !type_cell.empty() && type_cell.find_first_not_of("0123456789") == std::string_view::npos;
  const std::string type = received ? TypeWord(type_cell) : std::string(type_cell);
  const std::string_view company = grid.CellText(row, kColCompany);
  if (style.json) {
    const std::string content = StripTextMarkers(grid.CellText(row, kColContent));
    std::string object = JsonObject({{"InfoID", id},
                                     {"Time", time},
                                     {"City", city},
                                     {"Type", type},
                                     {"Content", content},
                                     {"Tel", tel},
                                     {"QQ", grid.CellText(row, kColQQ)},
                                     {"Company", company},
                                     {"Flag", grid.CellText(row, kColFlag)},
                                     {"Deal", closed ? "1" : grid.CellText(row, kColDeal)}});
    if (!style.list_name.empty()) {
      // {"List":"...", then the message's own fields.
      const std::string list = JsonObject({{"List", style.list_name}});
      object = list.substr(0, list.size() - 1) + "," + object.substr(1);
    }
    PrintUtf8Line(object);
    return true;
  }
  const std::string content = ContentText(grid.CellText(row, kColContent), style.colour);
  const std::string line =
      Tabbed({id, Coloured(time, Colour::kGrey, style.colour), city, type, content,
              Coloured(tel, Colour::kBlue, style.colour), company, deal});
  PrintLine(style.list_name.empty() ? line : Tabbed({style.list_name}) + "\t" + line);
  return true;
}

void PrintFeedTotal(int total, const FeedPrintStyle& style) {
  const std::string number = std::to_string(total);
  if (style.json) {
    PrintUtf8Line("{\"total\":" + number + "}");
  } else {
    PrintLine(number);
  }
}

void PrintFeedMark(std::string_view info_id, IdListKind kind, const FeedPrintStyle& style) {
  const bool deleted = kind == IdListKind::kDeleted;
  if (style.json) {
    PrintUtf8Line(JsonObject({{"InfoID", info_id}, {"event", deleted ? "deleted" : "closed"}}));
  } else {
    PrintLine(Tabbed({info_id, deleted ? TV_TEXT("该条信息已被删除!") : TV_TEXT("已成交")}));
  }
}

std::vector<std::string> MarksAddedSince(const IdMarks& marks, std::size_t old_size) {
  // The text grows as "B<id>E|B<id>E...".
  std::vector<std::string> ids;
  std::string_view added = std::string_view(marks.Text()).substr(old_size);
  while (!added.empty()) {
    const std::size_t end = added.find('|');
    std::string_view mark = added.substr(0, end);
    if (mark.size() >= 2 && mark.front() == 'B' && mark.back() == 'E') {
      ids.emplace_back(mark.substr(1, mark.size() - 2));
    }
    if (end == std::string_view::npos) break;
    added.remove_prefix(end + 1);
  }
  return ids;
}

}  // namespace tv::cli
