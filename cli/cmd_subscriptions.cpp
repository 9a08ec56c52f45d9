// tarvolo-cli subscriptions: the member's route subscriptions, on the same
// store the window keeps them in.
#include <cstdio>
#include <optional>
#include <string>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/output.h"
#include "core/gbk.h"
#include "subscribe/subscription.h"
#include "subscribe/subscription_store.h"

namespace tv::cli {
namespace {

constexpr const char* kCommand = "subscriptions";

constexpr const char* kUsage =
    "subscriptions list [--json]\n"
    "subscriptions add [--name NAME] [--from REGIONS] [--to REGIONS] [--type TYPE] "
    "[--must WORDS] [--exclude WORDS] [--[no-]chime] [--[no-]notify] [--[no-]speech]\n"
    "subscriptions remove|pause|resume ID|NAME";

constexpr const char* kHelp =
    "usage: tarvolo-cli subscriptions list [--json]\n"
    "       tarvolo-cli subscriptions add [--name NAME] [--from REGIONS] [--to REGIONS]\n"
    "                   [--type TYPE] [--must WORDS] [--exclude WORDS]\n"
    "                   [--chime|--no-chime] [--notify|--no-notify] [--speech|--no-speech]\n"
    "       tarvolo-cli subscriptions remove|pause|resume ID|NAME\n"
    "\n"
    "The route subscriptions of \"我的订阅\", at most ten: live searches the window\n"
    "and \"tarvolo-cli watch\" follow. Nothing is sent to the service.\n"
    "\n"
    "  list            one subscription a line, tab-separated: identifier,\n"
    "                  运行中/已暂停, name, departures, destinations, type,\n"
    "                  must-have words, excluded words, unread matches\n"
    "                  (--json: one JSON object a line)\n"
    "  add             a new subscription; prints its identifier\n"
    "    --name NAME      default: from the route (\"济宁→北京 货源\")\n"
    "    --from REGIONS   departures, \",\" between them: provinces, cities or\n"
    "                     counties as the region tree names them; none: the\n"
    "                     whole country\n"
    "    --to REGIONS     destinations, the same way\n"
    "    --type TYPE      货源, 车源 or 全部 (cargo, truck, all; default 全部)\n"
    "    --must WORDS     words that must all appear, \",\" between them\n"
    "    --exclude WORDS  words that must not appear\n"
    "    --chime, --notify, --speech (and --no-...): its alerts; default a chime\n"
    "                     and a desktop notification, no speech\n"
    "  remove          the subscription and its kept matches\n"
    "  pause, resume   stops and starts its polling\n"
    "\n"
    "Store: subscriptions.db beside the settings ($TARVOLO_SETTINGS, else\n"
    "$XDG_CONFIG_HOME/tarvolo/).\n"
    "Exit status: 0 done; 1 the store cannot be opened or written; 2 a bad\n"
    "argument (an empty route, a region not in the list, a word GBK cannot\n"
    "hold, an eleventh subscription, no such subscription).\n";

std::unique_ptr<SubscriptionStore> OpenStore() {
  auto store = SubscriptionStore::Open(SubscriptionStore::DefaultPath());
  if (!store) {
    std::fprintf(stderr, "tarvolo-cli %s: cannot open %s\n", kCommand,
                 SubscriptionStore::DefaultPath().c_str());
  }
  return store;
}

std::string Regions(const std::vector<std::string>& regions) {
  return regions.empty() ? TV_TEXT("全国") : JoinWords(regions);
}

void PrintSubscription(SubscriptionStore& store, const Subscription& s, bool json) {
  const std::string id = std::to_string(s.id);
  const std::string state = s.paused ? TV_TEXT("已暂停") : TV_TEXT("运行中");
  const std::string unread = std::to_string(store.UnreadCount(s.id));
  if (json) {
    PrintUtf8Line(JsonObject({{"id", id},
                              {"name", s.name},
                              {"paused", s.paused ? "1" : "0"},
                              {"from", JoinWords(s.departures)},
                              {"to", JoinWords(s.destinations)},
                              {"type", KindWord(s.kind)},
                              {"must", JoinWords(s.must_words)},
                              {"exclude", JoinWords(s.excluded_words)},
                              {"chime", s.alerts.chime ? "1" : "0"},
                              {"notify", s.alerts.notify ? "1" : "0"},
                              {"speech", s.alerts.speech ? "1" : "0"},
                              {"unread", unread}}));
    return;
  }
  PrintLine(
      Tabbed({id, state, s.name, Regions(s.departures), Regions(s.destinations), KindWord(s.kind),
              JoinWords(s.must_words), JoinWords(s.excluded_words), unread}));
}

int List(const Args& args) {
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args, {{"json", false}}, parsed)) return 2;
  if (!parsed.Operands().empty()) return UsageError(kCommand, "list takes no operand");
  auto store = OpenStore();
  if (!store) return 1;
  for (const Subscription& s : store->List()) PrintSubscription(*store, s, parsed.Has("json"));
  return 0;
}

// "--chime" / "--no-chime": the flag given, else `fallback`.
bool Switch(const ParsedArgs& parsed, const std::string& name, bool fallback) {
  if (parsed.Has(name)) return true;
  if (parsed.Has("no-" + name)) return false;
  return fallback;
}

int Add(const Args& args) {
  ParsedArgs parsed;
  if (!ParseArgs(kCommand, args,
                 {{"name", true},
                  {"from", true},
                  {"to", true},
                  {"type", true},
                  {"must", true},
                  {"exclude", true},
                  {"chime", false},
                  {"no-chime", false},
                  {"notify", false},
                  {"no-notify", false},
                  {"speech", false},
                  {"no-speech", false}},
                 parsed)) {
    return 2;
  }
  if (!parsed.Operands().empty()) return UsageError(kCommand, "add takes options only");
  for (const char* name : {"chime", "notify", "speech"}) {
    if (parsed.Has(name) && parsed.Has(std::string("no-") + name)) {
      return UsageError(kCommand, std::string("--") + name + " and --no-" + name + " together");
    }
  }
  // The lists are UTF-8 here: "," is the same byte in both encodings.
  const auto list = [&parsed](const char* name) {
    return SplitWords(parsed.Value(name).value_or(""));
  };
  SubscriptionInput input;
  input.name = parsed.Value("name").value_or("");
  input.departures = list("from");
  input.destinations = list("to");
  input.must_words = list("must");
  input.excluded_words = list("exclude");
  if (auto type = parsed.Value("type")) {
    const auto kind = KindOfWord(Utf8ToGbk(*type));
    if (!kind) return UsageError(kCommand, "--type is 货源, 车源 or 全部, not \"" + *type + "\"");
    input.kind = *kind;
  }
  input.alerts.chime = Switch(parsed, "chime", true);
  input.alerts.notify = Switch(parsed, "notify", true);
  input.alerts.speech = Switch(parsed, "speech", false);

  auto store = OpenStore();
  if (!store) return 1;
  const SubscriptionCheck check = CheckSubscription(input, static_cast<int>(store->List().size()));
  if (!check.subscription) return UsageError(kCommand, GbkToUtf8(check.fault));
  Subscription subscription = *check.subscription;
  if (!store->Add(subscription)) {
    std::fprintf(stderr, "tarvolo-cli %s: the subscription could not be stored\n", kCommand);
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(subscription.id));
  return 0;
}

// The subscription an operand names: its identifier, else its name.
std::optional<Subscription> Named(SubscriptionStore& store, const std::string& utf8) {
  const std::string gbk = Utf8ToGbk(utf8);
  for (const Subscription& s : store.List()) {
    if (std::to_string(s.id) == utf8 || s.name == gbk) return s;
  }
  return std::nullopt;
}

int Change(const std::string& verb, const Args& args) {
  if (args.size() != 1) return UsageError(kCommand, verb + " takes one ID or NAME");
  auto store = OpenStore();
  if (!store) return 1;
  const auto subscription = Named(*store, args[0]);
  if (!subscription) return UsageError(kCommand, "no such subscription: \"" + args[0] + "\"");
  const bool done = verb == "remove" ? store->Remove(subscription->id)
                                     : store->SetPaused(subscription->id, verb == "pause");
  if (!done) {
    std::fprintf(stderr, "tarvolo-cli %s: %s failed\n", kCommand, verb.c_str());
    return 1;
  }
  return 0;
}

int RunSubscriptions(const Args& args) {
  if (args.empty()) return UsageError(kCommand, "list, add, remove, pause or resume");
  const std::string& verb = args[0];
  const Args rest(args.begin() + 1, args.end());
  if (verb == "list") return List(rest);
  if (verb == "add") return Add(rest);
  if (verb == "remove" || verb == "pause" || verb == "resume") return Change(verb, rest);
  return UsageError(kCommand, "unknown subcommand \"" + verb + "\"");
}

TV_CLI_COMMAND_HELP("subscriptions", kUsage, &RunSubscriptions, kHelp);

}  // namespace
}  // namespace tv::cli
