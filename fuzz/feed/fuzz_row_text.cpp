// A records answer as the feed writes it into its grid: the content with the
// watched region highlighted, the row text with its markers, the keywords
// highlighted over it, the short time, the row's height, and the same row
// text again when the row is rebuilt from its cells.
//
// Input: the region list ("A+B"), '\n', the keywords (","-separated), '\n',
// one byte of switches, then the decoded answer body.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "feed/feed_grid.h"
#include "feed/feed_store.h"
#include "feed/region_list.h"
#include "feed/row_text.h"
#include "grid/text_measure.h"
#include "net/answers.h"
#include "row_checks.h"

namespace {

// The short time against the C library's own reading of the same pattern,
// for times it reads without overflow.
void CheckShortTime(std::string_view time) {
  const std::string short_time = tv::ShortTime(time);
  TV_REQUIRE(short_time.size() < 64);
  if (time.find('\0') != std::string_view::npos) return;
  std::size_t run = 0;
  for (char c : time) {
    run = c >= '0' && c <= '9' ? run + 1 : 0;
    if (run > 8) return;
  }
  long parts[6] = {};
  const std::string text(time);
  std::sscanf(text.c_str(), "%ld-%ld-%ld %ld:%ld:%ld", &parts[0], &parts[1], &parts[2], &parts[3],
              &parts[4], &parts[5]);
  char expected[96];
  std::snprintf(expected, sizeof expected, parts[4] > 9 ? "%ld-%ld %ld:%ld" : "%ld-%ld %ld:0%ld",
                parts[1], parts[2], parts[3], parts[4]);
  TV_REQUIRE(short_time == expected);
}

// The row text of a record that is not deleted: the fixed frame around the
// record's texts, the keywords highlighted over all of it, and the closed
// mark in front.
void CheckRowText(std::string_view row_text, std::string_view city, std::string_view content,
                  std::string_view tel, std::string_view time, bool closed,
                  std::string_view keywords) {
  std::string frame = TV_TEXT("【");
  frame += city;
  frame += TV_TEXT("】");
  frame += content;
  frame += ' ';
  frame += tv::kMarkTel;
  frame += tel;
  frame += tv::kMarkEnd;
  frame += ' ';
  frame += tv::kMarkTime;
  frame += tv::ShortTime(time);
  frame += tv::kMarkEnd;
  if (closed) {
    const std::string& mark = TV_TEXT("【已成交】");
    TV_REQUIRE(row_text.substr(0, mark.size()) == mark);
    row_text.remove_prefix(mark.size());
  }
  if (keywords.empty()) {
    TV_REQUIRE(row_text == frame);
  } else {
    const std::vector<std::string_view> words = tv::SplitKeywords(keywords);
    tv::fuzz::CheckHighlights(frame, words, row_text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view regions = tv::fuzz::TakeLine(input);
  const std::string_view keywords = tv::fuzz::TakeLine(input);
  const unsigned switches = tv::fuzz::TakeByte(input);
  const std::string_view body = input;

  tv::RowStore store(tv::kMessageColumns, std::make_shared<tv::FixedTextMeasure>(6, 12));
  tv::RowStoreGrid grid(store);
  tv::SetFeedColumns(store, 40 + 8 * static_cast<int>(switches >> 4));
  tv::FeedStore feed(grid);
  feed.View().regions = tv::SplitMultiArea(regions);
  feed.View().masked = (switches & 1) != 0;
  feed.Rules().highlight_region = (switches & 2) == 0;
  feed.Rules().keywords = std::string(keywords);
  const std::string code = feed.Code();

  const std::vector<tv::InfoRecord> records = tv::ParseRecords(body);
  // Every other record deleted, when asked.
  if ((switches & 4) != 0) {
    std::vector<tv::IdPair> pairs;
    for (std::size_t i = 0; i < records.size(); i += 2) pairs.push_back({"1", records[i].InfoID});
    feed.ApplyIdList(tv::IdListKind::kDeleted, pairs);
  }

  for (const tv::InfoRecord& r : records) {
    CheckShortTime(r.Time);
    TV_REQUIRE(feed.PutRecord(r, tv::PutMode::kInsert, 0));
    const std::string_view content = grid.CellText(0, tv::kColContent);
    if (feed.Rules().highlight_region) {
      const std::string_view word = code;
      tv::fuzz::CheckHighlights(r.Content, {&word, 1}, content);
    } else {
      TV_REQUIRE(content == r.Content);
    }

    const std::string row_text(grid.CellText(0, tv::kColRowText));
    const bool masked = feed.View().masked;
    const std::string_view tel = masked ? std::string_view(TV_TEXT("双击查看电话")) : r.Tel;
    if (feed.Deleted().Contains(r.InfoID)) {
      TV_REQUIRE(row_text == TV_TEXT("该条信息已被删除!"));
    } else {
      // A message seen more than once carries its count in front.
      std::string_view text = row_text;
      if (const int copies = feed.Noise().CopiesOf(0); copies > 1) {
        const std::string mark = tv::RepeatMark(copies);
        TV_REQUIRE(text.substr(0, mark.size()) == mark);
        text.remove_prefix(mark.size());
      }
      CheckRowText(text, r.City, content, tel, r.Time, r.Deal == "1", keywords);
    }
    if (tv::fuzz::AllValidGbk({r.City, r.Content, r.Tel, code, keywords}))
      TV_REQUIRE(tv::fuzz::IsValidGbk(row_text));

    // A row's height fits its text, within the cap the grid keeps.
    const int height = store.RowHeight(0);
    TV_REQUIRE(height > 0 && height < 300);
    // Rebuilt from its cells, the row reads as it did on arrival.
    TV_REQUIRE(feed.RebuildRowText(0) == row_text);
  }
  return 0;
}
