#pragma once
// Parsers for the item answers of the service. "@@" separates items, "||"
// fields; separators are found character by character in GBK (a 0x40 or 0x7C
// trail byte never matches). Pure functions, one forward pass, fields read in
// place.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"

namespace tv {

// A record as views into the body (valid only during the callback). `Time` may
// point at a generated local-time text when the body's field was empty.
struct InfoRecordView {
  std::string_view InfoID, City, Type, Content, Tel, QQ, Company, Flag, Deal, Time;
  InfoRecord ToRecord() const;
};
using RecordVisitor = std::function<void(const InfoRecordView&)>;

struct IdPair {
  std::string LogId;
  std::string InfoId;  // may be empty; callers ignore such an identifier
  bool operator==(const IdPair&) const = default;
};

struct CountedPage {
  std::int32_t total = 0;
  std::vector<InfoRecord> records;
};

// True when the body holds an item separator anywhere. "Error", "" and an HTML
// error page are failed answers.
bool HasItems(std::string_view body);
// Total of a counted page ("@@" total "@@" record "@@" ...), records delivered
// to `visit` in body order. The total is not compared with the records.
std::int32_t ParseCountedPage(std::string_view body, const RecordVisitor& visit);
CountedPage ParseCountedPage(std::string_view body);
// Plain pages and new-record bodies ("@@" record "@@" ...).
void ParseRecords(std::string_view body, const RecordVisitor& visit);
std::vector<InfoRecord> ParseRecords(std::string_view body);
// Deleted/closed identifier lists ("@@" logid "||" infoid "@@" ...), body order.
std::vector<IdPair> ParseIdList(std::string_view body);

// GBK-aware search: first position >= from where `needle` (ASCII) starts on a
// character boundary, or npos. `from` must itself be a character boundary.
// Shared by every "@@" / "||" / "@@@@@" split.
std::size_t FindSeparator(std::string_view text, std::string_view needle, std::size_t from = 0);

// The service's "leading digits" number: optional blanks and sign, then
// digits; anything else ends it; no digits gives 0. Saturates at the int32
// limits instead of overflowing.
std::int32_t LeadingInt(std::string_view text);
// A count of the service's answers: the digits the text starts with, nothing
// before them (no blank, no sign); 0 when it does not start with a digit.
// Saturates at the int32 maximum.
std::int32_t LeadingDigits(std::string_view text);

}  // namespace tv

// The login profile, totals, server list and version answers are declared in
// their own headers of this folder (login_answer.h, totals_answer.h,
// server_list.h, version_answer.h).
