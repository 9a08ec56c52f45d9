#pragma once
// One publication as the forms hand it over, and the texts derived on the way:
// the type name and type code, the history text. GBK throughout.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

// A text with a fixed capacity in bytes, terminator included, as the fields of
// a publication have always been sized. A text that does not fit is refused,
// never cut, and the field keeps what it held.
template <std::size_t Capacity>
class FixedText {
 public:
  static constexpr std::size_t kCapacity = Capacity;
  static constexpr bool Fits(std::string_view text) { return text.size() < Capacity; }

  bool Assign(std::string_view text) {
    if (!Fits(text)) return false;
    text_.assign(text);
    return true;
  }
  const std::string& str() const { return text_; }
  bool empty() const { return text_.empty(); }
  bool operator==(const FixedText&) const = default;

 private:
  std::string text_;
};

// The texts of one publication before they are checked against the fields.
struct PublishFields {
  std::string member_city;
  std::string departure_city;
  std::string content;
  std::string member_number;
  std::string contact_line;
  std::string type_code;
  std::string history_text;
};

struct PublishRecord {
  FixedText<50> member_city;
  FixedText<100> departure_city;
  FixedText<400> content;
  // Room for any 32-bit member number with its sign (ten bytes were too few
  // for numbers of ten digits).
  FixedText<12> member_number;
  FixedText<200> contact_line;
  FixedText<5> type_code;
  FixedText<400> history_text;

  // All seven fields, or nothing when any text does not fit its field.
  static std::optional<PublishRecord> Make(const PublishFields& fields);
  bool operator==(const PublishRecord&) const = default;
};

// The information types of the forms' lists.
struct InfoType {
  std::string name;  // "货源", "车源", or the type text itself
  std::string code;  // "0", "1", or "8" for a type the service does not know
};
// "即时货源"/"长期货源" -> 货源 "0"; "即时车源"/"长期车源" -> 车源 "1"; any
// other text -> that text, "8".
InfoType DeriveInfoType(std::string_view type_text);

// The history text of a message: type name, the full-width colon, content.
std::string HistoryText(std::string_view type_name, std::string_view content);

struct HistoryEntry {
  std::string type_name;  // the first four bytes
  std::string content;    // what follows the colon
};
// A history text back in its parts: four bytes of type name, the full-width
// colon, the content. Nothing for a text that is not of that shape (the
// "Error" of a failed read, a text too short, a colon elsewhere), so such a
// text is never cut in the middle of a character or sent as a message.
std::optional<HistoryEntry> SplitHistoryText(std::string_view text);

// The type code a re-sent history entry carries: "0" for 货源, "1" for 车源,
// "2" for any other name.
std::string LoopTypeCode(std::string_view type_name);

// A history entry taken into a form: the type to select (0 "即时货源",
// 1 "即时车源", none for another name) and the editor's new text (GBK). A
// text not of the history shape goes into the editor whole.
struct HistoryUse {
  std::optional<int> type_index;
  std::string content;
};
HistoryUse PlanUseHistoryText(std::string_view history_text);

}  // namespace tv
