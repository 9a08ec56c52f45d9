#include "publish/publish_record.h"

#include "core/gbk.h"

namespace tv {

std::optional<PublishRecord> PublishRecord::Make(const PublishFields& fields) {
  PublishRecord record;
  if (!record.member_city.Assign(fields.member_city) ||
      !record.departure_city.Assign(fields.departure_city) ||
      !record.content.Assign(fields.content) ||
      !record.member_number.Assign(fields.member_number) ||
      !record.contact_line.Assign(fields.contact_line) ||
      !record.type_code.Assign(fields.type_code) ||
      !record.history_text.Assign(fields.history_text)) {
    return std::nullopt;
  }
  return record;
}

InfoType DeriveInfoType(std::string_view type_text) {
  if (type_text == TV_TEXT("即时货源") || type_text == TV_TEXT("长期货源"))
    return {TV_TEXT("货源"), "0"};
  if (type_text == TV_TEXT("即时车源") || type_text == TV_TEXT("长期车源"))
    return {TV_TEXT("车源"), "1"};
  return {std::string(type_text), "8"};
}

std::string HistoryText(std::string_view type_name, std::string_view content) {
  std::string text(type_name);
  text += TV_TEXT("：");
  text += content;
  return text;
}

std::optional<HistoryEntry> SplitHistoryText(std::string_view text) {
  constexpr std::size_t kNameBytes = 4;
  const std::string& colon = TV_TEXT("：");
  if (text == kError || text.size() < kNameBytes + colon.size()) return std::nullopt;
  // The name must end on a character boundary, or the "colon" found after it
  // would be the tail of one character and the head of the next.
  std::size_t pos = 0;
  while (pos < kNameBytes) pos += IsLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
  if (pos != kNameBytes || text.substr(kNameBytes, colon.size()) != colon) return std::nullopt;
  return HistoryEntry{std::string(text.substr(0, kNameBytes)),
                      std::string(text.substr(kNameBytes + colon.size()))};
}

std::string LoopTypeCode(std::string_view type_name) {
  if (type_name == TV_TEXT("货源")) return "0";
  if (type_name == TV_TEXT("车源")) return "1";
  return "2";
}

HistoryUse PlanUseHistoryText(std::string_view history_text) {
  const std::optional<HistoryEntry> entry = SplitHistoryText(history_text);
  if (!entry) return {std::nullopt, std::string(history_text)};
  HistoryUse use{std::nullopt, entry->content};
  if (entry->type_name == TV_TEXT("货源")) use.type_index = 0;
  if (entry->type_name == TV_TEXT("车源")) use.type_index = 1;
  return use;
}

}  // namespace tv
