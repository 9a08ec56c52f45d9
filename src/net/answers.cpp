#include "net/answers.h"

#include <climits>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/text_time.h"

namespace tv {
namespace {

constexpr std::string_view kItemSep = "@@";
constexpr std::string_view kFieldSep = "||";

// A byte that can open a double-byte character. Any byte outside this range
// ends a character (it is a single byte or a trail byte), so a run of such
// bytes pairs up from its start.
inline bool IsHighByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Whether `pos` starts a character, given that `known` (<= pos) does. Only the
// run of high bytes just before `pos` matters: it starts on a boundary and
// pairs up, so an odd run leaves `pos` as the trail of its last pair.
inline bool IsBoundary(std::string_view text, std::size_t known, std::size_t pos) {
  std::size_t run = 0;
  while (pos - run > known && IsHighByte(static_cast<unsigned char>(text[pos - run - 1]))) ++run;
  return run % 2 == 0;
}

// First occurrence of `c` in [p, end), or end. Inline 16-byte compares:
// the gaps between separators are short, where a library call costs more
// than the search.
inline const char* FindByte(const char* p, const char* end, char c) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  for (; end - p >= 16; p += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; p < end; ++p) {
    if (*p == c) return p;
  }
  return end;
}

inline std::size_t FindSep(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty() || from > text.size() || needle.size() > text.size() - from) {
    return std::string_view::npos;
  }
  const std::size_t last_start = text.size() - needle.size();
  const char* const base = text.data();
  const char* const scan_end = base + last_start + 1;
  std::size_t known = from;  // a character boundary at or before the next candidate
  const char* p = base + from;
  while (p < scan_end) {
    p = FindByte(p, scan_end, needle[0]);
    if (p == scan_end) break;
    const auto candidate = static_cast<std::size_t>(p - base);
    // Needles are at most five bytes: a library memcmp costs more than this.
    std::size_t matched = 1;
    while (matched < needle.size() && p[matched] == needle[matched]) ++matched;
    if (matched == needle.size() && IsBoundary(text, known, candidate)) return candidate;
    // The candidate byte is ASCII or a trail byte: either way it ends a character.
    known = candidate + 1;
    ++p;
  }
  return std::string_view::npos;
}

// Walks the items of a body from the separator at `first`, handing each
// non-empty item (the text strictly between two separators) to `visit`.
template <typename Visit>
void WalkItems(std::string_view body, std::size_t first, Visit&& visit) {
  std::size_t p = first;
  while (p != std::string_view::npos && p + kItemSep.size() < body.size()) {
    const std::size_t next = FindSep(body, kItemSep, p + kItemSep.size());
    if (next == std::string_view::npos) return;  // the unterminated tail is not an item
    const std::size_t begin = p + kItemSep.size();
    if (next > begin) visit(body.substr(begin, next - begin));
    p = next;
  }
}

bool HasSingleSeparatorChar(std::string_view field) {
  return FindSep(field, "@", 0) != std::string_view::npos ||
         FindSep(field, "|", 0) != std::string_view::npos;
}

// Splits one record item. False when the item fails a field test.
bool SplitRecord(std::string_view item, InfoRecordView& out) {
  std::string_view* const fields[] = {&out.InfoID, &out.City,    &out.Type, &out.Content, &out.Tel,
                                      &out.QQ,     &out.Company, &out.Flag, &out.Deal};
  std::size_t start = 0;
  for (std::string_view* field : fields) {
    const std::size_t sep = FindSep(item, kFieldSep, start);
    if (sep == std::string_view::npos) return false;
    *field = item.substr(start, sep - start);
    start = sep + kFieldSep.size();
  }
  out.Time = item.substr(start);  // the whole rest, "||" included
  if (out.InfoID.empty() || HasSingleSeparatorChar(out.InfoID)) return false;
  return !out.City.empty() && !out.Type.empty() && !out.Content.empty() && !out.Tel.empty() &&
         !out.Flag.empty() && !out.Deal.empty();
}

// Delivers the records of the items that follow the separator at `first`.
// The replacement time is made once per body, only when a record needs it.
void VisitRecords(std::string_view body, std::size_t first, const RecordVisitor& visit) {
  std::string now;
  WalkItems(body, first, [&](std::string_view item) {
    InfoRecordView record;
    if (!SplitRecord(item, record)) return;
    if (record.Time.empty()) {
      if (now.empty()) now = TimeTextNow();
      record.Time = now;
    }
    visit(record);
  });
}

}  // namespace

std::size_t FindSeparator(std::string_view text, std::string_view needle, std::size_t from) {
  return FindSep(text, needle, from);
}

std::int32_t LeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;  // saturated below
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<std::int32_t>(value);
}

std::int32_t LeadingDigits(std::string_view text) {
  long long value = 0;
  for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) return INT_MAX;
  }
  return static_cast<std::int32_t>(value);
}

InfoRecord InfoRecordView::ToRecord() const {
  return InfoRecord{std::string(InfoID),  std::string(City), std::string(Type),
                    std::string(Content), std::string(Tel),  std::string(QQ),
                    std::string(Company), std::string(Flag), std::string(Deal),
                    std::string(Time)};
}

bool HasItems(std::string_view body) {
  return FindSeparator(body, kItemSep) != std::string_view::npos;
}

std::int32_t ParseCountedPage(std::string_view body, const RecordVisitor& visit) {
  // The page opens with "@@" and the total; the records begin at the next "@@".
  if (body.size() < kItemSep.size()) return 0;
  const std::size_t first = FindSeparator(body, kItemSep, kItemSep.size());
  if (first == std::string_view::npos) return 0;
  const std::int32_t total = LeadingDigits(body.substr(kItemSep.size(), first - kItemSep.size()));
  VisitRecords(body, first, visit);
  return total;
}

CountedPage ParseCountedPage(std::string_view body) {
  CountedPage page;
  page.total = ParseCountedPage(
      body, [&](const InfoRecordView& record) { page.records.push_back(record.ToRecord()); });
  return page;
}

void ParseRecords(std::string_view body, const RecordVisitor& visit) {
  const std::size_t first = FindSeparator(body, kItemSep);
  if (first != std::string_view::npos) VisitRecords(body, first, visit);
}

std::vector<InfoRecord> ParseRecords(std::string_view body) {
  std::vector<InfoRecord> records;
  ParseRecords(body, [&](const InfoRecordView& record) { records.push_back(record.ToRecord()); });
  return records;
}

std::vector<IdPair> ParseIdList(std::string_view body) {
  std::vector<IdPair> pairs;
  const std::size_t first = FindSeparator(body, kItemSep);
  if (first == std::string_view::npos) return pairs;
  WalkItems(body, first, [&](std::string_view item) {
    // An item without "||" is all log identifier and has no information id.
    const std::size_t sep = FindSeparator(item, kFieldSep);
    const std::string_view log_id = item.substr(0, sep);
    const std::string_view info_id =
        sep == std::string_view::npos ? std::string_view() : item.substr(sep + kFieldSep.size());
    if (log_id.empty() || HasSingleSeparatorChar(log_id)) return;
    pairs.push_back(IdPair{std::string(log_id), std::string(info_id)});
  });
  return pairs;
}

}  // namespace tv
