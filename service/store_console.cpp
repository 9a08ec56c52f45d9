// What the member pages and the operator's console ask of the store: a
// member's own messages, searches, rights, operators, their sessions and the
// audit log, and the figures of the health page.
#include <sys/stat.h>

#include "store.h"
#include "store_rows.h"
#include "text_match.h"

namespace tv {
namespace {

using store_rows::kMemberColumns;
using store_rows::kMessageColumns;

// Parameters: ?1 words, ?2 flag, ?3 city, ?4 type, ?5 from, ?6 to; ?7 and
// ?8 offset and limit follow the clause.
std::string SearchWhere(const MessageSearch& f) {
  std::string w = f.with_deleted ? " WHERE deleted < 2" : " WHERE deleted = 0";
  if (!f.words.empty()) w += " AND tv_names_any(content, ?1)";
  if (f.flag) w += " AND flag = ?2";
  if (!f.city.empty()) w += " AND (city = ?3 OR start_city = ?3)";
  if (f.type) w += " AND type = ?4";
  if (f.from) w += " AND created >= ?5";
  if (f.to) w += " AND created < ?6";
  return w;
}

void BindSearch(SqlStmt& s, const MessageSearch& f) {
  if (!f.words.empty()) s.Bind(1, f.words);
  if (f.flag) s.Bind(2, *f.flag);
  if (!f.city.empty()) s.Bind(3, f.city);
  if (f.type) s.Bind(4, std::int64_t{*f.type});
  if (f.from) s.Bind(5, std::int64_t{f.from});
  if (f.to) s.Bind(6, std::int64_t{f.to});
}

// Members: ?1 the words over the searchable columns.
constexpr char kMemberText[] =
    "(username || ' ' || real_name || ' ' || company || ' ' || city || ' ' || phone || ' ' || "
    "mobile)";

std::string MemberWhere(const std::string& words) {
  return words.empty() ? std::string()
                       : std::string(" WHERE tv_names_any(") + kMemberText + ", ?1)";
}

}  // namespace

std::optional<MessageRow> ServiceStore::FindMessage(std::int64_t id) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, std::string(kMessageColumns) + " WHERE id = ?1");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return store_rows::ReadMessage(s);
}

std::vector<MessageRow> ServiceStore::MemberMessages(std::int64_t flag, std::int64_t offset,
                                                     int limit) {
  MessageSearch f;
  f.flag = flag;
  f.with_deleted = true;
  return SearchMessages(f, offset, limit);
}

std::int64_t ServiceStore::CountMemberMessages(std::int64_t flag) {
  MessageSearch f;
  f.flag = flag;
  f.with_deleted = true;
  return CountSearch(f);
}

std::time_t ServiceStore::LastPublished(std::int64_t flag) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COALESCE(MAX(created), 0) FROM messages WHERE flag = ?1");
  s.Bind(1, flag);
  return s.Step() ? static_cast<std::time_t>(s.Int(0)) : 0;
}

std::vector<MessageRow> ServiceStore::SearchMessages(const MessageSearch& search,
                                                     std::int64_t offset, int limit) {
  std::vector<MessageRow> rows;
  auto db = pool_.Acquire();
  if (!db.valid()) return rows;
  SqlStmt s(*db, kMessageColumns + SearchWhere(search) + " ORDER BY id DESC LIMIT ?8 OFFSET ?7");
  BindSearch(s, search);
  s.Bind(7, offset).Bind(8, std::int64_t{limit});
  while (s.Step()) rows.push_back(store_rows::ReadMessage(s));
  return rows;
}

std::int64_t ServiceStore::CountSearch(const MessageSearch& search) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COUNT(*) FROM messages" + SearchWhere(search));
  BindSearch(s, search);
  return s.Step() ? s.Int(0) : 0;
}

std::vector<MemberListRow> ServiceStore::SearchMembers(const std::string& words,
                                                       std::int64_t offset, int limit) {
  std::vector<MemberListRow> rows;
  auto db = pool_.Acquire();
  if (!db.valid()) return rows;
  // The count of today's messages comes with each row (the flag index).
  const std::string sql =
      std::string(kMemberColumns) + MemberWhere(words) + " ORDER BY id LIMIT ?3 OFFSET ?2";
  SqlStmt s(*db, sql);
  if (!words.empty()) s.Bind(1, words);
  s.Bind(2, offset).Bind(3, std::int64_t{limit});
  while (s.Step()) rows.push_back({store_rows::ReadMember(s), 0});
  const std::int64_t midnight = store_rows::LocalMidnight(std::time(nullptr));
  for (auto& row : rows) {
    SqlStmt c(*db, "SELECT COUNT(*) FROM messages WHERE flag = ?1 AND created >= ?2");
    c.Bind(1, row.member.id).Bind(2, midnight);
    if (c.Step()) row.today = c.Int(0);
  }
  return rows;
}

std::int64_t ServiceStore::CountMembers(const std::string& words) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COUNT(*) FROM members" + MemberWhere(words));
  if (!words.empty()) s.Bind(1, words);
  return s.Step() ? s.Int(0) : 0;
}

std::optional<Member> ServiceStore::FindMemberByName(const std::string& username) {
  auto found = FindLogin(username);
  if (!found) return std::nullopt;
  return found->first;
}

bool ServiceStore::UpdateMemberRights(const Member& m) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt s(*writer,
            "UPDATE members SET approved = ?2, disabled = ?3, publish_right = ?4, "
            "contact_right = ?5, contact_wait_flag = ?6, contact_wait_seconds = ?7, "
            "publish_wait_seconds = ?8, daily_quota = ?9, info_num = ?10, member_status = ?11 "
            "WHERE id = ?1");
  s.Bind(1, m.id).Bind(2, std::int64_t{m.approved}).Bind(3, std::int64_t{m.disabled});
  s.Bind(4, std::int64_t{m.publish_right}).Bind(5, std::int64_t{m.contact_right});
  s.Bind(6, std::int64_t{m.contact_wait_flag}).Bind(7, std::int64_t{m.contact_wait_seconds});
  s.Bind(8, std::int64_t{m.publish_wait_seconds}).Bind(9, std::int64_t{m.daily_quota});
  s.Bind(10, std::int64_t{m.info_num}).Bind(11, std::int64_t{m.member_status});
  if (!s.Run() || s.Changes() != 1) return false;
  if (m.disabled) {
    SqlStmt gone(*writer, "DELETE FROM sessions WHERE member = ?1");
    gone.Bind(1, m.id);
    return gone.Run();
  }
  return true;
}

bool ServiceStore::SetMemberPassword(std::int64_t id, const std::string& password_hash) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt s(*writer, "UPDATE members SET pass_hash = ?2 WHERE id = ?1");
  s.Bind(1, id).Bind(2, password_hash);
  if (!s.Run() || s.Changes() != 1) return false;
  SqlStmt gone(*writer, "DELETE FROM sessions WHERE member = ?1");
  gone.Bind(1, id);
  return gone.Run();
}

void ServiceStore::NoteLogin(std::int64_t id) {
  auto writer = Writer();
  if (!writer.valid()) return;
  SqlStmt s(*writer, "UPDATE members SET last_login = ?2 WHERE id = ?1");
  s.Bind(1, id).Bind(2, std::int64_t{std::time(nullptr)});
  s.Run();
}

bool ServiceStore::AddOperator(const std::string& name, const std::string& password_hash) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt s(*writer,
            "INSERT INTO operators(name, pass_hash, created) VALUES(?1, ?2, ?3) "
            "ON CONFLICT DO NOTHING");
  s.Bind(1, name).Bind(2, password_hash).Bind(3, std::int64_t{std::time(nullptr)});
  return s.Run() && s.Changes() == 1;
}

bool ServiceStore::RemoveOperator(const std::string& name) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt gone(*writer, "DELETE FROM operator_sessions WHERE op_name = ?1");
  gone.Bind(1, name);
  if (!gone.Run()) return false;
  SqlStmt s(*writer, "DELETE FROM operators WHERE name = ?1");
  s.Bind(1, name);
  return s.Run() && s.Changes() == 1;
}

std::vector<std::pair<std::string, std::time_t>> ServiceStore::Operators() {
  std::vector<std::pair<std::string, std::time_t>> out;
  auto db = pool_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db, "SELECT name, created FROM operators ORDER BY name");
  while (s.Step()) out.emplace_back(s.Text(0), static_cast<std::time_t>(s.Int(1)));
  return out;
}

std::optional<std::string> ServiceStore::OperatorHash(const std::string& name) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, "SELECT pass_hash FROM operators WHERE name = ?1");
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return s.Text(0);
}

bool ServiceStore::AddOperatorSession(const std::string& name, const std::string& key_hash,
                                      std::time_t expires) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt gone(*writer, "DELETE FROM operator_sessions WHERE expires <= ?1");
  gone.Bind(1, std::int64_t{std::time(nullptr)});
  if (!gone.Run()) return false;
  SqlStmt s(*writer,
            "INSERT INTO operator_sessions(key_hash, op_name, expires) VALUES(?1, ?2, ?3)");
  s.Bind(1, key_hash).Bind(2, name).Bind(3, std::int64_t{expires});
  return s.Run() && s.Changes() == 1;
}

std::optional<std::string> ServiceStore::TouchOperatorSession(const std::string& key_hash,
                                                              std::time_t now, std::time_t idle) {
  auto writer = Writer();
  if (!writer.valid()) return std::nullopt;
  SqlStmt s(*writer,
            "UPDATE operator_sessions SET expires = ?3 WHERE key_hash = ?1 AND expires > ?2 "
            "AND op_name IN (SELECT name FROM operators) RETURNING op_name");
  s.Bind(1, key_hash).Bind(2, std::int64_t{now}).Bind(3, std::int64_t{now + idle});
  if (!s.Step()) return std::nullopt;
  return s.Text(0);
}

void ServiceStore::EndOperatorSession(const std::string& key_hash) {
  auto writer = Writer();
  if (!writer.valid()) return;
  SqlStmt s(*writer, "DELETE FROM operator_sessions WHERE key_hash = ?1");
  s.Bind(1, key_hash);
  s.Run();
}

void ServiceStore::EndMemberSession(const std::string& key_hash) {
  auto writer = Writer();
  if (!writer.valid()) return;
  SqlStmt s(*writer, "DELETE FROM sessions WHERE key_hash = ?1");
  s.Bind(1, key_hash);
  s.Run();
}

bool ServiceStore::AddAudit(const AuditEntry& e) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt s(*writer,
            "INSERT INTO audit_log(at, op_name, action, target, before_text, after_text) "
            "VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  s.Bind(1, std::int64_t{e.at ? e.at : std::time(nullptr)}).Bind(2, e.op).Bind(3, e.action);
  s.Bind(4, e.target).Bind(5, e.before).Bind(6, e.after);
  return s.Run();
}

std::vector<AuditEntry> ServiceStore::Audit(std::int64_t offset, int limit) {
  std::vector<AuditEntry> out;
  auto db = pool_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db,
            "SELECT id, at, op_name, action, target, before_text, after_text FROM audit_log "
            "ORDER BY id DESC LIMIT ?2 OFFSET ?1");
  s.Bind(1, offset).Bind(2, std::int64_t{limit});
  while (s.Step()) {
    out.push_back({s.Int(0), static_cast<std::time_t>(s.Int(1)), s.Text(2), s.Text(3), s.Text(4),
                   s.Text(5), s.Text(6)});
  }
  return out;
}

std::int64_t ServiceStore::CountAudit() {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db, "SELECT COUNT(*) FROM audit_log");
  return s.Step() ? s.Int(0) : 0;
}

std::vector<HourCount> ServiceStore::PublicationsPerHour(std::time_t since) {
  std::vector<HourCount> out;
  auto db = pool_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db,
            "SELECT created - created % 3600 AS hour, type, COUNT(*) FROM messages "
            "WHERE created >= ?1 GROUP BY created - created % 3600, type ORDER BY 1, 2");
  s.Bind(1, std::int64_t{since});
  while (s.Step()) {
    out.push_back({static_cast<std::time_t>(s.Int(0)), static_cast<int>(s.Int(1)), s.Int(2)});
  }
  return out;
}

std::int64_t ServiceStore::MembersSeenSince(std::time_t since) {
  auto db = pool_.Acquire();
  if (!db.valid()) return 0;
  SqlStmt s(*db,
            "SELECT COUNT(*) FROM members WHERE last_login >= ?1 OR id IN "
            "(SELECT flag FROM messages WHERE created >= ?1)");
  s.Bind(1, std::int64_t{since});
  return s.Step() ? s.Int(0) : 0;
}

StoreFigures ServiceStore::Figures() {
  StoreFigures f;
  const auto pool = pool_.figures();
  f.pool_in_use = pool.in_use;
  f.pool_idle = pool.idle;
  if (engine_ == SqlEngine::kSqlite) {
    f.file_bytes = 0;
    for (const char* suffix : {"", "-wal"}) {
      struct stat st {};
      if (::stat((where_ + suffix).c_str(), &st) == 0) f.file_bytes += st.st_size;
    }
  }
  return f;
}

}  // namespace tv
