// The console's health page and /metrics: answers by page and status, answer
// times, connections, publications per hour, members seen, the store. The
// page draws its charts as inline SVG and reloads itself every 10 seconds.
#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "admin_console.h"
#include "core/gbk.h"
#include "web_form.h"

namespace tv {
namespace {

constexpr int kRefreshSeconds = 10;
constexpr std::time_t kSeenWindow = 5 * 60;
constexpr int kHours = 24;

std::string Fixed(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits, v);
  return buf;
}

std::string Number(double v) {
  if (std::isinf(v)) return "+Inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// Horizontal bars, one a row, with the value at the end.
std::string SvgBars(const std::string& title,
                    const std::vector<std::pair<std::string, double>>& rows, int digits) {
  constexpr int kLabel = 230, kBar = 260, kRow = 18;
  double top = 0;
  for (const auto& r : rows) top = std::max(top, r.second);
  const int height = kRow * static_cast<int>(std::max<std::size_t>(rows.size(), 1)) + 4;
  std::string svg = "<div class=\"chart\"><b>" + title +
                    "</b><br><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(kLabel + kBar + 70) + "\" height=\"" + std::to_string(height) +
                    "\" role=\"img\" aria-label=\"" + HtmlEscape(title) + "\">";
  int y = 2;
  for (const auto& [label, value] : rows) {
    const int w = top > 0 ? static_cast<int>(std::lround(value / top * kBar)) : 0;
    svg += "<text x=\"" + std::to_string(kLabel - 4) + "\" y=\"" + std::to_string(y + 13) +
           "\" font-size=\"11\" text-anchor=\"end\">" + HtmlEscape(label) + "</text><rect x=\"" +
           std::to_string(kLabel) + "\" y=\"" + std::to_string(y + 2) + "\" width=\"" +
           std::to_string(w) + "\" height=\"" + std::to_string(kRow - 5) +
           "\" fill=\"#3d7cc9\"/><text x=\"" + std::to_string(kLabel + w + 4) + "\" y=\"" +
           std::to_string(y + 13) + "\" font-size=\"11\">" + Fixed(value, digits) + "</text>";
    y += kRow;
  }
  if (rows.empty()) svg += "<text x=\"4\" y=\"14\" font-size=\"11\">（暂无）</text>";
  return svg + "</svg></div>";
}

// Publications per hour over the last day, cargo and trucks stacked.
std::string SvgHours(const std::vector<HourCount>& counts, std::time_t first_hour) {
  constexpr int kWidth = 24 * 20, kHeight = 120, kBase = 130;
  std::vector<std::array<std::int64_t, 3>> per(kHours, {0, 0, 0});
  std::int64_t top = 1;
  for (const auto& c : counts) {
    const auto i = (c.hour - first_hour) / 3600;
    if (i < 0 || i >= kHours) continue;
    per[static_cast<std::size_t>(i)][c.type == 0 ? 0 : c.type == 1 ? 1 : 2] += c.count;
  }
  for (const auto& p : per) top = std::max(top, p[0] + p[1] + p[2]);
  static constexpr const char* kColors[] = {"#3d7cc9", "#e08a1e", "#999999"};
  std::string svg =
      "<div class=\"chart\"><b>近 24 小时每小时发布（蓝：货源，橙：车源，灰：其他；最高 " +
      std::to_string(top) + " 条）</b><br><svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
      std::to_string(kWidth + 10) + "\" height=\"" + std::to_string(kBase + 16) +
      "\" role=\"img\" aria-label=\"每小时发布\">";
  for (int h = 0; h < kHours; ++h) {
    double y = kBase;
    for (int t = 0; t < 3; ++t) {
      const double hgt =
          static_cast<double>(per[static_cast<std::size_t>(h)][static_cast<std::size_t>(t)]) *
          kHeight / static_cast<double>(top);
      if (hgt <= 0) continue;
      y -= hgt;
      svg += "<rect x=\"" + std::to_string(5 + h * 20) + "\" y=\"" + Fixed(y, 1) +
             "\" width=\"16\" height=\"" + Fixed(hgt, 1) + "\" fill=\"" + kColors[t] + "\"/>";
    }
    if (h % 3 == 0) {
      const std::time_t at = first_hour + static_cast<std::time_t>(h) * 3600;
      std::tm tm{};
      localtime_r(&at, &tm);
      svg += "<text x=\"" + std::to_string(5 + h * 20) + "\" y=\"" + std::to_string(kBase + 13) +
             "\" font-size=\"10\">" + std::to_string(tm.tm_hour) + "时</text>";
    }
  }
  svg += "<line x1=\"0\" y1=\"" + std::to_string(kBase) + "\" x2=\"" + std::to_string(kWidth + 10) +
         "\" y2=\"" + std::to_string(kBase) + "\" stroke=\"#555\"/>";
  return svg + "</svg></div>";
}

std::string TypeLabel(int type) {
  if (type == 0) return "cargo";
  if (type == 1) return "trucks";
  return "other";
}

std::string Bytes(std::int64_t n) {
  if (n >= 1 << 20) return Fixed(static_cast<double>(n) / (1 << 20), 1) + " MiB";
  if (n >= 1 << 10) return Fixed(static_cast<double>(n) / (1 << 10), 1) + " KiB";
  return std::to_string(n) + " B";
}

}  // namespace

Answer AdminConsole::Health(const Session& s) {
  const auto now = std::chrono::steady_clock::now();
  const ServiceMetrics::Snapshot snap = metrics_.Take();
  ServiceMetrics::Snapshot before;
  double seconds = 0;
  {
    std::lock_guard lock(rate_mutex_);
    before = last_snapshot_;
    seconds = std::chrono::duration<double>(now - last_time_).count();
    last_snapshot_ = snap;
    last_time_ = now;
  }
  seconds = std::max(seconds, 0.001);
  std::vector<std::pair<std::string, double>> rates, statuses;
  for (std::size_t i = 0; i < snap.by_page.size(); ++i) {
    const auto prev = i < before.by_page.size() ? before.by_page[i].second : 0;
    const double rate = static_cast<double>(snap.by_page[i].second - prev) / seconds;
    if (snap.by_page[i].second > 0) rates.emplace_back(snap.by_page[i].first, rate);
  }
  for (const auto& [status, n] : snap.by_status) {
    statuses.emplace_back(std::to_string(status), static_cast<double>(n));
  }
  const ConnectionFigures conn = connections_ ? connections_() : ConnectionFigures{};
  const std::time_t wall = std::time(nullptr);
  const std::time_t first_hour = wall - wall % 3600 - (kHours - 1) * 3600;
  const StoreFigures store = store_.Figures();
  std::string store_text = store.file_bytes >= 0
                               ? "SQLite 文件 " + Bytes(store.file_bytes)
                               : "PostgreSQL 连接池：使用中 " + std::to_string(store.pool_in_use) +
                                     "，空闲 " + std::to_string(store.pool_idle);
  std::string body =
      "<p>每 " + std::to_string(kRefreshSeconds) + " 秒自动刷新；速率为上次查看以来（" +
      Fixed(seconds, 0) + " 秒）的平均值。</p><table><tr><th>应答时间 p50</th><td>" +
      Fixed(snap.Quantile(0.5) * 1000, 2) + " ms</td><th>p99</th><td>" +
      Fixed(snap.Quantile(0.99) * 1000, 2) + " ms</td></tr><tr><th>打开的连接</th><td>" +
      std::to_string(conn.open) + "</td><th>因过慢关闭的连接（累计）</th><td>" +
      std::to_string(conn.slow_closed) + "</td></tr><tr><th>近 5 分钟活动的会员</th><td>" +
      std::to_string(store_.MembersSeenSince(wall - kSeenWindow)) + "</td><th>存储</th><td>" +
      store_text + "</td></tr><tr><th>应答总数</th><td>" + std::to_string(snap.count) +
      "</td><th>每日发布上限</th><td>" + std::to_string(options_.quota) + "</td></tr></table>";
  body += SvgBars("每秒请求数（按页面）", rates, 2);
  body += SvgBars("应答（按状态，累计）", statuses, 0);
  body += SvgHours(store_.PublicationsPerHour(first_hour), first_hour);
  Answer a = Frame(s, "运行状况", body);
  a.extra_header += "\r\nRefresh: " + std::to_string(kRefreshSeconds);
  return a;
}

std::string AdminConsole::MetricsText() {
  const ServiceMetrics::Snapshot snap = metrics_.Take();
  std::string out;
  const auto family = [&out](const char* name, const char* type, const char* help) {
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  };
  family("tarvolo_requests_total", "counter", "Answers written, by page.");
  for (const auto& [page, n] : snap.by_page) {
    out += "tarvolo_requests_total{page=\"" + page + "\"} " + std::to_string(n) + "\n";
  }
  family("tarvolo_responses_total", "counter", "Answers written, by HTTP status.");
  for (const auto& [status, n] : snap.by_status) {
    out += "tarvolo_responses_total{code=\"" + std::to_string(status) + "\"} " + std::to_string(n) +
           "\n";
  }
  family("tarvolo_request_duration_seconds", "histogram",
         "Time from a request's arrival to its answer.");
  std::uint64_t cumulative = 0;
  const auto& bounds = ServiceMetrics::BucketBounds();
  for (std::size_t i = 0; i < bounds.size(); ++i) {
    cumulative += snap.buckets[i];
    out += "tarvolo_request_duration_seconds_bucket{le=\"" + Number(bounds[i]) + "\"} " +
           std::to_string(cumulative) + "\n";
  }
  out += "tarvolo_request_duration_seconds_sum " + Number(snap.seconds_sum) + "\n";
  out += "tarvolo_request_duration_seconds_count " + std::to_string(snap.count) + "\n";
  const ConnectionFigures conn = connections_ ? connections_() : ConnectionFigures{};
  family("tarvolo_open_connections", "gauge", "Connections open on the public address.");
  out += "tarvolo_open_connections " + std::to_string(conn.open) + "\n";
  family("tarvolo_slow_connections_closed_total", "counter",
         "Connections closed because their request did not arrive in time.");
  out += "tarvolo_slow_connections_closed_total " + std::to_string(conn.slow_closed) + "\n";
  const std::time_t wall = std::time(nullptr);
  family("tarvolo_publications_last_24h", "gauge", "Messages published in the last 24 hours.");
  std::map<std::string, std::int64_t> by_type = {{"cargo", 0}, {"trucks", 0}, {"other", 0}};
  for (const auto& c : store_.PublicationsPerHour(wall - 24 * 3600))
    by_type[TypeLabel(c.type)] += c.count;
  for (const auto& [type, n] : by_type) {
    out += "tarvolo_publications_last_24h{type=\"" + type + "\"} " + std::to_string(n) + "\n";
  }
  family("tarvolo_members_seen_5m", "gauge", "Members who logged in or published in 5 minutes.");
  out += "tarvolo_members_seen_5m " + std::to_string(store_.MembersSeenSince(wall - kSeenWindow)) +
         "\n";
  const StoreFigures store = store_.Figures();
  if (store.file_bytes >= 0) {
    family("tarvolo_store_file_bytes", "gauge", "Size of the SQLite file and its write-ahead log.");
    out += "tarvolo_store_file_bytes " + std::to_string(store.file_bytes) + "\n";
  }
  family("tarvolo_store_pool_connections", "gauge", "Database connections of the store's pool.");
  out += "tarvolo_store_pool_connections{state=\"in_use\"} " + std::to_string(store.pool_in_use) +
         "\n";
  out += "tarvolo_store_pool_connections{state=\"idle\"} " + std::to_string(store.pool_idle) + "\n";
  return out;
}

}  // namespace tv
