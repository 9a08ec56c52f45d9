#include "net/totals_answer.h"

#include "core/gbk.h"
#include "net/answers.h"

namespace tv {

std::optional<TotalsAnswer> ParseTotalsAnswer(std::string_view body) {
  if (body.empty() || body == kError) return std::nullopt;
  constexpr std::string_view kSep = "@@@@@";
  TotalsAnswer totals;
  std::int32_t* const numbers[] = {&totals.national, &totals.second, &totals.third};
  std::size_t sep = FindSeparator(body, kSep);
  for (std::int32_t* number : numbers) {
    if (sep == std::string_view::npos) break;
    const std::size_t begin = sep + kSep.size();
    sep = FindSeparator(body, kSep, begin);
    if (sep == std::string_view::npos) break;
    if (sep > begin) *number = LeadingInt(body.substr(begin, sep - begin));
  }
  return totals;
}

}  // namespace tv
