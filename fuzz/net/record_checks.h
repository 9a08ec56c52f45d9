#pragma once
// What every delivered record must satisfy, whatever the body was.
#include <cstdlib>
#include <string_view>

#include "net/answers.h"

namespace tv::fuzz {

inline bool Within(std::string_view body, std::string_view field) {
  return field.empty() ||
         (field.data() >= body.data() && field.data() + field.size() <= body.data() + body.size());
}

inline void CheckRecord(std::string_view body, const InfoRecordView& r) {
  if (r.InfoID.empty() || r.City.empty() || r.Type.empty() || r.Content.empty() || r.Tel.empty() ||
      r.Flag.empty() || r.Deal.empty() || r.Time.empty()) {
    std::abort();
  }
  if (FindSeparator(r.InfoID, "@") != std::string_view::npos ||
      FindSeparator(r.InfoID, "|") != std::string_view::npos) {
    std::abort();
  }
  for (std::string_view field :
       {r.InfoID, r.City, r.Type, r.Content, r.Tel, r.QQ, r.Company, r.Flag, r.Deal}) {
    if (!Within(body, field) || FindSeparator(field, "||") != std::string_view::npos) std::abort();
  }
}

}  // namespace tv::fuzz
