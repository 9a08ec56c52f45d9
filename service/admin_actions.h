#pragma once
// What an operator changes, from the web console or the command line: each
// change is made and written to the audit log (who, when, what, before and
// after) in one place, so both ways leave the same trace.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store.h"

namespace tv {

// A member's rights as "name=value" words, the form the console's fields,
// the command line and the audit log share:
//   publish=0|1 contact=0|1 contact_wait=SECONDS publish_wait=SECONDS
//   quota=N (-1: the service's) info_num=N vip=0|1
std::string RightsText(const Member& m);
// Sets one right; false (with `error`, UTF-8) for an unknown name or a bad value.
bool SetRight(Member& m, std::string_view name, std::string_view value, std::string* error);
// The rights' names, in the order RightsText gives them.
const std::vector<std::string_view>& RightNames();

struct ActionResult {
  bool ok = false;
  std::string message;  // UTF-8, for the operator
};

class OperatorActions {
 public:
  // `op`: the operator's name as the audit log shows it.
  OperatorActions(ServiceStore& store, std::string op) : store_(store), op_(std::move(op)) {}

  ActionResult Approve(std::int64_t member);
  ActionResult SetDisabled(std::int64_t member, bool disabled);
  // `changes`: "name=value" words.
  ActionResult SetRights(std::int64_t member, const std::vector<std::string>& changes);
  ActionResult ResetPassword(std::int64_t member, std::string_view password);
  ActionResult DeleteMessage(std::int64_t id);
  ActionResult CloseMessage(std::int64_t id);

 private:
  ActionResult Write(std::int64_t member, const char* action,
                     const std::function<bool(Member&, std::string*)>& change);
  void Audit(const char* action, const std::string& target, const std::string& before,
             const std::string& after);

  ServiceStore& store_;
  std::string op_;
};

// When every running client will have seen a change of the deletion or
// closure log (their check runs every three minutes), in UTF-8.
std::string ClientsSeeItText();

}  // namespace tv
