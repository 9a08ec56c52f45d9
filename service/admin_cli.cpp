#include "admin_cli.h"

#include <pwd.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "admin_actions.h"
#include "core/gbk.h"
#include "password.h"
#include "pg_db.h"
#include "query.h"
#include "store.h"

namespace tv {
namespace {

constexpr char kUsage[] =
    "usage: tarvolo-service admin [--db FILE|URI | --db-file FILE] COMMAND\n"
    "  add NAME               a console operator; the password is asked on the terminal\n"
    "                         (read from the first line of standard input when that is\n"
    "                         not a terminal)\n"
    "  list                   the operators\n"
    "  remove NAME            an operator, and its sessions\n"
    "  members [WORDS] [--page N]  members whose name, real name, company, city or\n"
    "                         telephone names one of the ','-separated WORDS (30 a page)\n"
    "  approve ID             a registration that waits for approval\n"
    "  disable ID | enable ID a member (a disabled member cannot log in or publish)\n"
    "  rights ID NAME=VALUE...  publish=0|1 contact=0|1 contact_wait=SECONDS\n"
    "                         publish_wait=SECONDS quota=N (-1: --quota) info_num=N vip=0|1\n"
    "  delete-message ID      deleted through the deletion log clients poll\n"
    "  close-message ID       marked 成交 through the closure log clients poll\n"
    "Every change goes into the audit log as shell:USER. The database is --db, else\n"
    "$TARVOLO_SERVICE_DB, else tarvolo-service.db.\n";

std::string ShellOperator() {
  const passwd* pw = getpwuid(getuid());
  return std::string("shell:") + (pw && pw->pw_name ? pw->pw_name : std::to_string(getuid()));
}

// A line from the terminal without echo, or standard input's line.
bool ReadPassword(const char* prompt, std::string* out) {
  const bool tty = isatty(STDIN_FILENO);
  termios old{};
  if (tty) {
    std::cerr << prompt << std::flush;
    tcgetattr(STDIN_FILENO, &old);
    termios quiet = old;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  const bool ok = static_cast<bool>(std::getline(std::cin, *out));
  if (tty) {
    tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::cerr << "\n";
  }
  while (!out->empty() && out->back() == '\r') out->pop_back();
  return ok;
}

std::optional<std::int64_t> Id(const std::vector<std::string>& args, std::size_t i) {
  if (i >= args.size()) return std::nullopt;
  return ParseNumber(args[i]);
}

int Report(const ActionResult& r) {
  (r.ok ? std::cout : std::cerr) << r.message << "\n";
  return r.ok ? 0 : 1;
}

int ListMembers(ServiceStore& store, const std::vector<std::string>& args) {
  std::string words;
  std::int64_t page = 1;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--page" && i + 1 < args.size()) {
      page = std::max<std::int64_t>(1, ParseNumber(args[++i]).value_or(1));
    } else {
      words = Utf8ToGbk(args[i]);
    }
  }
  constexpr int kPerPage = 30;
  const std::int64_t total = store.CountMembers(words);
  std::cout << "ID\tUSER\tNAME\tCOMPANY\tCITY\tTEL\tSTATE\tTODAY\tRIGHTS\n";
  for (const auto& row : store.SearchMembers(words, (page - 1) * kPerPage, kPerPage)) {
    const Member& m = row.member;
    const char* state = m.disabled ? "disabled" : m.approved ? "active" : "pending";
    std::cout << m.id << "\t" << GbkToUtf8(m.username) << "\t" << GbkToUtf8(m.real_name) << "\t"
              << GbkToUtf8(m.company) << "\t" << GbkToUtf8(m.city) << "\t" << GbkToUtf8(m.phone)
              << "\t" << state << "\t" << row.today << "\t" << RightsText(m) << "\n";
  }
  std::cerr << total << " member(s), page " << page << "\n";
  return 0;
}

}  // namespace

int RunAdminCommand(int argc, char** argv) {
  if (argc < 2 || std::string_view(argv[1]) != "admin") return -1;
  std::string db = "tarvolo-service.db";
  if (const char* env = std::getenv("TARVOLO_SERVICE_DB"); env && *env) db = env;
  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--db" && i + 1 < argc) {
      db = argv[++i];
    } else if (a == "--db-file" && i + 1 < argc) {
      std::ifstream in(argv[++i]);
      if (!std::getline(in, db) || db.empty()) {
        std::cerr << "tarvolo-service admin: cannot read --db-file\n";
        return 2;
      }
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      args.emplace_back(a);
    }
  }
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::string error;
  auto store = ServiceStore::Open(db, &error);
  if (!store) {
    std::cerr << "tarvolo-service admin: cannot open "
              << (IsPostgresUri(db) ? "the PostgreSQL database" : db) << ": " << error << "\n";
    return 1;
  }
  const std::string& command = args[0];
  OperatorActions actions(*store, ShellOperator());

  if (command == "add" && args.size() == 2) {
    const std::string name = Utf8ToGbk(args[1]);  // stored as the console's form sends it
    if (name.empty() || name.size() > 40 || name.find('?') != std::string::npos) {
      std::cerr << "tarvolo-service admin: a name of 1 to 40 characters, please\n";
      return 2;
    }
    std::string password, again;
    if (!ReadPassword("password: ", &password) ||
        (isatty(STDIN_FILENO) && !ReadPassword("again: ", &again))) {
      std::cerr << "tarvolo-service admin: no password\n";
      return 2;
    }
    if (isatty(STDIN_FILENO) && password != again) {
      std::cerr << "tarvolo-service admin: the passwords differ\n";
      return 2;
    }
    if (password.size() < 8) {
      std::cerr << "tarvolo-service admin: an operator's password has at least 8 characters\n";
      return 2;
    }
    const auto hash = HashOperatorPassword(password);
    if (!hash || !store->AddOperator(name, *hash)) {
      std::cerr << "tarvolo-service admin: operator " << name << " exists already\n";
      return 1;
    }
    store->AddAudit({0, 0, ShellOperator(), "add-operator", "operator " + args[1], "", ""});
    std::cout << "operator " << args[1] << " added\n";
    return 0;
  }
  if (command == "list" && args.size() == 1) {
    for (const auto& [name, created] : store->Operators()) {
      std::cout << GbkToUtf8(name) << "\t" << ServiceStore::TimeText(created) << "\n";
    }
    return 0;
  }
  if (command == "remove" && args.size() == 2) {
    if (!store->RemoveOperator(Utf8ToGbk(args[1]))) {
      std::cerr << "tarvolo-service admin: no operator " << args[1] << "\n";
      return 1;
    }
    store->AddAudit({0, 0, ShellOperator(), "remove-operator", "operator " + args[1], "", ""});
    std::cout << "operator " << args[1] << " removed\n";
    return 0;
  }
  if (command == "members") return ListMembers(*store, args);
  const auto id = Id(args, 1);
  if (id && args.size() == 2) {
    if (command == "approve") return Report(actions.Approve(*id));
    if (command == "disable") return Report(actions.SetDisabled(*id, true));
    if (command == "enable") return Report(actions.SetDisabled(*id, false));
    if (command == "delete-message") return Report(actions.DeleteMessage(*id));
    if (command == "close-message") return Report(actions.CloseMessage(*id));
  }
  if (id && command == "rights" && args.size() >= 3) {
    return Report(actions.SetRights(*id, {args.begin() + 2, args.end()}));
  }
  std::cerr << kUsage;
  return 2;
}

}  // namespace tv
