#include "admin_actions.h"

#include <ctime>

#include "core/gbk.h"
#include "password.h"
#include "query.h"

namespace tv {
namespace {

// Clients check the deletion and closure logs this often.
constexpr int kClientLogCheckSeconds = 180;

std::string MessageText(const MessageRow& m) {
  std::string status = m.deleted ? "deleted" : m.deal ? "closed" : "live";
  return "status=" + status + " member=" + std::to_string(m.flag) +
         " content=" + GbkToUtf8(m.content);
}

bool ReadInt(std::string_view value, int min, int max, int* out) {
  const auto v = ParseNumber(value);
  if (!v || *v < min || *v > max) return false;
  *out = static_cast<int>(*v);
  return true;
}

}  // namespace

const std::vector<std::string_view>& RightNames() {
  static const std::vector<std::string_view> names = {
      "publish", "contact", "contact_wait", "publish_wait", "quota", "info_num", "vip"};
  return names;
}

std::string RightsText(const Member& m) {
  return "publish=" + std::to_string(m.publish_right ? 1 : 0) +
         " contact=" + std::to_string(m.contact_right ? 1 : 0) +
         " contact_wait=" + std::to_string(m.contact_wait_flag ? m.contact_wait_seconds : 0) +
         " publish_wait=" + std::to_string(m.publish_wait_seconds) +
         " quota=" + std::to_string(m.daily_quota) + " info_num=" + std::to_string(m.info_num) +
         " vip=" + std::to_string(m.member_status < 0 ? 0 : 1);
}

bool SetRight(Member& m, std::string_view name, std::string_view value, std::string* error) {
  int v = 0;
  const auto bad = [&](const char* wants) {
    *error = std::string(name) + " 应为" + wants;
    return false;
  };
  if (name == "publish" || name == "contact" || name == "vip") {
    if (!ReadInt(value, 0, 1, &v)) return bad(" 0 或 1");
    if (name == "publish") m.publish_right = v;
    if (name == "contact") m.contact_right = v != 0;
    if (name == "vip") m.member_status = v ? 1 : -1;
    return true;
  }
  if (name == "contact_wait" || name == "publish_wait") {
    if (!ReadInt(value, 0, 86400, &v)) return bad(" 0 到 86400 秒");
    if (name == "publish_wait") {
      m.publish_wait_seconds = v;
    } else {
      m.contact_wait_seconds = v;
      m.contact_wait_flag = v > 0 ? 1 : 0;
    }
    return true;
  }
  if (name == "quota") {
    if (!ReadInt(value, -1, 1000000, &v)) return bad(" -1（按服务设置）到 1000000");
    m.daily_quota = v;
    return true;
  }
  if (name == "info_num") {
    if (!ReadInt(value, 0, 1000, &v)) return bad(" 0 到 1000");
    m.info_num = v;
    return true;
  }
  *error = "没有这项权限：" + std::string(name);
  return false;
}

void OperatorActions::Audit(const char* action, const std::string& target,
                            const std::string& before, const std::string& after) {
  AuditEntry e;
  e.at = std::time(nullptr);
  e.op = op_;
  e.action = action;
  e.target = target;
  e.before = before;
  e.after = after;
  store_.AddAudit(e);
}

ActionResult OperatorActions::Write(std::int64_t id, const char* action,
                                    const std::function<bool(Member&, std::string*)>& change) {
  auto member = store_.FindMember(id);
  if (!member) return {false, "没有会员 " + std::to_string(id)};
  const auto state = [](const Member& m) {
    return std::string("approved=") + (m.approved ? "1" : "0") +
           " disabled=" + (m.disabled ? "1" : "0") + " " + RightsText(m);
  };
  const std::string before = state(*member);
  Member changed = *member;
  std::string error;
  if (!change(changed, &error)) return {false, error};
  if (!store_.UpdateMemberRights(changed)) return {false, "保存失败"};
  Audit(action, "member " + std::to_string(id) + " " + GbkToUtf8(member->username), before,
        state(changed));
  return {true, "已保存。会员下次登录时生效。"};
}

ActionResult OperatorActions::Approve(std::int64_t id) {
  return Write(id, "approve", [](Member& m, std::string*) {
    m.approved = true;
    return true;
  });
}

ActionResult OperatorActions::SetDisabled(std::int64_t id, bool disabled) {
  return Write(id, disabled ? "disable" : "enable", [disabled](Member& m, std::string*) {
    m.disabled = disabled;
    return true;
  });
}

ActionResult OperatorActions::SetRights(std::int64_t id, const std::vector<std::string>& changes) {
  return Write(id, "rights", [&changes](Member& m, std::string* error) {
    for (const std::string& c : changes) {
      const std::size_t eq = c.find('=');
      if (eq == std::string::npos) {
        *error = "应为 名称=值：" + c;
        return false;
      }
      if (!SetRight(m, std::string_view(c).substr(0, eq), std::string_view(c).substr(eq + 1),
                    error)) {
        return false;
      }
    }
    return true;
  });
}

ActionResult OperatorActions::ResetPassword(std::int64_t id, std::string_view password) {
  auto member = store_.FindMember(id);
  if (!member) return {false, "没有会员 " + std::to_string(id)};
  if (password.size() < 4 || password.size() > 20) return {false, "新密码应为 4 到 20 个字符"};
  const auto hash = HashPassword(password);
  if (!hash || !store_.SetMemberPassword(id, *hash)) return {false, "保存失败"};
  // Never the password itself.
  Audit("reset-password", "member " + std::to_string(id) + " " + GbkToUtf8(member->username), "",
        "password changed");
  return {true, "密码已重设。"};
}

ActionResult OperatorActions::DeleteMessage(std::int64_t id) {
  const auto m = store_.FindMessage(id);
  if (!m) return {false, "没有信息 " + std::to_string(id)};
  if (m->deleted || !store_.DeleteMessage(id)) return {false, "这条信息已经删除了。"};
  MessageRow after = *m;
  after.deleted = 1;
  Audit("delete-message", "message " + std::to_string(id), MessageText(*m), MessageText(after));
  return {true, "信息已删除。" + ClientsSeeItText()};
}

ActionResult OperatorActions::CloseMessage(std::int64_t id) {
  const auto m = store_.FindMessage(id);
  if (!m) return {false, "没有信息 " + std::to_string(id)};
  if (m->deleted || m->deal || !store_.CloseMessage(id)) {
    return {false, "只有在线的信息才能标为成交。"};
  }
  MessageRow after = *m;
  after.deal = 1;
  Audit("close-message", "message " + std::to_string(id), MessageText(*m), MessageText(after));
  return {true, "信息已标为成交。" + ClientsSeeItText()};
}

std::string ClientsSeeItText() {
  const std::time_t by = std::time(nullptr) + kClientLogCheckSeconds;
  std::tm tm{};
  localtime_r(&by, &tm);
  char at[16];
  std::strftime(at, sizeof at, "%H:%M:%S", &tm);
  return std::string("各客户端每 3 分钟检查一次，最迟 ") + at + " 前都会看到。";
}

}  // namespace tv
