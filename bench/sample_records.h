// Messages of one city for the benchmarks: alternate cargo and trucks, a QQ
// number on two of three, the content given by the caller (UTF-8).
#pragma once

#include <string>
#include <vector>

#include "core/gbk.h"
#include "core/info_record.h"

namespace tv::bench {

inline InfoRecord SampleRecord(int id, const char* content_utf8) {
  InfoRecord r;
  r.InfoID = std::to_string(id);
  r.City = Utf8ToGbk("济宁");
  r.Type = id % 2 == 0 ? "0" : "1";
  r.Content = Utf8ToGbk(content_utf8);
  r.Tel = "13905370000";
  r.QQ = id % 3 == 0 ? "" : "123456";
  r.Company = Utf8ToGbk("济宁某某物流有限公司");
  r.Flag = "77";
  r.Deal = "0";
  r.Time = "2012-03-07 09:05:00";
  return r;
}

// `count` records, newest first, from `first_id` down.
inline std::vector<InfoRecord> SampleRecords(int first_id, int count, const char* content_utf8) {
  std::vector<InfoRecord> out;
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) out.push_back(SampleRecord(first_id - i, content_utf8));
  return out;
}

}  // namespace tv::bench
