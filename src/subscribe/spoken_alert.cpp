#include "subscribe/spoken_alert.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "core/gbk.h"
#include "subscribe/subscription_match.h"

namespace tv {
namespace {

// The text as its characters (one or two bytes each).
std::vector<std::string_view> Characters(std::string_view gbk) {
  std::vector<std::string_view> out;
  for (std::size_t at = 0; at < gbk.size();) {
    const std::size_t width = CharWidthAt(gbk, at);
    out.push_back(gbk.substr(at, width));
    at += width;
  }
  return out;
}

bool IsDigit(std::string_view ch) { return ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9'; }
bool IsBlank(std::string_view ch) {
  return ch == " " || ch == "\t" || ch == "\r" || ch == "\n" || ch == TV_TEXT("　");
}

// Marks that end a clause, the first the one a cut or a tidy text keeps.
bool IsClauseMark(std::string_view ch) {
  static const std::array<std::string, 9> kMarks = {TV_TEXT("，"), TV_TEXT("。"), TV_TEXT("；"),
                                                    TV_TEXT("！"), TV_TEXT("？"), ",",
                                                    ";",           "!",           "?"};
  return IsBlank(ch) || std::find(kMarks.begin(), kMarks.end(), ch) != kMarks.end();
}

// Runs of clause marks and blanks become their first mark (a mark rather
// than a blank when both are there); none at either end.
std::string Tidy(std::string_view gbk) {
  std::string out;
  std::string pending;
  for (std::string_view ch : Characters(gbk)) {
    if (IsClauseMark(ch)) {
      if (pending.empty() || IsBlank(pending)) pending = std::string(ch);
      continue;
    }
    if (!pending.empty() && !out.empty()) out += IsBlank(pending) ? std::string(" ") : pending;
    pending.clear();
    out += ch;
  }
  return out;
}

std::string Digit(int d) {
  static const std::array<std::string, 10> kDigits = {
      TV_TEXT("零"), TV_TEXT("一"), TV_TEXT("二"), TV_TEXT("三"), TV_TEXT("四"),
      TV_TEXT("五"), TV_TEXT("六"), TV_TEXT("七"), TV_TEXT("八"), TV_TEXT("九")};
  return kDigits[static_cast<std::size_t>(d)];
}

// 1..9999: "一千零五", "三千五百", "一百一十五".
std::string Section(int n) {
  static const std::array<std::string, 4> kUnits = {TV_TEXT("千"), TV_TEXT("百"), TV_TEXT("十"),
                                                    std::string()};
  std::string out;
  bool zero_pending = false;
  int divisor = 1000;
  for (std::size_t place = 0; place < 4; ++place, divisor /= 10) {
    const int d = n / divisor % 10;
    if (d == 0) {
      zero_pending = !out.empty();
      continue;
    }
    if (zero_pending) out += Digit(0);
    zero_pending = false;
    out += Digit(d) + kUnits[place];
  }
  return out;
}

std::string ReadInteger(std::uint64_t n) {
  if (n == 0) return Digit(0);
  std::string out;
  if (n >= 10000) {
    out = Section(static_cast<int>(n / 10000)) + TV_TEXT("万");
    const int rest = static_cast<int>(n % 10000);
    if (rest > 0 && rest < 1000) out += Digit(0);
    if (rest > 0) out += Section(rest);
  } else {
    out = Section(static_cast<int>(n));
  }
  // "十五", not "一十五", at the head of a number.
  if (out.rfind(TV_TEXT("一十"), 0) == 0) out.erase(0, 2);
  return out;
}

std::string DigitByDigit(std::string_view digits) {
  std::string out;
  for (char c : digits) out += Digit(c - '0');
  return out;
}

std::string ReadDigits(std::string_view digits) {
  if (digits.size() > 1 && digits[0] == '0') return DigitByDigit(digits);
  if (digits.size() > 8) return DigitByDigit(digits);
  return ReadInteger(std::stoull(std::string(digits)));
}

// Labels of a telephone number, longest first.
const std::vector<std::string>& TelephoneLabels() {
  static const std::vector<std::string> kLabels = {TV_TEXT("联系电话"),
                                                   TV_TEXT("联系方式"),
                                                   TV_TEXT("电话"),
                                                   TV_TEXT("手机"),
                                                   TV_TEXT("座机"),
                                                   TV_TEXT("微信"),
                                                   TV_TEXT("联系"),
                                                   TV_TEXT("电"),
                                                   "TEL",
                                                   "Tel",
                                                   "tel",
                                                   "QQ",
                                                   "qq"};
  return kLabels;
}

// Whether `text` ends with `tail` starting on a character boundary.
bool EndsWithWhole(std::string_view text, std::string_view tail) {
  if (tail.size() > text.size() || text.substr(text.size() - tail.size()) != tail) return false;
  const std::size_t want = text.size() - tail.size();
  std::size_t at = 0;
  while (at < want) at += CharWidthAt(text, at);
  return at == want;
}

void DropTrailing(std::string& out, bool (*drop)(std::string_view)) {
  for (;;) {
    const auto chars = Characters(out);
    if (chars.empty() || !drop(chars.back())) return;
    out.resize(out.size() - chars.back().size());
  }
}

bool IsBlankOrColon(std::string_view ch) { return IsBlank(ch) || ch == ":" || ch == TV_TEXT("："); }

// The words a route is spoken with and a message begins with.
std::vector<std::string> RouteWords(const std::vector<std::string>& regions) {
  std::vector<std::string> out;
  for (const std::string& region : regions) {
    for (std::string& word : DestinationWords(region)) out.push_back(std::move(word));
    out.push_back(region);
  }
  // Longest first, so "济宁市" is taken whole before "济宁".
  std::sort(out.begin(), out.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return out;
}

// The length of the word of `words` that `text` starts with, 0 for none.
std::size_t StartsWithAny(std::string_view text, const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (!word.empty() && text.substr(0, word.size()) == word) return word.size();
  }
  return 0;
}

// "济宁到北京，..." without its route, which the alert has said already.
std::string_view WithoutRoute(std::string_view content, const Subscription& subscription) {
  std::string_view text = content;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::size_t from = StartsWithAny(text, RouteWords(subscription.departures));
  if (from == 0) return content;
  std::string_view rest = text.substr(from);
  static const std::vector<std::string> kConnectors = {
      TV_TEXT("发往"), TV_TEXT("到"), TV_TEXT("至"), TV_TEXT("去"),
      TV_TEXT("→"),    TV_TEXT("—"),  "->",          "-"};
  const std::size_t connector = StartsWithAny(rest, kConnectors);
  if (connector == 0) return content;
  rest.remove_prefix(connector);
  const std::size_t to = StartsWithAny(rest, RouteWords(subscription.destinations));
  if (to == 0) return content;
  return rest.substr(to);
}

}  // namespace

std::string SpokenRoute(const Subscription& subscription) {
  const auto joined = [](const std::vector<std::string>& regions) {
    std::string out;
    for (const std::string& region : regions) {
      if (!out.empty()) out += TV_TEXT("、");
      out += region;
    }
    return out;
  };
  if (subscription.destinations.empty()) return joined(subscription.departures) + TV_TEXT("出发");
  if (subscription.departures.empty()) return TV_TEXT("到") + joined(subscription.destinations);
  return joined(subscription.departures) + TV_TEXT("到") + joined(subscription.destinations);
}

std::string SpokenKind(std::string_view type) {
  if (type == "0") return TV_TEXT("新货源");
  if (type == "1") return TV_TEXT("新车源");
  return TV_TEXT("新信息");
}

std::string NumbersAsWords(std::string_view gbk) {
  const auto chars = Characters(gbk);
  std::string out;
  for (std::size_t i = 0; i < chars.size();) {
    if (!IsDigit(chars[i])) {
      out += chars[i++];
      continue;
    }
    std::string digits;
    while (i < chars.size() && IsDigit(chars[i])) digits += chars[i++];
    out += ReadDigits(digits);
    if (i + 1 < chars.size() && chars[i] == "." && IsDigit(chars[i + 1])) {
      std::string fraction;
      for (++i; i < chars.size() && IsDigit(chars[i]); ++i) fraction += chars[i];
      out += TV_TEXT("点") + DigitByDigit(fraction);
    }
  }
  return out;
}

std::string WithoutTelephones(std::string_view gbk) {
  const auto chars = Characters(gbk);
  std::string out;
  for (std::size_t i = 0; i < chars.size();) {
    if (!IsDigit(chars[i])) {
      out += chars[i++];
      continue;
    }
    // The run: digits, with "-" or blanks between them.
    std::size_t end = i;
    std::size_t digits = 0;
    for (std::size_t j = i; j < chars.size(); ++j) {
      if (IsDigit(chars[j])) {
        ++digits;
        end = j + 1;
      } else if (!(chars[j] == "-" || chars[j] == " ") || j + 1 >= chars.size() ||
                 !IsDigit(chars[j + 1])) {
        break;
      }
    }
    if (digits < 7) {
      for (; i < end; ++i) out += chars[i];
      continue;
    }
    i = end;
    DropTrailing(out, IsBlankOrColon);
    for (const std::string& label : TelephoneLabels()) {
      if (EndsWithWhole(out, label)) {
        out.resize(out.size() - label.size());
        break;
      }
    }
  }
  return Tidy(out);
}

std::string CutAtClause(std::string_view gbk, std::size_t max_chars) {
  const auto chars = Characters(gbk);
  std::size_t cut = std::min(chars.size(), max_chars);
  if (chars.size() > max_chars) {
    for (std::size_t i = max_chars; i > 0; --i) {
      if (IsClauseMark(chars[i - 1])) {
        cut = i - 1;
        break;
      }
    }
  }
  std::string out;
  for (std::size_t i = 0; i < cut; ++i) out += chars[i];
  return Tidy(out);
}

std::string SpokenMatch(const Subscription& subscription, const InfoRecord& record) {
  const std::string body =
      CutAtClause(NumbersAsWords(WithoutTelephones(WithoutRoute(record.Content, subscription))),
                  kSpokenMaxChars);
  const std::string comma = TV_TEXT("，");
  std::string out = SpokenKind(record.Type) + comma + SpokenRoute(subscription);
  if (!body.empty()) out += comma + body;
  return out;
}

std::string SpokenMatches(const Subscription& subscription,
                          const std::vector<InfoRecord>& records) {
  if (records.empty()) return {};
  if (records.size() == 1) return SpokenMatch(subscription, records.front());
  const bool one_kind = std::all_of(records.begin(), records.end(), [&](const InfoRecord& r) {
    return r.Type == records.front().Type;
  });
  return SpokenRoute(subscription) + " " + SpokenKind(one_kind ? records.front().Type : "") + " " +
         std::to_string(records.size()) + TV_TEXT(" 条");
}

bool InQuietHours(const QuietHours& quiet, int minute_of_day) {
  if (quiet.start_minute == quiet.end_minute) return false;
  if (quiet.start_minute < quiet.end_minute) {
    return minute_of_day >= quiet.start_minute && minute_of_day < quiet.end_minute;
  }
  return minute_of_day >= quiet.start_minute || minute_of_day < quiet.end_minute;
}

std::optional<QuietHours> ParseQuietHours(std::string_view text) {
  const auto minute = [](std::string_view hhmm) -> std::optional<int> {
    if (hhmm.size() != 5 || hhmm[2] != ':') return std::nullopt;
    for (std::size_t i : {0u, 1u, 3u, 4u}) {
      if (hhmm[i] < '0' || hhmm[i] > '9') return std::nullopt;
    }
    const int h = (hhmm[0] - '0') * 10 + (hhmm[1] - '0');
    const int m = (hhmm[3] - '0') * 10 + (hhmm[4] - '0');
    if (h > 23 || m > 59) return std::nullopt;
    return h * 60 + m;
  };
  if (text.size() != 11 || text[5] != '-') return std::nullopt;
  const auto start = minute(text.substr(0, 5));
  const auto end = minute(text.substr(6));
  if (!start || !end) return std::nullopt;
  return QuietHours{*start, *end};
}

std::string QuietHoursText(const QuietHours& quiet) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d-%02d:%02d", quiet.start_minute / 60,
                quiet.start_minute % 60, quiet.end_minute / 60, quiet.end_minute % 60);
  return text;
}

QuietSetting ReadQuietSetting(SubscriptionStore& store) {
  QuietSetting setting;
  if (const auto hours = store.Option("quiet_hours")) {
    if (const auto parsed = ParseQuietHours(*hours)) setting.hours = *parsed;
  }
  setting.on = store.Option("quiet_on").value_or("1") != "0";
  return setting;
}

bool WriteQuietSetting(SubscriptionStore& store, const QuietSetting& setting) {
  return store.SetOption("quiet_hours", QuietHoursText(setting.hours)) &&
         store.SetOption("quiet_on", setting.on ? "1" : "0");
}

}  // namespace tv
