#pragma once
// The totals answer of "GetTNums.asp": three numbers, each enclosed by
// "@@@@@". Only the first (messages in the whole country) is shown.
#include <cstdint>
#include <optional>
#include <string_view>

namespace tv {

struct TotalsAnswer {
  std::int32_t national = 0;  // 0 when the first number is missing
  std::int32_t second = 0;
  std::int32_t third = 0;
};

// nullopt for "Error" or an empty answer (the display keeps its value).
std::optional<TotalsAnswer> ParseTotalsAnswer(std::string_view body);

}  // namespace tv
