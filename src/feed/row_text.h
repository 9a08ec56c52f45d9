#pragma once
// The row text of a message: city, content, telephone and short time on one
// line, with the marker characters that the grid's cell drawing turns into
// colour changes. Everything here is GBK.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"
#include "grid/marked_text.h"

namespace tv {

class IdMarks;

// The marker characters (kMarkTel ...) are those the grid's drawing reads.

// "3-7 9:05" from "2012-03-07 09:05:00"; parts that cannot be read count as 0.
std::string ShortTime(std::string_view time);

// "货源" for "0", "车源" for "1", "信息" otherwise (column 2 of the grid).
const std::string& TypeWord(std::string_view type);

// Every occurrence of any of `words` in `text` wrapped as "Ξ" word "§".
// Matches start on character boundaries only, so a word never splits a
// double-byte character. Where several words match at one place the longest
// wins, and matches never overlap: a mark inside a mark would leave the rest
// of the row in the highlight colour. Empty words, words holding one of the
// marker characters and words ending in half a character match nothing.
std::string HighlightWords(std::string_view text, std::span<const std::string_view> words);

// The region highlight of the feed's content: the region code as one word.
inline std::string HighlightRegion(std::string_view content, std::string_view region) {
  return HighlightWords(content, std::span<const std::string_view>(&region, 1));
}

// The pieces of a keyword list between its commas, empty pieces included.
std::vector<std::string_view> SplitKeywords(std::string_view keywords);
// Every keyword of the ","-separated `keywords` highlighted (HighlightWords).
std::string HighlightKeywords(std::string_view text, std::string_view keywords);

// The fields a row text is built from (the record itself, or the cells of a
// grid row when it is rebuilt).
struct RowTextFields {
  std::string_view info_id;
  std::string_view city;
  std::string_view content;  // carries its highlight marks
  std::string_view tel;
  std::string_view time;  // as received
};

// "【City】Content Ψtel§ δshort§"; masked: the telephone reads "双击查看电话";
// closed: "【已成交】" in front; deleted (id in `deleted`): only
// "该条信息已被删除!". `keywords` (","-separated) are highlighted in the text
// before the closed mark goes in front.
std::string BuildRowText(const RowTextFields& fields, bool closed, bool masked,
                         const IdMarks& deleted, std::string_view keywords = {});

// "【重复N次】": put in front of the row text of a message seen `copies` times.
std::string RepeatMark(int copies);

// The fields of a record as it arrives, content already highlighted.
inline RowTextFields FieldsOf(const InfoRecord& record, std::string_view highlighted_content) {
  return {record.InfoID, record.City, highlighted_content, record.Tel, record.Time};
}

}  // namespace tv
