#pragma once
// Parsers for every answer of the service. "@@" separates items, "||" fields;
// separators are found character by character in GBK (a 0x40 or 0x7C trail byte
// never matches). Pure functions, one forward pass, fields read in place.
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
  std::string InfoId;
  bool operator==(const IdPair&) const = default;
};

struct CountedPage {
  std::int32_t total = 0;
  std::vector<InfoRecord> records;
};

bool HasItems(std::string_view body);
// Total of a counted page, records delivered to `visit` in body order.
std::int32_t ParseCountedPage(std::string_view body, const RecordVisitor& visit);
CountedPage ParseCountedPage(std::string_view body);
void ParseRecords(std::string_view body, const RecordVisitor& visit);
std::vector<InfoRecord> ParseRecords(std::string_view body);
std::vector<IdPair> ParseIdList(std::string_view body);

// GBK-aware search: first position >= from where `needle` (ASCII) starts on a
// character boundary, or npos. Shared by every "@@"/"||"/"@@@@@" split.
std::size_t FindSeparator(std::string_view text, std::string_view needle, std::size_t from = 0);

}  // namespace tv

// The login profile, totals, server list and version answers are declared in
// their own headers of this folder (login_answer.h, totals_answer.h,
// server_list.h, version_answer.h).
