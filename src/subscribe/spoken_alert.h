#pragma once
// What a spoken alert says: a match in a short form a driver takes in
// without looking ("新货源，济宁到北京，钢材二十吨，求九米六平板"): its kind,
// the route, then the message with its telephone numbers dropped, its
// numbers read as words and, when long, cut at the end of a clause. A burst
// is one sentence with the count ("济宁到北京 新货源 12 条"), never a queue.
// Quiet hours silence sound and speech. GBK in, GBK out.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/info_record.h"
#include "subscribe/subscription.h"
#include "subscribe/subscription_store.h"

namespace tv {

// The longest message part of a spoken match, in characters, before it is
// cut: with the kind and the route about ten seconds of speech.
inline constexpr std::size_t kSpokenMaxChars = 24;

// "济宁到北京"; "济宁出发" without a destination, "到北京" without a
// departure; several regions joined by "、".
std::string SpokenRoute(const Subscription& subscription);
// "新货源", "新车源", or "新信息" for other kinds and mixed bursts.
std::string SpokenKind(std::string_view type);

// Digits read as Chinese numbers: "20" 二十, "9.6" 九点六, "105" 一百零五;
// a number with a leading zero or more than eight digits digit by digit.
std::string NumbersAsWords(std::string_view gbk);
// Telephone numbers (seven digits or more, "-" and blanks between them
// allowed) dropped with the label in front of them ("电话", "手机", "QQ" ...).
std::string WithoutTelephones(std::string_view gbk);
// The text cut after the last clause mark within `max_chars` characters
// (a hard cut when there is none); marks at the end dropped.
std::string CutAtClause(std::string_view gbk, std::size_t max_chars);

// One match of the subscription.
std::string SpokenMatch(const Subscription& subscription, const InfoRecord& record);
// What one poll answer of a subscription says: the match itself for one,
// one sentence with the count for more.
std::string SpokenMatches(const Subscription& subscription, const std::vector<InfoRecord>& records);

// Quiet hours, minutes of the day; the span may pass midnight
// (22:00-06:00). The end minute is no longer quiet; equal ends are never
// quiet.
struct QuietHours {
  int start_minute = 22 * 60;
  int end_minute = 6 * 60;
  friend bool operator==(const QuietHours&, const QuietHours&) = default;
};
bool InQuietHours(const QuietHours& quiet, int minute_of_day);
// "22:00-06:00"; nothing for anything else.
std::optional<QuietHours> ParseQuietHours(std::string_view text);
std::string QuietHoursText(const QuietHours& quiet);

// The member's quiet hours, kept with the subscriptions: on by default,
// 22:00 to 06:00.
struct QuietSetting {
  bool on = true;
  QuietHours hours;
};
QuietSetting ReadQuietSetting(SubscriptionStore& store);
bool WriteQuietSetting(SubscriptionStore& store, const QuietSetting& setting);

}  // namespace tv
