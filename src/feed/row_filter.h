#pragma once
// The filter of a list: what the member can carry (cargo or trucks, truck
// lengths) and words that must or must not appear. It narrows the rows a
// list already holds and every row that arrives, without asking the server.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

enum class FilterType : std::uint8_t { kAll, kCargo, kTrucks };

// What a row offers the filter, worked out once when the row is written so
// that applying a filter to a million rows reads a few bytes per row.
struct RowTraits {
  // 0 cargo, 1 trucks, 2 anything else ("Type" of the record).
  std::uint8_t type = 2;
  // TruckLengthMask of the content.
  std::uint32_t lengths = 0;
};

RowTraits TraitsOf(std::string_view type, std::string_view content);

struct RowFilter {
  FilterType type = FilterType::kAll;
  // Bits of KnownTruckLengths(); 0: any length. A row passes when it names
  // one of them.
  std::uint32_t lengths = 0;
  // GBK words, as typed; each is normalised like the content before it is
  // looked for (blanks and widths do not matter, ASCII letter case neither).
  std::vector<std::string> must_have;
  std::vector<std::string> must_not_have;

  bool Empty() const {
    return type == FilterType::kAll && lengths == 0 && must_have.empty() && must_not_have.empty();
  }
  friend bool operator==(const RowFilter&, const RowFilter&) = default;
};

// The words of a text box: split at blanks (ASCII and full-width) and at
// commas ("," "，" "、"), empty pieces dropped.
std::vector<std::string> SplitFilterWords(std::string_view gbk);

// A filter ready to test rows: its words normalised once.
class RowFilterTest {
 public:
  explicit RowFilterTest(const RowFilter& filter);
  bool Empty() const { return empty_; }
  // Whether words are looked at (the content is needed).
  bool NeedsText() const { return !must_have_.empty() || !must_not_have_.empty(); }
  // Whether the type and lengths let the row through (no text needed).
  bool PassesTraits(const RowTraits& traits) const;
  // The whole test; `text` and `more` are the row's searchable texts (city
  // and content) as stored (markers and widths are dealt with here).
  bool Passes(const RowTraits& traits, std::string_view text, std::string_view more = {}) const;

 private:
  bool empty_;
  FilterType type_;
  std::uint32_t lengths_;
  std::vector<std::string> must_have_;
  std::vector<std::string> must_not_have_;
  mutable std::string scratch_;
};

}  // namespace tv
