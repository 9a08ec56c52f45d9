// tarvolo-cli compose / publish / history: the publishing forms' logic from a
// terminal: the quick form's line, the publication with its contact line,
// checks, reply and history, and the history dialog's list.
#include <chrono>
#include <cstdio>
#include <optional>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/output.h"
#include "cli/session.h"
#include "core/gbk.h"
#include "core/notice.h"
#include "publish/contact_block.h"
#include "publish/history.h"
#include "publish/phrases.h"
#include "publish/publish_controller.h"
#include "publish/quick_generate.h"
#include "publish/submission.h"
#include "regions/region_directory.h"
#include "regions/region_picker.h"
#include "settings/store.h"
#include "settings/values.h"

namespace tv::cli {
namespace {

// When the terminal last published (seconds since the epoch): the member's
// minimum interval holds from one command to the next.
constexpr std::string_view kLastPublication = "CliLastPublishtavrelomin";

constexpr const char* kComposeHelp =
    "usage: tarvolo-cli compose cargo|truck --from CITY [--from-county C] --to CITY\n"
    "                           [--to-county C] [--goods G] [--quantity Q] [--unit U]\n"
    "                           [--trucks N] [--length L] [--truck-type T]\n"
    "                           [--freight F] [--price P] [--price-unit U] [--trip T]\n"
    "\n"
    "Prints the line the quick-generate form's \"生成并添加\" makes of the same\n"
    "fields, e.g.\n"
    "  tarvolo-cli compose cargo --from 济宁 --to 北京 --goods 钢材 --quantity 20 \\\n"
    "      --unit 吨 --trucks 2 --length 9.6 --truck-type 平板 --freight 高价急走\n"
    "  济宁→北京,有钢材20吨货,求2辆9.6米平板车,高价急走\n"
    "Cities are prefecture-level cities of the region directory, counties theirs;\n"
    "--to may name a province alone (the form then asks for its city). --freight,\n"
    "--price and --price-unit belong to cargo, --trip to trucks. --unit and\n"
    "--price-unit start on 吨, as the form's units do.\n"
    "No login, no request.\n"
    "Exit status: 0 a line; 1 the form refuses (its notice on standard error);\n"
    "2 a bad argument.\n";

constexpr const char* kPublishHelp =
    "usage: tarvolo-cli publish [--type 即时货源|即时车源|长期货源|长期车源] [--from CITY]\n"
    "                           [--user USER --password PASSWORD] TEXT\n"
    "\n"
    "Logs in (--user and --password, else the remembered user) and publishes TEXT\n"
    "as the publishing forms do: the contact line from the stored contact choices\n"
    "and the profile, the content limit, the member's minimum interval (kept\n"
    "between commands), the reply's notice, and after \"AddOK\" the history.\n"
    "Prints \"AddOK<TAB>ID\" with the new message's identifier.\n"
    "  --type   the information type (default 即时货源)\n"
    "  --from   the departure city (default the member's city)\n"
    "Exit status: 0 only on \"AddOK\"; 1 a refusal or another reply (the notice\n"
    "on standard error); 2 a bad argument (nothing sent).\n";

constexpr const char* kHistoryHelp =
    "usage: tarvolo-cli history [list]\n"
    "       tarvolo-cli history delete TEXT\n"
    "       tarvolo-cli history clear\n"
    "\n"
    "The publishing history of this settings store (TARVOLO_SETTINGS), as the\n"
    "history dialog shows it: one entry a line, newest first. delete removes\n"
    "every entry that is exactly TEXT; clear removes them all.\n"
    "Exit status: 0 done; 1 nothing to delete or the store failed; 2 a bad\n"
    "argument.\n";

// The province of a prefecture-level city, or nothing for an unknown name.
std::optional<std::string> ProvinceOf(std::string_view city) {
  for (std::string_view province : Provinces(ProvinceOrder::kPublish)) {
    for (const std::string& child : ListChildren(RegionTable::kCountyDirectory, province)) {
      if (child == city) return std::string(province);
    }
  }
  return std::nullopt;
}

bool IsProvince(std::string_view name) {
  for (std::string_view province : Provinces(ProvinceOrder::kPublish)) {
    if (province == name) return true;
  }
  return false;
}

bool IsCountyOf(std::string_view city, std::string_view county) {
  for (const std::string& child : ListChildren(RegionTable::kCountyDirectory, city)) {
    if (child == county) return true;
  }
  return false;
}

int RunCompose(const Args& args) {
  static constexpr const char* kCommand = "compose";
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args,
                 {{"from", true},
                  {"from-county", true},
                  {"to", true},
                  {"to-county", true},
                  {"goods", true},
                  {"quantity", true},
                  {"unit", true},
                  {"trucks", true},
                  {"length", true},
                  {"truck-type", true},
                  {"freight", true},
                  {"price", true},
                  {"price-unit", true},
                  {"trip", true}},
                 parsed)) {
    return 2;
  }
  if (parsed.Operands().size() != 1 ||
      (parsed.Operands()[0] != "cargo" && parsed.Operands()[0] != "truck")) {
    return UsageError(kCommand, "give cargo or truck");
  }
  const bool cargo = parsed.Operands()[0] == "cargo";
  QuickForm form;
  form.info_type = cargo ? TV_TEXT("即时货源") : TV_TEXT("即时车源");
  struct Field {
    const char* option;
    std::string* target;
    bool allowed;
  };
  const Field fields[] = {
      {"from", &form.departure_prefecture, true},
      {"from-county", &form.departure_county, true},
      {"to", &form.destination_prefecture, true},
      {"to-county", &form.destination_county, true},
      {"goods", &form.goods, true},
      {"quantity", &form.quantity, true},
      {"unit", &form.unit, true},
      {"trucks", &form.truck_count, true},
      {"length", &form.truck_length, true},
      {"truck-type", &form.truck_type, true},
      {"freight", &form.freight, cargo},
      {"price", &form.price, cargo},
      {"price-unit", &form.price_unit, cargo},
      {"trip", &form.trip, !cargo},
  };
  for (const Field& field : fields) {
    const auto value = parsed.Value(field.option);
    if (!value) continue;
    if (!field.allowed) {
      return UsageError(kCommand, std::string("--") + field.option + " is not a field of " +
                                      parsed.Operands()[0] + " lines");
    }
    auto gbk = GbkArgument(kCommand, std::string("--") + field.option, *value);
    if (!gbk) return 2;
    *field.target = *gbk;
  }
  // The units stand on their first entry as the form opens, so a quantity
  // or a price given alone is still counted in something.
  const auto units = QuickList("units");
  if (!units.empty()) {
    if (form.unit.empty()) form.unit = units.front();
    if (form.price_unit.empty()) form.price_unit = units.front();
  }
  if (form.departure_prefecture.empty()) return UsageError(kCommand, "--from CITY is needed");
  if (!ProvinceOf(form.departure_prefecture)) {
    return UsageError(kCommand, "no such city: " + *parsed.Value("from"));
  }
  if (!form.departure_county.empty() &&
      !IsCountyOf(form.departure_prefecture, form.departure_county)) {
    return UsageError(kCommand, "no such county of " + *parsed.Value("from") + ": " +
                                    *parsed.Value("from-county"));
  }
  // --to names the city; a province alone leaves the city unchosen, and
  // without --to nothing is chosen: the pickers show their placeholders.
  const auto placeholders = PlaceholderRegionPicker::PublishPlaceholders();
  if (form.destination_prefecture.empty()) {
    form.destination_province = placeholders.province;
    form.destination_prefecture = placeholders.prefecture;
  } else if (IsProvince(form.destination_prefecture)) {
    form.destination_province = std::move(form.destination_prefecture);
    form.destination_prefecture = placeholders.prefecture;
  } else if (auto province = ProvinceOf(form.destination_prefecture)) {
    form.destination_province = *province;
  } else {
    return UsageError(kCommand, "no such city: " + *parsed.Value("to"));
  }
  if (!form.destination_county.empty() &&
      !IsCountyOf(form.destination_prefecture, form.destination_county)) {
    return UsageError(kCommand, "no such county of the destination: " + *parsed.Value("to-county"));
  }
  const QuickLine line = GenerateQuickLine(form);
  if (line.refusal != QuickRefusal::kNone) {
    ShowNotice(QuickRefusalNotice(line.refusal));
    return 1;
  }
  PrintLine(line.line);
  return 0;
}

bool IsInfoType(std::string_view gbk) {
  for (const std::string& type :
       {TV_TEXT("即时货源"), TV_TEXT("即时车源"), TV_TEXT("长期货源"), TV_TEXT("长期车源")}) {
    if (type == gbk) return true;
  }
  return false;
}

std::int64_t WallSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int RunPublish(const Args& args) {
  static constexpr const char* kCommand = "publish";
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args, {{"type", true}, {"from", true}, kUserOption, kPasswordOption},
                 parsed)) {
    return 2;
  }
  if (parsed.Operands().size() != 1) return UsageError(kCommand, "give the TEXT to publish");
  SubmitForm form;
  auto content = GbkArgument(kCommand, "the text", parsed.Operands()[0]);
  if (!content) return 2;
  form.content = *content;
  form.info_type = TV_TEXT("即时货源");
  if (auto type = parsed.Value("type")) {
    auto gbk = GbkArgument(kCommand, "--type", *type);
    if (!gbk) return 2;
    if (!IsInfoType(*gbk)) {
      return UsageError(kCommand, "--type is 即时货源, 即时车源, 长期货源 or 长期车源");
    }
    form.info_type = *gbk;
  }
  if (auto from = parsed.Value("from")) {
    auto gbk = GbkArgument(kCommand, "--from", *from);
    if (!gbk) return 2;
    if (!ProvinceOf(*gbk)) return UsageError(kCommand, "no such city: " + *from);
    form.departure_city = *gbk;
  }
  const std::optional<LoginChoice> choice = ChooseLogin(kCommand, parsed, false);
  if (!choice) return 2;

  EventLoop loop;
  Member member;
  if (!LogIn(loop, *choice, member)) return 1;
  if (form.departure_city.empty()) form.departure_city = member.profile.City;
  form.contact = ReadFormContactChoices();

  // The member's interval, from the last publication of any earlier command.
  const int wait = member.profile.PublishWaitSeconds;
  const std::string last = ReadSetting(kMainKey, kLastPublication);
  if (wait > 0 && last != kError && !last.empty()) {
    const std::int64_t since = WallSeconds() - std::atoll(last.c_str());
    if (since >= 0 && since < wait) {
      ShowNotice(GateNotice(wait));
      return 1;
    }
  }

  PublishSession session;
  session.profile = [&member] { return member.profile; };
  session.feed_host = [&member] { return member.host; };
  std::string new_id;
  session.post_own_message = [&new_id](const OwnMessage& message) {
    new_id = message.record.InfoID;
  };
  std::string reply_text;
  session.fetch = [&reply_text, members = member.session](
                      std::string_view verb, std::string_view host, std::string_view path) {
    std::string answer = members->Fetch(verb, host, path);
    if (path.starts_with("/qavel/client/SetInfo.asp")) reply_text = answer;
    return answer;
  };
  PublishController publisher(session);
  int exit_code = 1;
  QObject::connect(&publisher, &PublishController::publishFinished, &publisher,
                   [&](bool, PublishReply reply) {
                     if (reply == PublishReply::kAccepted) {
                       PrintLine(Tabbed({"AddOK", new_id}));
                       exit_code = 0;
                     } else if (reply == PublishReply::kOther) {
                       // Taken as done by the forms, but not an acceptance.
                       std::fprintf(stderr, "%s\n", GbkToUtf8(reply_text).c_str());
                     }
                     loop.Quit(exit_code);
                   });
  if (!publisher.Submit(form)) return 1;
  WriteSetting(kMainKey, kLastPublication, std::to_string(WallSeconds()));
  loop.Run();
  return exit_code;
}

int RunHistory(const Args& args) {
  static constexpr const char* kCommand = "history";
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args, {}, parsed)) return 2;
  const auto& ops = parsed.Operands();
  const std::string verb = ops.empty() ? "list" : ops[0];
  if (verb == "list" && ops.size() <= 1) {
    for (const std::string& text : LoadHistoryNewestFirst()) PrintLine(text);
    return 0;
  }
  if (verb == "delete" && ops.size() == 2) {
    auto text = GbkArgument(kCommand, "the text", ops[1]);
    if (!text) return 2;
    return DeleteHistoryText(*text) > 0 ? 0 : 1;
  }
  if (verb == "clear" && ops.size() == 1) return ClearHistory() ? 0 : 1;
  return UsageError(kCommand, "list, delete TEXT or clear");
}

TV_CLI_COMMAND_HELP("compose",
                    "compose cargo|truck --from CITY --to CITY [--goods G] [--quantity Q] ...",
                    &RunCompose, kComposeHelp);
TV_CLI_COMMAND_HELP("publish", "publish [--type TYPE] [--from CITY] TEXT", &RunPublish,
                    kPublishHelp);
TV_CLI_COMMAND_HELP("history", "history [list | delete TEXT | clear]", &RunHistory, kHistoryHelp);

}  // namespace
}  // namespace tv::cli
