// Members and friends of the service's store.
#include "store.h"
#include "store_rows.h"

namespace tv {
namespace store_rows {

const char kMemberColumns[] =
    "SELECT id, username, real_name, sex, company, phone, mobile, net_phone, extension, city, "
    "province, url, email, address, post, town, member_status, contact_wait_flag, "
    "contact_wait_seconds, contact_right, approved, publish_right, publish_wait_seconds, "
    "info_num, content_limit, pass_hash, daily_quota, disabled, created, last_login FROM members";

Member ReadMember(const SqlStmt& s) {
  Member m;
  m.id = s.Int(0);
  m.username = s.Text(1);
  m.real_name = s.Text(2);
  m.sex = s.Text(3);
  m.company = s.Text(4);
  m.phone = s.Text(5);
  m.mobile = s.Text(6);
  m.net_phone = s.Text(7);
  m.extension = s.Text(8);
  m.city = s.Text(9);
  m.province = s.Text(10);
  m.url = s.Text(11);
  m.email = s.Text(12);
  m.address = s.Text(13);
  m.post = s.Text(14);
  m.town = s.Text(15);
  m.member_status = static_cast<int>(s.Int(16));
  m.contact_wait_flag = static_cast<int>(s.Int(17));
  m.contact_wait_seconds = static_cast<int>(s.Int(18));
  m.contact_right = s.Int(19) != 0;
  m.approved = s.Int(20) != 0;
  m.publish_right = static_cast<int>(s.Int(21));
  m.publish_wait_seconds = static_cast<int>(s.Int(22));
  m.info_num = static_cast<int>(s.Int(23));
  m.content_limit = static_cast<int>(s.Int(24));
  m.daily_quota = static_cast<int>(s.Int(26));
  m.disabled = s.Int(27) != 0;
  m.created = s.Int(28);
  m.last_login = s.Int(29);
  return m;
}

}  // namespace store_rows

using store_rows::kMemberColumns;
using store_rows::ReadMember;

std::int64_t ServiceStore::AddMember(const Member& m, const std::string& password_hash) {
  auto writer = Writer();
  if (!writer.valid()) return 0;
  SqlStmt s(*writer,
            "INSERT INTO members(username, pass_hash, real_name, sex, company, phone, "
            "mobile, net_phone, extension, city, province, url, email, address, post, town, "
            "member_status, contact_wait_flag, contact_wait_seconds, contact_right, approved, "
            "publish_right, publish_wait_seconds, info_num, content_limit, created) VALUES(?1, "
            "?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, "
            "?20, ?21, ?22, ?23, ?24, ?25, ?26) ON CONFLICT DO NOTHING RETURNING id");
  s.Bind(1, m.username).Bind(2, password_hash).Bind(3, m.real_name).Bind(4, m.sex);
  s.Bind(5, m.company).Bind(6, m.phone).Bind(7, m.mobile).Bind(8, m.net_phone);
  s.Bind(9, m.extension).Bind(10, m.city).Bind(11, m.province).Bind(12, m.url);
  s.Bind(13, m.email).Bind(14, m.address).Bind(15, m.post).Bind(16, m.town);
  s.Bind(17, std::int64_t{m.member_status}).Bind(18, std::int64_t{m.contact_wait_flag});
  s.Bind(19, std::int64_t{m.contact_wait_seconds}).Bind(20, std::int64_t{m.contact_right});
  s.Bind(21, std::int64_t{m.approved}).Bind(22, std::int64_t{m.publish_right});
  s.Bind(23, std::int64_t{m.publish_wait_seconds}).Bind(24, std::int64_t{m.info_num});
  s.Bind(25, std::int64_t{m.content_limit}).Bind(26, std::int64_t{std::time(nullptr)});
  return s.Step() ? s.Int(0) : 0;
}

std::optional<Member> ServiceStore::FindMember(std::int64_t id) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, std::string(kMemberColumns) + " WHERE id = ?1");
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return ReadMember(s);
}

std::optional<std::pair<Member, std::string>> ServiceStore::FindLogin(const std::string& username) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, std::string(kMemberColumns) + " WHERE " + NoCaseEquals("username", "?1"));
  s.Bind(1, username);
  if (!s.Step()) return std::nullopt;
  return std::make_pair(ReadMember(s), s.Text(25));
}

std::vector<FriendEntry> ServiceStore::Friends(std::int64_t owner) {
  std::vector<FriendEntry> out;
  auto db = pool_.Acquire();
  if (!db.valid()) return out;
  SqlStmt s(*db,
            "SELECT entry_id, company, qq, net_phone, friend_id FROM friends WHERE owner = ?1 "
            "ORDER BY entry_id");
  s.Bind(1, owner);
  while (s.Step()) out.push_back({s.Int(0), s.Text(1), s.Text(2), s.Text(3), s.Int(4)});
  return out;
}

std::optional<std::int64_t> ServiceStore::AddFriend(std::int64_t owner, const FriendEntry& e) {
  if (owner == e.friend_id) return std::nullopt;
  auto writer = Writer();
  if (!writer.valid()) return std::nullopt;
  // Foreign keys refuse unknown members; UNIQUE refuses a second entry.
  SqlStmt s(*writer,
            "INSERT INTO friends(owner, friend_id, company, qq, net_phone) "
            "VALUES(?1, ?2, ?3, ?4, ?5) RETURNING entry_id");
  s.Bind(1, owner).Bind(2, e.friend_id).Bind(3, e.company).Bind(4, e.qq).Bind(5, e.net_phone);
  if (!s.Step()) return std::nullopt;
  return s.Int(0);
}

std::optional<std::int64_t> ServiceStore::FriendOwner(std::int64_t entry_id) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, "SELECT owner FROM friends WHERE entry_id = ?1");
  s.Bind(1, entry_id);
  if (!s.Step()) return std::nullopt;
  return s.Int(0);
}

bool ServiceStore::DeleteFriend(std::int64_t owner, std::int64_t entry_id) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt s(*writer, "DELETE FROM friends WHERE entry_id = ?1 AND owner = ?2");
  s.Bind(1, entry_id).Bind(2, owner);
  return s.Run() && s.Changes() == 1;
}

bool ServiceStore::AddSession(std::int64_t member, const std::string& key_hash,
                              std::time_t expires) {
  auto writer = Writer();
  if (!writer.valid()) return false;
  SqlStmt gone(*writer, "DELETE FROM sessions WHERE expires <= ?1");
  gone.Bind(1, std::int64_t{std::time(nullptr)});
  if (!gone.Run()) return false;
  SqlStmt s(*writer, "INSERT INTO sessions(key_hash, member, expires) VALUES(?1, ?2, ?3)");
  s.Bind(1, key_hash).Bind(2, member).Bind(3, std::int64_t{expires});
  return s.Run() && s.Changes() == 1;
}

std::optional<std::int64_t> ServiceStore::SessionMember(const std::string& key_hash,
                                                        std::time_t now) {
  auto db = pool_.Acquire();
  if (!db.valid()) return std::nullopt;
  SqlStmt s(*db, "SELECT member FROM sessions WHERE key_hash = ?1 AND expires > ?2");
  s.Bind(1, key_hash).Bind(2, std::int64_t{now});
  if (!s.Step()) return std::nullopt;
  return s.Int(0);
}

}  // namespace tv
